// Choosing a database whose last update never ended: the wizard offers to put its backup back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/RunRecord.h"
#include "app/tests/UpdateRunFixture.h"
#include "testsupport/HeldFile.h"

namespace app {
namespace {

using testing::FilesIn;
using testing::ReadBytes;

const std::string SRecord = "client.fdb.update-in-progress";
const std::string SBackup = "kvorn_20261211_93015.tmp";
const std::string SHalfUpdated = "half updated";
const std::string SOldContents = "old contents";

struct TBoxSeen {
  TMessageIcon Icon;
  std::string Text;  // "%f" stands for the folder
};

struct TInterruptedCase {
  const char* Name;
  std::optional<std::string> Record;
  bool BackupThere;
  TModalResult Answer;
  bool HeldByAnother;
  std::vector<TBoxSeen> Boxes;
  std::string DatabaseAfter;
  std::vector<std::string> FilesAfter;
};

void PrintTo(const TInterruptedCase& ACase, std::ostream* AStream) { *AStream << ACase.Name; }

const std::string SQuestion = "Предыдущее обновление этой базы данных было прервано. Резервная копия базы данных "
                              "сохранена в файле %f" + SBackup + ". Восстановить базу данных из резервной копии?";
const std::string SRestored = "База данных восстановлена из резервной копии";

const TInterruptedCase InterruptedCases[] = {
    {"YesPutsTheBackupBack", FormatRunRecord(SBackup), true, TModalResult::Yes, false,
     {{TMessageIcon::Question, SQuestion}, {TMessageIcon::Information, SRestored}}, SOldContents, {"client.fdb"}},
    {"NoChangesNothing", FormatRunRecord(SBackup), true, TModalResult::No, false,
     {{TMessageIcon::Question, SQuestion}}, SHalfUpdated, {"client.fdb", SRecord, SBackup}},
    {"RecordOfAVanishedBackupIsRemoved", FormatRunRecord(SBackup), false, TModalResult::Yes, false,
     {{TMessageIcon::Information, "Предыдущее обновление этой базы данных было прервано, но его резервная копия " +
                                      SBackup + " не найдена. Запись о прерванном обновлении удалена"}},
     SHalfUpdated, {"client.fdb"}},
    {"DatabaseOpenElsewhereIsNotReplaced", FormatRunRecord(SBackup), true, TModalResult::Yes, true,
     {{TMessageIcon::Question, SQuestion},
      {TMessageIcon::Error, "Ошибка при доступе к файлу базы данных. Код ошибки " +
                                 std::to_string(testsupport::THeldFile::RefusalCode)}},
     SHalfUpdated, {"client.fdb", SRecord, SBackup}},
    // Files under the record's name that this program did not write are left alone.
    {"ForeignFileUnderTheRecordsName", std::string("notes"), true, TModalResult::Yes, false, {}, SHalfUpdated,
     {"client.fdb", SRecord, SBackup}},
    {"RecordNamingAFileElsewhereIsIgnored", FormatRunRecord("../" + SBackup), true, TModalResult::Yes, false, {},
     SHalfUpdated, {"client.fdb", SRecord, SBackup}},
    {"KeptBackupIsNoInterruptedRun", std::nullopt, true, TModalResult::Yes, false, {}, SHalfUpdated,
     {"client.fdb", SBackup}},
};

class InterruptedRun : public testing::TWizardFixture, public ::testing::WithParamInterface<TInterruptedCase> {};

TEST_P(InterruptedRun, ChoosingTheDatabaseOffersItsBackup) {
  const TInterruptedCase& Case = GetParam();
  const std::string Database = FFolder.File("client.fdb");
  testsupport::WriteFileBytes(Database, SHalfUpdated);
  if (Case.Record) {
    testsupport::WriteFileBytes(FFolder.File(SRecord), *Case.Record);
  }
  if (Case.BackupThere) {
    testsupport::WriteFileBytes(FFolder.File(SBackup), SOldContents);
  }
  std::optional<testsupport::THeldFile> Holder;
  if (Case.HeldByAnother) {
    Holder.emplace(Database);
  }

  StartWizard();
  FScreen.DialogAnswers = {Database};
  FScreen.BoxAnswers = {Case.Answer};
  FWizard->Next_ButtonClick();
  FWizard->SelectDB_ButtonEditPropertiesButtonClick(0);
  Holder.reset();

  ASSERT_EQ(FScreen.Boxes.size(), Case.Boxes.size());
  for (std::size_t Index = 0; Index < Case.Boxes.size(); ++Index) {
    std::string Text = Case.Boxes[Index].Text;
    if (const auto Folder = Text.find("%f"); Folder != std::string::npos) {
      Text.replace(Folder, 2, testsupport::Utf8Of(FFolder.Path() / ""));
    }
    EXPECT_EQ(FScreen.Boxes[Index].Text, Text);
    EXPECT_EQ(FScreen.Boxes[Index].Icon, Case.Boxes[Index].Icon);
    EXPECT_EQ(FScreen.Boxes[Index].Owner, TMessageOwner::Application);
    EXPECT_EQ(FScreen.Boxes[Index].Buttons,
              Case.Boxes[Index].Icon == TMessageIcon::Question ? TMessageButtons::YesNo : TMessageButtons::Ok);
  }
  EXPECT_EQ(ReadBytes(Database), Case.DatabaseAfter);
  auto Expected = Case.FilesAfter;
  std::sort(Expected.begin(), Expected.end());
  EXPECT_EQ(FilesIn(FFolder.Path()), Expected);
  EXPECT_EQ(FWizard->DBFileName(), Database);
  EXPECT_TRUE(FScreen.NextEnabled) << "the database stays chosen";
}

INSTANTIATE_TEST_SUITE_P(Choices, InterruptedRun, ::testing::ValuesIn(InterruptedCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
}  // namespace app
