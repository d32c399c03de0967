#include "app/ufrmMain.h"

#include <exception>

#include "app/ApplicationErrors.h"
#include "platform/CaseFold.h"
#include "platform/Exception.h"

namespace app {
namespace {

constexpr const char* SDebugSwitch = "-debug";
constexpr const char* SDebugModeLabel = "Debug Mode";
constexpr const char* SInternalError = "Внутренняя ошибка программы обновления";
constexpr const char* SErrorCaption = "Ошибка";
constexpr const char* SExitQuestion = "Выйти из программы обновления?";
constexpr const char* SExitCaption = "Выход";
constexpr int TitleFontEnlargement = 6;

std::string DefaultTitle() { return "Мастер обновления базы данных программы \"Тарвелон\""; }

std::string VersionInfoText(const package::TEBDataVaseVersion& AFrom, const package::TEBDataVaseVersion& ATo) {
  const auto Version = [](const package::TEBDataVaseVersion& AVersion) {
    return std::to_string(AVersion.MajorVersion) + "." + std::to_string(AVersion.MinorVersion) + "." +
           std::to_string(AVersion.BuildVersion);
  };
  return "Этот мастер поможет Вам обновить свою базу данных с версии " + Version(AFrom) + " до версии " +
         Version(ATo) + ". Для продолжения работы мастера нажмите кнопку Далее.";
}

}  // namespace

TfrmMain::TfrmMain(TWizardScreen& AScreen, TWizardEnvironment AEnvironment)
    : FScreen(AScreen),
      FEnvironment(std::move(AEnvironment)),
      UpdateIBDatabase(FEnvironment.ClientLibrary),
      UpdateIBTransaction(UpdateIBDatabase),
      UpdateIBQuery(UpdateIBDatabase, UpdateIBTransaction),
      UpdateIBScript(UpdateIBDatabase, UpdateIBTransaction) {
  UpdateIBScript.OnParseError = [this](update::TIBScript& Sender, const std::string& Error,
                                       const std::string& SQLText, std::size_t LineIndex) {
    UpdateIBScriptParseError(Sender, Error, SQLText, LineIndex);
  };
  UpdateIBScript.OnExecuteError = [this](update::TIBScript& Sender, const std::string& Error,
                                         const std::string& SQLText, std::size_t LineIndex, bool& Ignore) {
    UpdateIBScriptExecuteError(Sender, Error, SQLText, LineIndex, Ignore);
  };
  UpdateIBScript.OnStatementExecuted = [this](update::TIBScript& /*Sender*/) { KeepWindowAlive(); };
}

TfrmMain::~TfrmMain() {
  // A connection left open by an exception that escaped the run is closed here, committing its
  // transaction, as the database component does when the window goes away.
  try {
    UpdateIBDatabase.Close();
  } catch (...) {
  }
}

void TfrmMain::FormCreate() {
  FGeneralUpdInfo = false;
  FDebugMode = false;
  FLocaleTimeSettings = FScreen.ReadLocaleTimeSettings();
  if (!FEnvironment.Arguments.empty() && platform::SameTextIgnoringCase(FEnvironment.Arguments.front(), SDebugSwitch)) {
    FDebugMode = true;
    FScreen.SetLabelText(TWizardLabel::DebugMode, SDebugModeLabel);
  }
  FUpdateComplete = false;
  FDBVerifTables.clear();
  if (!LoadUpdateInfo()) {
    FScreen.ShowMessageBox({SInternalError, SErrorCaption, TMessageIcon::Error, TMessageButtons::Ok,
                            TMessageOwner::Application});
    FScreen.Terminate();
    return;
  }
  ShowStartPage();
}

void TfrmMain::ShowStartPage() {
  FScreen.SetActivePage(InfoPage);
  FScreen.SetTitleFont(TitleFontEnlargement, true);
  if (FGeneralUpdInfo) {
    FScreen.SetLabelText(TWizardLabel::AppTitle, FUpdTitle);
    FScreen.SetLabelText(TWizardLabel::DBVersionInfo, FUpdDescription);
  } else {
    FScreen.SetLabelText(TWizardLabel::AppTitle, DefaultTitle());
    FScreen.SetLabelText(TWizardLabel::DBVersionInfo, VersionInfoText(FFromBDVer, FToBDVer));
  }
}

bool TfrmMain::LoadUpdateInfo() {
  package::TUpdatePackage Package;
  Package.FGeneralUpdInfo = FGeneralUpdInfo;
  Package.FUpdTitle = FUpdTitle;
  Package.FUpdDescription = FUpdDescription;
  Package.FDBVerifTables = FDBVerifTables;
  const bool Usable = package::LoadUpdateInfo(FEnvironment.Resources, Package);
  FGeneralUpdInfo = Package.FGeneralUpdInfo;
  FUpdTitle = std::move(Package.FUpdTitle);
  FUpdDescription = std::move(Package.FUpdDescription);
  FFromBDVer = Package.FFromBDVer;
  FToBDVer = Package.FToBDVer;
  FDBVerifTables = std::move(Package.FDBVerifTables);
  FScriptBlock = std::move(Package.FScriptBlock);
  return Usable;
}

void TfrmMain::Next_ButtonClick() {
  if (FUpdateRunning) {
    return;  // the run happens once; the window may turn its events in the middle of it
  }
  switch (FScreen.ActivePage()) {
    case InfoPage:
      FScreen.SetActivePage(SelectDBPage);
      FScreen.SetNextEnabled(false);
      break;
    case SelectDBPage:
      StartUpdate();
      break;
    default:
      break;
  }
}

void TfrmMain::SelectDB_ButtonEditPropertiesButtonClick(int /*AButtonIndex*/) {
  if (FUpdateRunning) {
    return;
  }
  const auto Chosen = FScreen.RunOpenDialog();
  if (!Chosen) {
    return;
  }
  FDBFileName = *Chosen;
  FScreen.SetDBFileText(FDBFileName);
  if (!FDBFileName.empty() && FScreen.ActivePage() == SelectDBPage) {
    FScreen.SetNextEnabled(true);
  }
  CheckInterruptedUpdate();
}

void TfrmMain::Cancel_ButtonClick() { FScreen.CloseWindow(); }

void TfrmMain::FormCloseQuery(bool& CanClose) {
  if (FUpdateComplete || FCloseAfterUpdate) {
    CanClose = !FUpdateRunning;
    return;
  }
  const auto Answer = FScreen.ShowMessageBox({SExitQuestion, SExitCaption, TMessageIcon::Question,
                                              TMessageButtons::YesNo, TMessageOwner::Application});
  CanClose = Answer == TModalResult::Yes;
  if (CanClose && FUpdateRunning) {
    // A box without an owner lets the user reach the window in the middle of the run; the
    // run must still restore or keep the backup, so the window closes when it is over.
    FCloseAfterUpdate = true;
    CanClose = false;
  }
}

void TfrmMain::FormDestroy() { FDBVerifTables.clear(); }

void TfrmMain::SettingsChanged() { FLocaleTimeSettings = FScreen.ReadLocaleTimeSettings(); }

void TfrmMain::RunHandler(const std::function<void()>& AHandler) {
  try {
    AHandler();
  } catch (const std::exception& Error) {
    ShowApplicationException(Error);
  }
}

void TfrmMain::ShowApplicationException(const std::exception& AError) {
  FScreen.ShowMessageBox({DefaultErrorText(AError.what()), ApplicationTitle(FEnvironment.ExecutablePath),
                          TMessageIcon::Error, TMessageButtons::Ok, TMessageOwner::Application});
}

void TfrmMain::ShowErrorBox(const std::exception& AError, TMessageOwner AOwner) {
  FScreen.ShowMessageBox({AError.what(), platform::ExceptionClassName(AError), TMessageIcon::Error,
                          TMessageButtons::Ok, AOwner});
}

void TfrmMain::AddLogMessage(const std::string& AMessage) {
  FScreen.AppendLogLine(FormatLogLine(FEnvironment.Clock(), FLocaleTimeSettings, AMessage));
  KeepWindowAlive();  // the line shows as soon as it is added
}

}  // namespace app
