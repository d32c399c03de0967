#include <gtest/gtest.h>

#include <stdexcept>

#include "app/ufrmMain.h"
#include "app/tests/FakeScreen.h"
#include "app/tests/MemoryResources.h"

namespace app {
namespace {

using testing::TFakeScreen;
using testing::TMemoryResources;

const std::string SmallScript = "SELECT 1 FROM RDB$DATABASE;\r\n";

std::string Descriptor(const std::string& AGeneral, const std::string& AToMajor = "1",
                       const std::string& AToMinor = "2", const std::string& AToBuild = "1") {
  return AGeneral + "[FromKvornInfo]\r\nMajorVersion=1\r\nMinorVersion=2\r\nBuildVersion=1\r\n\r\n"
         "[ToKvornInfo]\r\nMajorVersion=" + AToMajor + "\r\nMinorVersion=" + AToMinor + "\r\nBuildVersion=" +
         AToBuild + "\r\n\r\n[FromDBVerif]\r\ntablescount=1\r\nt0=SYS_VAR\r\n";
}

class WizardFlow : public ::testing::Test {
protected:
  void Start(const std::string& ADescriptor, std::vector<std::string> AArguments = {}) {
    FResources = std::make_unique<TMemoryResources>(ADescriptor, SmallScript);
    FWizard = std::make_unique<TfrmMain>(
        FScreen, TWizardEnvironment{*FResources, db::TIBClientLibrary::Load(), std::move(AArguments),
                                    "/opt/DbUpdate.exe"});
    FWizard->FormCreate();
  }

  TFakeScreen FScreen;
  std::unique_ptr<TMemoryResources> FResources;
  std::unique_ptr<TfrmMain> FWizard;
};

TEST_F(WizardFlow, StartsOnTheInfoPageWithThePackageTitle) {
  Start(Descriptor("[General]\r\nUpdTitle=Fix of T_PROJECT\r\nUpdDescription=Adds a column\r\n\r\n"));
  EXPECT_EQ(FScreen.Page, InfoPage);
  EXPECT_TRUE(FScreen.NextEnabled);
  EXPECT_EQ(FScreen.TitlePointsLarger, 6);
  EXPECT_TRUE(FScreen.TitleBold);
  EXPECT_EQ(FScreen.Labels[TWizardLabel::AppTitle], "Fix of T_PROJECT");
  EXPECT_EQ(FScreen.Labels[TWizardLabel::DBVersionInfo], "Adds a column");
  EXPECT_FALSE(FWizard->DebugMode());
  EXPECT_EQ(FScreen.Labels.count(TWizardLabel::DebugMode), 0U);
  EXPECT_TRUE(FScreen.Boxes.empty());
}

TEST_F(WizardFlow, WithoutGeneralSectionShowsTheDefaultTitleAndBothVersions) {
  Start(Descriptor("[General]\r\n\r\n", "1", "3", "0"));
  EXPECT_FALSE(FWizard->GeneralUpdInfo());
  EXPECT_EQ(FScreen.Labels[TWizardLabel::AppTitle], "Мастер обновления базы данных программы \"Тарвелон\"");
  EXPECT_EQ(FScreen.Labels[TWizardLabel::DBVersionInfo],
            "Этот мастер поможет Вам обновить свою базу данных с версии 1.2.1 до версии 1.3.0. "
            "Для продолжения работы мастера нажмите кнопку Далее.");
}

TEST_F(WizardFlow, UnusablePackageShowsTheInternalErrorAndEndsTheApplication) {
  Start("[General]\r\nUpdTitle=Broken\r\n");
  ASSERT_EQ(FScreen.Boxes.size(), 1U);
  const TMessageBox& Box = FScreen.Boxes.front();
  EXPECT_EQ(Box.Text, "Внутренняя ошибка программы обновления");
  EXPECT_EQ(Box.Caption, "Ошибка");
  EXPECT_EQ(Box.Icon, TMessageIcon::Error);
  EXPECT_EQ(Box.Buttons, TMessageButtons::Ok);
  EXPECT_EQ(Box.Owner, TMessageOwner::Application);
  EXPECT_TRUE(FScreen.Terminated);
  EXPECT_EQ(FScreen.Page, -1) << "the pages are never set up";
}

struct TDebugSwitchCase {
  std::vector<std::string> Arguments;
  bool DebugMode;
};

void PrintTo(const TDebugSwitchCase& ACase, std::ostream* AStream) {
  *AStream << "{";
  for (const auto& Argument : ACase.Arguments) {
    *AStream << " \"" << Argument << "\"";
  }
  *AStream << " }";
}

class DebugSwitch : public WizardFlow, public ::testing::WithParamInterface<TDebugSwitchCase> {};

TEST_P(DebugSwitch, IsRecognisedOnlyAsTheFirstArgumentInAnyLetterCase) {
  Start(Descriptor(""), GetParam().Arguments);
  EXPECT_EQ(FWizard->DebugMode(), GetParam().DebugMode);
  EXPECT_EQ(FScreen.Labels.count(TWizardLabel::DebugMode), GetParam().DebugMode ? 1U : 0U);
  if (GetParam().DebugMode) {
    EXPECT_EQ(FScreen.Labels[TWizardLabel::DebugMode], "Debug Mode");
  }
}

INSTANTIATE_TEST_SUITE_P(Arguments, DebugSwitch,
                         ::testing::Values(TDebugSwitchCase{{"-debug"}, true}, TDebugSwitchCase{{"-DEBUG"}, true},
                                           TDebugSwitchCase{{"-DeBuG", "x"}, true}, TDebugSwitchCase{{}, false},
                                           TDebugSwitchCase{{"x", "-debug"}, false},
                                           TDebugSwitchCase{{"-debug "}, false},
                                           TDebugSwitchCase{{"/debug"}, false}));

TEST_F(WizardFlow, NextLeadsToSelectionWhereOnlyTheDialogEnablesNext) {
  Start(Descriptor(""));
  FWizard->Next_ButtonClick();
  EXPECT_EQ(FScreen.Page, SelectDBPage);
  EXPECT_FALSE(FScreen.NextEnabled);

  FWizard->SelectDB_ButtonEditPropertiesButtonClick(0);  // dialog cancelled
  EXPECT_FALSE(FScreen.NextEnabled);
  EXPECT_TRUE(FWizard->DBFileName().empty());

  FScreen.DialogAnswers = {std::string("/data/client.fdb"), std::nullopt};
  FWizard->SelectDB_ButtonEditPropertiesButtonClick(0);
  EXPECT_TRUE(FScreen.NextEnabled);
  EXPECT_EQ(FWizard->DBFileName(), "/data/client.fdb");
  EXPECT_EQ(FScreen.DBFileText, "/data/client.fdb");

  FWizard->SelectDB_ButtonEditPropertiesButtonClick(0);  // cancelled again: the choice stays
  EXPECT_TRUE(FScreen.NextEnabled);
  EXPECT_EQ(FWizard->DBFileName(), "/data/client.fdb");
}

TEST_F(WizardFlow, ClosingAsksUntilTheUpdateIsComplete) {
  Start(Descriptor(""));
  FScreen.BoxAnswers = {TModalResult::No, TModalResult::Yes};
  bool CanClose = true;
  FWizard->FormCloseQuery(CanClose);
  EXPECT_FALSE(CanClose);
  ASSERT_EQ(FScreen.Boxes.size(), 1U);
  EXPECT_EQ(FScreen.Boxes[0].Text, "Выйти из программы обновления?");
  EXPECT_EQ(FScreen.Boxes[0].Caption, "Выход");
  EXPECT_EQ(FScreen.Boxes[0].Icon, TMessageIcon::Question);
  EXPECT_EQ(FScreen.Boxes[0].Buttons, TMessageButtons::YesNo);
  EXPECT_EQ(FScreen.Page, InfoPage);

  FWizard->FormCloseQuery(CanClose);
  EXPECT_TRUE(CanClose);

  FWizard->Cancel_ButtonClick();
  EXPECT_EQ(FScreen.CloseRequests, 1);
}

TEST_F(WizardFlow, AnExceptionOutOfAHandlerIsShownWithTheApplicationTitle) {
  Start(Descriptor(""));
  FWizard->RunHandler([] { throw std::runtime_error("Disk is full"); });
  FWizard->RunHandler([] { throw std::runtime_error("Stop!"); });
  ASSERT_EQ(FScreen.Boxes.size(), 2U);
  EXPECT_EQ(FScreen.Boxes[0].Text, "Disk is full.");
  EXPECT_EQ(FScreen.Boxes[0].Caption, "Dbupdate");
  EXPECT_EQ(FScreen.Boxes[0].Icon, TMessageIcon::Error);
  EXPECT_EQ(FScreen.Boxes[1].Text, "Stop!");
}

}  // namespace
}  // namespace app
