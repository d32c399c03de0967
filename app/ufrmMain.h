#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/UpdateLog.h"
#include "app/WizardScreen.h"
#include "db/IBDatabase.h"
#include "package/UpdatePackage.h"
#include "platform/FileOperations.h"
#include "platform/LocalTime.h"
#include "update/IBScript.h"

namespace app {

// What the wizard is started with.
struct TWizardEnvironment {
  const package::TResourceSource& Resources;
  std::shared_ptr<const db::TIBClientLibrary> ClientLibrary;
  std::vector<std::string> Arguments;  // the command line without the program's own name
  std::string ExecutablePath;
  std::function<platform::TLocalDateTime()> Clock = platform::GetLocalDateTime;
  std::shared_ptr<platform::TFileOperations> FileOperations = std::make_shared<platform::TSystemFileOperations>();
};

// "kvorn_" + year month day + "_" + hour minute second + ".tmp", the numbers without leading
// zeros.
[[nodiscard]] std::string BackupFileName(const platform::TLocalDateTime& ATime);

inline constexpr int InfoPage = 0;
inline constexpr int SelectDBPage = 1;
inline constexpr int UpdatePage = 2;

// The wizard: all state of one program run and the logic behind the window. The window shows
// what this object tells it through TWizardScreen and forwards the user's actions to the
// handlers below; nothing here depends on a GUI toolkit.
class TfrmMain {
public:
  TfrmMain(TWizardScreen& AScreen, TWizardEnvironment AEnvironment);
  ~TfrmMain();
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  // Event handlers of the window.
  void FormCreate();
  void Next_ButtonClick();
  void SelectDB_ButtonEditPropertiesButtonClick(int AButtonIndex);
  void Cancel_ButtonClick();
  void FormCloseQuery(bool& CanClose);
  void FormDestroy();
  // The system announced changed regional settings.
  void SettingsChanged();

  // Runs one event handler; an exception escaping it is shown by the application's default
  // error display and ends the handler, the window stays open.
  void RunHandler(const std::function<void()>& AHandler);
  void ShowApplicationException(const std::exception& AError);

  // Update package.
  bool LoadUpdateInfo();

  // Connection and checks.
  bool DataBaseConnect(const std::string& ADataBaseFile);
  void DataBaseDisconnect();
  bool CheckDBTables(const std::vector<std::string>& ATables) const;
  bool LoadDBSysVar();
  bool CheckDBVersion(std::uint16_t AMajorVersion, std::uint16_t AMinorVersion,
                      std::uint16_t ABuildVersion) const;

  // Update run.
  bool DataBaseUpdate();
  void UpdateIBScriptParseError(update::TIBScript& Sender, const std::string& Error, const std::string& SQLText,
                                std::size_t LineIndex);
  void UpdateIBScriptExecuteError(update::TIBScript& Sender, const std::string& Error, const std::string& SQLText,
                                  std::size_t LineIndex, bool& Ignore);

  // Update log.
  void AddLogMessage(const std::string& AMessage);

  // State, read-only for the window and for tests.
  [[nodiscard]] bool DebugMode() const { return FDebugMode; }
  [[nodiscard]] bool GeneralUpdInfo() const { return FGeneralUpdInfo; }
  [[nodiscard]] const std::string& UpdTitle() const { return FUpdTitle; }
  [[nodiscard]] const std::string& UpdDescription() const { return FUpdDescription; }
  [[nodiscard]] const package::TEBDataVaseVersion& FromBDVer() const { return FFromBDVer; }
  [[nodiscard]] const package::TEBDataVaseVersion& ToBDVer() const { return FToBDVer; }
  [[nodiscard]] const package::TEBDataVaseVersion& ReadDBVer() const { return FReadDBVer; }
  [[nodiscard]] const std::vector<std::string>& DBVerifTables() const { return FDBVerifTables; }
  [[nodiscard]] const std::string& DBFileName() const { return FDBFileName; }
  [[nodiscard]] bool UpdateError() const { return FUpdateError; }
  [[nodiscard]] bool UpdateComplete() const { return FUpdateComplete; }
  [[nodiscard]] const package::TStringArray& ScriptBlock() const { return FScriptBlock; }
  [[nodiscard]] db::TIBDatabase& Database() { return UpdateIBDatabase; }

private:
  void ShowStartPage();
  // Next on the selection page: the update run.
  void StartUpdate();
  // Lets the window live between two short steps of a run.
  void KeepWindowAlive();
  bool MakeBackup(const std::string& ABackupFile);
  bool RecordRunStart(const std::string& ABackupFile);
  void RemoveRunRecord();
  void RunScriptBlocks();
  void RunScriptBlock(std::size_t AIndex);
  void FinishUpdate(const std::string& ABackupFile);
  void RestoreBackup(const std::string& ABackupFile);
  void OfferBackupDeletion(const std::string& ABackupFile);
  void LogFileAccessError(int AErrorCode);
  // A run of this database that never ended: offered to be undone when the database is chosen.
  void CheckInterruptedUpdate();
  void RestoreInterruptedUpdate(const std::string& ABackupFile, const std::string& ARecordFile);
  void ShowFileAccessError(int AErrorCode);
  void ShowInformation(const std::string& AText);
  void ShowErrorBox(const std::exception& AError, TMessageOwner AOwner);

  TWizardScreen& FScreen;
  TWizardEnvironment FEnvironment;
  TLocaleTimeSettings FLocaleTimeSettings;

  bool FDebugMode = false;
  bool FGeneralUpdInfo = false;
  std::string FUpdTitle;
  std::string FUpdDescription;
  package::TEBDataVaseVersion FFromBDVer;
  package::TEBDataVaseVersion FToBDVer;
  package::TEBDataVaseVersion FReadDBVer;
  std::vector<std::string> FDBVerifTables;
  std::string FDBFileName;
  bool FUpdateError = false;
  bool FUpdateComplete = false;
  package::TStringArray FScriptBlock;
  bool FUpdateRunning = false;
  bool FCloseAfterUpdate = false;  // the user confirmed closing while the run was going on

  // Declared in this order so that they are destroyed query first, database last.
  db::TIBDatabase UpdateIBDatabase;
  db::TIBTransaction UpdateIBTransaction;
  db::TIBQuery UpdateIBQuery;
  update::TIBScript UpdateIBScript;
};

}  // namespace app
