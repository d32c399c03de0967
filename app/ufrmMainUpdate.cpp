// The update run behind Next on the selection page: backup, checks, script blocks, and then
// restore or clean-up. Whatever happens, the database's old contents stay either under its own
// name or in a backup file that the log names.
#include <exception>

#include "app/ufrmMain.h"
#include "platform/Exception.h"

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

bool TfrmMain::DataBaseUpdate() {
  FUpdateError = false;
  const platform::TPathParts Parts = platform::SplitPath(FDBFileName);
  const std::string BackupFile = Parts.Folder + BackupFileName(FEnvironment.Clock());
  if (!MakeBackup(BackupFile)) {
    return false;
  }
  AddLogMessage(SBackupCreated);
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
  // A program that has the database open holds this lock; on Linux the rename below would
  // succeed under its feet and it would go on writing into the backup.
  const auto Lock = Files.LockExclusive(FDBFileName, Error);
  if (!Lock) {
    FUpdateError = true;
    LogFileAccessError(Error);
    return false;
  }
  Error = Files.MoveFileNoReplace(FDBFileName, ABackupFile);
  if (Error != 0) {
    FUpdateError = true;
    LogFileAccessError(Error);
    return false;
  }
  Error = Files.CopyFileReplacing(ABackupFile, FDBFileName);
  if (Error != 0) {
    FUpdateError = true;
    // Put the database back where the client application looks for it.
    const int MoveBackError = Files.MoveFileNoReplace(ABackupFile, FDBFileName);
    LogFileAccessError(Error);
    if (MoveBackError != 0) {
      LogFileAccessError(MoveBackError);
      AddLogMessage(SBackupKept + ABackupFile);
    }
    return false;
  }
  return true;
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
  } else {
    OfferBackupDeletion(ABackupFile);
  }
}

void TfrmMain::RestoreBackup(const std::string& ABackupFile) {
  platform::TFileOperations& Files = *FEnvironment.FileOperations;
  int Error = Files.DeleteFile(FDBFileName);
  if (Error == 0) {
    Error = Files.MoveFileNoReplace(ABackupFile, FDBFileName);
  }
  if (Error == 0) {
    AddLogMessage(SRestored);
    return;
  }
  LogFileAccessError(Error);
  AddLogMessage(SBackupKept + ABackupFile);
}

void TfrmMain::OfferBackupDeletion(const std::string& ABackupFile) {
  const auto Answer = FScreen.ShowMessageBox({SDeleteBackupQuestion, std::nullopt, TMessageIcon::Question,
                                              TMessageButtons::YesNo, TMessageOwner::Application});
  if (Answer == TModalResult::Yes && FEnvironment.FileOperations->DeleteFile(ABackupFile) == 0) {
    AddLogMessage(SBackupDeleted);
  }
}

void TfrmMain::LogFileAccessError(int AErrorCode) { AddLogMessage(SFileAccessError + std::to_string(AErrorCode)); }

void TfrmMain::UpdateIBScriptParseError(update::TIBScript& /*Sender*/, const std::string& Error,
                                        const std::string& SQLText, int /*LineIndex*/) {
  AddLogMessage("Parse error " + Error + " in SQL text " + SQLText);
  FUpdateError = true;
}

void TfrmMain::UpdateIBScriptExecuteError(update::TIBScript& /*Sender*/, const std::string& Error,
                                          const std::string& SQLText, int /*LineIndex*/, bool& /*Ignore*/) {
  AddLogMessage("Execute error " + Error + " in SQL text " + SQLText);
  FUpdateError = true;
}

}  // namespace app
