// Opening the chosen database and proving that it is a client database of the version the
// package applies to.
#include <algorithm>
#include <exception>

#include "app/ufrmMain.h"
#include "platform/CaseFold.h"
#include "platform/FileSystem.h"

namespace app {
namespace {

constexpr const char* SConnecting = "Подключение к базе данных ";
constexpr const char* SReadOnlyDrive = "Ошибка: Файл базы данных не может быть изменен";
constexpr const char* SFileNotFound = "Ошибка: Файл базы данных не найден";
constexpr const char* SUnknownStructure = "Ошибка: Неизвестная структура базы данных";
constexpr const char* SServiceDataError = "Ошибка: Ошибка чтения служебных данных";
constexpr const char* SUnsupportedVersion = "Ошибка: Неподдерживаемая версия базы данных";
constexpr const char* SConnected = "Подготовка к обновлению и проверка базы данных завершена";

constexpr const char* SSysVarQuery = "SELECT ID, S_PARAM, V_INTEGER, V_FLOAT, V_STRING, V_TIMESTAMP FROM SYS_VAR;";

bool IsWritableDrive(platform::TDriveKind AKind) {
  switch (AKind) {
    case platform::TDriveKind::Removable:
    case platform::TDriveKind::Fixed:
    case platform::TDriveKind::Remote:
    case platform::TDriveKind::RamDisk:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool TfrmMain::DataBaseConnect(const std::string& ADataBaseFile) {
  if (UpdateIBDatabase.Connected()) {
    return false;
  }
  UpdateIBDatabase.SetLoginPrompt(false);
  AddLogMessage(SConnecting + ADataBaseFile + "...");
  if (!IsWritableDrive(platform::GetDriveKind(ADataBaseFile))) {
    AddLogMessage(SReadOnlyDrive);
    return false;
  }
  if (!platform::FileExists(ADataBaseFile)) {
    AddLogMessage(SFileNotFound);
    return false;
  }
  UpdateIBDatabase.SetDatabaseName(ADataBaseFile);
  UpdateIBDatabase.Params().clear();
  UpdateIBDatabase.Params().emplace_back("user_name=SYSDBA");
  try {
    UpdateIBDatabase.Open();
  } catch (const std::exception& Error) {
    ShowErrorBox(Error, TMessageOwner::None);
  }
  if (!UpdateIBDatabase.Connected()) {
    return false;
  }
  // Not guarded: an error here is not one of the database's answers to our checks.
  const std::vector<std::string> Tables = UpdateIBDatabase.GetTableNames();
  const char* Failure = nullptr;
  if (!CheckDBTables(Tables)) {
    Failure = SUnknownStructure;
  } else if (!LoadDBSysVar()) {
    Failure = SServiceDataError;
  } else if (!CheckDBVersion(FReadDBVer.MajorVersion, FReadDBVer.MinorVersion, FReadDBVer.BuildVersion)) {
    Failure = SUnsupportedVersion;
  }
  if (Failure != nullptr) {
    DataBaseDisconnect();
    AddLogMessage(Failure);
    return false;
  }
  AddLogMessage(SConnected);
  return true;
}

void TfrmMain::DataBaseDisconnect() {
  if (!UpdateIBDatabase.Connected()) {
    return;
  }
  try {
    UpdateIBDatabase.Close();
  } catch (const std::exception& Error) {
    ShowErrorBox(Error, TMessageOwner::None);
  }
}

bool TfrmMain::CheckDBTables(const std::vector<std::string>& ATables) const {
  if (ATables.size() != FDBVerifTables.size()) {
    return false;
  }
  std::vector<std::string> UpperTables;
  UpperTables.reserve(ATables.size());
  for (const auto& Table : ATables) {
    UpperTables.push_back(platform::UpperCase(Table));
  }
  for (const auto& Expected : FDBVerifTables) {
    if (std::find(UpperTables.begin(), UpperTables.end(), platform::UpperCase(Expected)) == UpperTables.end()) {
      return false;
    }
  }
  return true;
}

bool TfrmMain::LoadDBSysVar() {
  FReadDBVer = package::TEBDataVaseVersion{};
  bool HasDBID = false;
  bool HasMajor = false;
  bool HasMinor = false;
  bool HasBuild = false;
  if (UpdateIBDatabase.Connected()) {
    UpdateIBTransaction.StartTransaction();
    try {
      if (UpdateIBQuery.Active()) {
        UpdateIBQuery.Close();
      }
      UpdateIBQuery.SetSQL(SSysVarQuery);
      UpdateIBQuery.Open();
      for (; !UpdateIBQuery.Eof(); UpdateIBQuery.Next()) {
        const std::string Name = platform::UpperCase(UpdateIBQuery.FieldAsString("S_PARAM"));
        const auto ReadValue = [this] {
          return static_cast<std::uint16_t>(UpdateIBQuery.FieldAsInteger("V_INTEGER"));
        };
        if (Name == "DBID") {
          HasDBID = true;
        } else if (Name == "MAJORVERSION") {
          FReadDBVer.MajorVersion = ReadValue();
          HasMajor = true;
        } else if (Name == "MINORVERSION") {
          FReadDBVer.MinorVersion = ReadValue();
          HasMinor = true;
        } else if (Name == "BUILDVERSION") {
          FReadDBVer.BuildVersion = ReadValue();
          HasBuild = true;
        }
      }
      UpdateIBQuery.Close();
      UpdateIBTransaction.Commit();
    } catch (const std::exception& Error) {
      UpdateIBTransaction.Rollback();
      ShowErrorBox(Error, TMessageOwner::Application);
    }
  }
  return HasDBID && HasMajor && HasMinor && HasBuild;
}

bool TfrmMain::CheckDBVersion(std::uint16_t AMajorVersion, std::uint16_t AMinorVersion,
                              std::uint16_t ABuildVersion) const {
  return AMajorVersion == FFromBDVer.MajorVersion && AMinorVersion == FFromBDVer.MinorVersion &&
         ABuildVersion == FFromBDVer.BuildVersion;
}

}  // namespace app
