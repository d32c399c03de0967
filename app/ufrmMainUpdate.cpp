// The update run behind Next on the selection page: backup, checks, script blocks, and then
// restore or clean-up. The database file never leaves its name: the backup is a copy made
// beside it, a record names that backup while the run may change the database, and a failed
// run puts the backup back over the database in one atomic step. Whatever stops the program,
// the database's old contents stay either under its own name or in the backup that the record
// or the log names; the next start offers to put back the backup of a run that never ended.
//
// The run stays on the window's thread: the database components and every message box belong
// to it, and the run's steps are ordered by the user's answers anyway. Instead, the copy hands
// control back to the window after each of its short slices and the executor after each
// statement, so the window repaints and answers the user all through the run. Next stays
// disabled while it runs, and closing waits for its end.
#include <exception>

#include "app/RunRecord.h"
#include "app/ufrmMain.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"

namespace app {
namespace {

constexpr const char* SBackupCreated = "Резервная копия базы данных успешно создана";
constexpr const char* SFileAccessError = "Ошибка при доступе к файлу базы данных. Код ошибки ";
constexpr const char* SRunningBlock = "Выполнение блока обновления ";
constexpr const char* SUpdateFailed = "Обновление базы данных завершено с ошибками";
constexpr const char* SUpdateDone = "Обновление базы данных завершено";
constexpr const char* SRestored = "Файл базы данных восстановлен";
constexpr const char* SBackupKept = "Резервная копия базы данных сохранена в файле ";
constexpr const char* SDeleteBackupQuestion = "Удалить резервную копию базы данных?";
constexpr const char* SBackupDeleted = "Резервная копия базы данных удалена";
constexpr const char* SCloseCaption = "Закрыть";
constexpr const char* SDebugModeError = "Debug Mode Error";
constexpr const char* SErrorCaption = "Ошибка";
constexpr const char* SInterruptedQuestion =
    "Предыдущее обновление этой базы данных было прервано. Резервная копия базы данных сохранена в файле %s. "
    "Восстановить базу данных из резервной копии?";
constexpr const char* SInterruptedRestored = "База данных восстановлена из резервной копии";
constexpr const char* SInterruptedBackupMissing =
    "Предыдущее обновление этой базы данных было прервано, но его резервная копия %s не найдена. "
    "Запись о прерванном обновлении удалена";

// A record is a few dozen bytes; anything much larger under its name is not one.
constexpr std::size_t MaxRunRecordSize = 4096;

std::string WithName(std::string AFormat, const std::string& AName) {
  return AFormat.replace(AFormat.find("%s"), 2, AName);
}

}  // namespace

std::string BackupFileName(const platform::TLocalDateTime& ATime) {
  return "kvorn_" + std::to_string(ATime.Year) + std::to_string(ATime.Month) + std::to_string(ATime.Day) + "_" +
         std::to_string(ATime.Hour) + std::to_string(ATime.Minute) + std::to_string(ATime.Second) + ".tmp";
}

void TfrmMain::StartUpdate() {
  FScreen.SetActivePage(UpdatePage);
  FScreen.SetNextEnabled(false);
  FUpdateRunning = true;
  bool Complete = false;
  try {
    Complete = DataBaseUpdate();
  } catch (...) {
    FUpdateRunning = false;
    throw;
  }
  FUpdateRunning = false;
  FUpdateComplete = Complete;
  if (FUpdateComplete) {
    FScreen.SetCancelCaption(SCloseCaption);
  }
  if (FCloseAfterUpdate) {
    FScreen.CloseWindow();
  }
}

void TfrmMain::KeepWindowAlive() {
  if (FUpdateRunning) {
    FScreen.ProcessMessages();
  }
}

bool TfrmMain::DataBaseUpdate() {
  FUpdateError = false;
  const platform::TPathParts Parts = platform::SplitPath(FDBFileName);
  const std::string BackupFile = Parts.Folder + BackupFileName(FEnvironment.Clock());
  if (!MakeBackup(BackupFile)) {
    return false;
  }
  AddLogMessage(SBackupCreated);
  if (!RecordRunStart(BackupFile)) {
    return false;
  }
  try {
    if (DataBaseConnect(Parts.Folder + Parts.FileName)) {
      RunScriptBlocks();
      AddLogMessage(FUpdateError ? SUpdateFailed : SUpdateDone);
      DataBaseDisconnect();
    }
  } catch (const std::exception& Error) {
    // Not one of the checks' or the script's own answers: the database may be half updated,
    // so the run counts as failed and the backup goes back.
    ShowApplicationException(Error);
    FUpdateError = true;
    DataBaseDisconnect();
  }
  FinishUpdate(BackupFile);
  return !FUpdateError;
}

bool TfrmMain::MakeBackup(const std::string& ABackupFile) {
  platform::TFileOperations& Files = *FEnvironment.FileOperations;
  int Error = 0;
  // A program that has the database open holds this lock, and would go on changing the file
  // while we copy it. Ours is held until the copy is complete.
  const auto Lock = Files.LockExclusive(FDBFileName, Error);
  if (!Lock) {
    FUpdateError = true;
    LogFileAccessError(Error);
    return false;
  }
  FScreen.ShowProgress(0, 0);
  const platform::TFileResult Copy =
      Files.CopyFileNoReplace(FDBFileName, ABackupFile, [this](std::uint64_t ACopied, std::uint64_t ATotal) {
        FScreen.ShowProgress(ACopied, ATotal);
        KeepWindowAlive();
      });
  FScreen.HideProgress();
  if (Copy.Succeeded()) {
    return true;
  }
  FUpdateError = true;
  LogFileAccessError(Copy.Error);
  if (Copy.Done) {
    // The copy is complete but its name may not survive a crash: nothing is changed on such a
    // backup, and the user learns where it is.
    AddLogMessage(SBackupKept + ABackupFile);
  }
  return false;
}

bool TfrmMain::RecordRunStart(const std::string& ABackupFile) {
  const platform::TFileResult Written = FEnvironment.FileOperations->WriteFileReplacing(
      RunRecordFile(FDBFileName), FormatRunRecord(platform::SplitPath(ABackupFile).FileName));
  if (Written.Succeeded()) {
    return true;
  }
  // Without a record on disk an interrupted run could not be put right: the database is not
  // touched.
  FUpdateError = true;
  LogFileAccessError(Written.Error);
  if (Written.Done) {
    RemoveRunRecord();
  }
  AddLogMessage(SBackupKept + ABackupFile);
  return false;
}

void TfrmMain::RemoveRunRecord() {
  const platform::TFileResult Removed = FEnvironment.FileOperations->DeleteFile(RunRecordFile(FDBFileName));
  if (Removed.Error != 0) {
    LogFileAccessError(Removed.Error);
  }
}

void TfrmMain::RunScriptBlocks() {
  for (std::size_t Index = 0; Index < FScriptBlock.size(); ++Index) {
    RunScriptBlock(Index);
  }
}

void TfrmMain::RunScriptBlock(std::size_t AIndex) {
  UpdateIBScript.SetScriptText(FScriptBlock[AIndex]);
  UpdateIBTransaction.StartTransaction();
  try {
    AddLogMessage(SRunningBlock + std::to_string(AIndex));
    UpdateIBScript.ExecuteScript();
    UpdateIBTransaction.Commit();
  } catch (const std::exception& Error) {
    if (FDebugMode) {
      FScreen.ShowMessageBox({UpdateIBScript.ScriptText(), SDebugModeError, TMessageIcon::Error,
                              TMessageButtons::Ok, TMessageOwner::Application});
    }
    UpdateIBTransaction.Rollback();
    ShowErrorBox(Error, TMessageOwner::Application);
    // Whatever the block did before the error is in the database now: never report such a run
    // as complete.
    FUpdateError = true;
  }
}

void TfrmMain::FinishUpdate(const std::string& ABackupFile) {
  if (FUpdateError) {
    RestoreBackup(ABackupFile);
    return;
  }
  // The database is complete now, updated or untouched: a backup kept from here on is the
  // user's own and no interrupted run.
  RemoveRunRecord();
  OfferBackupDeletion(ABackupFile);
}

void TfrmMain::RestoreBackup(const std::string& ABackupFile) {
  const platform::TFileResult Restore = FEnvironment.FileOperations->ReplaceFile(ABackupFile, FDBFileName);
  if (Restore.Error != 0) {
    LogFileAccessError(Restore.Error);
  }
  if (!Restore.Done) {
    // The record stays: the next start offers to put this backup back.
    AddLogMessage(SBackupKept + ABackupFile);
    return;
  }
  AddLogMessage(SRestored);
  RemoveRunRecord();
}

void TfrmMain::OfferBackupDeletion(const std::string& ABackupFile) {
  const auto Answer = FScreen.ShowMessageBox({SDeleteBackupQuestion, std::nullopt, TMessageIcon::Question,
                                              TMessageButtons::YesNo, TMessageOwner::Application});
  if (Answer != TModalResult::Yes) {
    return;
  }
  const platform::TFileResult Deleted = FEnvironment.FileOperations->DeleteFile(ABackupFile);
  if (!Deleted.Done) {
    return;
  }
  if (Deleted.Error != 0) {
    LogFileAccessError(Deleted.Error);
  }
  AddLogMessage(SBackupDeleted);
}

void TfrmMain::LogFileAccessError(int AErrorCode) { AddLogMessage(SFileAccessError + std::to_string(AErrorCode)); }

void TfrmMain::CheckInterruptedUpdate() {
  const std::string RecordFile = RunRecordFile(FDBFileName);
  const auto Record = platform::ReadSmallFile(RecordFile, MaxRunRecordSize);
  const auto BackupName = Record ? ParseRunRecord(*Record) : std::nullopt;
  if (!BackupName) {
    return;  // not a record this program wrote: not ours to act on or to remove
  }
  const std::string BackupFile = platform::SplitPath(FDBFileName).Folder + *BackupName;
  if (!platform::FileExists(BackupFile)) {
    (void)FEnvironment.FileOperations->DeleteFile(RecordFile);
    ShowInformation(WithName(SInterruptedBackupMissing, *BackupName));
    return;
  }
  const auto Answer =
      FScreen.ShowMessageBox({WithName(SInterruptedQuestion, BackupFile), std::nullopt, TMessageIcon::Question,
                              TMessageButtons::YesNo, TMessageOwner::Application});
  if (Answer == TModalResult::Yes) {
    RestoreInterruptedUpdate(BackupFile, RecordFile);
  }
}

void TfrmMain::RestoreInterruptedUpdate(const std::string& ABackupFile, const std::string& ARecordFile) {
  platform::TFileOperations& Files = *FEnvironment.FileOperations;
  int Error = 0;
  // Not under the feet of a program that has the database open.
  auto Lock = Files.LockExclusive(FDBFileName, Error);
  if (!Lock) {
    ShowFileAccessError(Error);
    return;
  }
  const platform::TFileResult Restore = Files.ReplaceHeldFile(std::move(Lock), ABackupFile, FDBFileName);
  if (Restore.Error != 0) {
    ShowFileAccessError(Restore.Error);
  }
  if (!Restore.Done) {
    return;
  }
  const platform::TFileResult Removed = Files.DeleteFile(ARecordFile);
  if (Removed.Error != 0) {
    ShowFileAccessError(Removed.Error);
  }
  ShowInformation(SInterruptedRestored);
}

void TfrmMain::ShowFileAccessError(int AErrorCode) {
  FScreen.ShowMessageBox({SFileAccessError + std::to_string(AErrorCode), SErrorCaption, TMessageIcon::Error,
                          TMessageButtons::Ok, TMessageOwner::Application});
}

void TfrmMain::ShowInformation(const std::string& AText) {
  FScreen.ShowMessageBox(
      {AText, std::nullopt, TMessageIcon::Information, TMessageButtons::Ok, TMessageOwner::Application});
}

void TfrmMain::UpdateIBScriptParseError(update::TIBScript& /*Sender*/, const std::string& Error,
                                        const std::string& SQLText, std::size_t /*LineIndex*/) {
  AddLogMessage("Parse error " + Error + " in SQL text " + SQLText);
  FUpdateError = true;
}

void TfrmMain::UpdateIBScriptExecuteError(update::TIBScript& /*Sender*/, const std::string& Error,
                                          const std::string& SQLText, std::size_t /*LineIndex*/, bool& /*Ignore*/) {
  AddLogMessage("Execute error " + Error + " in SQL text " + SQLText);
  FUpdateError = true;
}

}  // namespace app
