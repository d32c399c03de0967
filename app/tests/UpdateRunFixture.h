#pragma once

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/WizardFixture.h"
#include "package/EmbeddedResources.h"
#include "platform/FileOperations.h"
#include "testsupport/FileBytes.h"
#include "testsupport/FixtureDatabase.h"

namespace app::testing {

namespace messages {
inline const std::string SBackupCreated = "Резервная копия базы данных успешно создана";
inline const std::string SConnected = "Подготовка к обновлению и проверка базы данных завершена";
inline const std::string SUnsupportedVersion = "Ошибка: Неподдерживаемая версия базы данных";
inline const std::string SUpdateDone = "Обновление базы данных завершено";
inline const std::string SUpdateFailed = "Обновление базы данных завершено с ошибками";
inline const std::string SRestored = "Файл базы данных восстановлен";
inline const std::string SBackupDeleted = "Резервная копия базы данных удалена";
inline const std::string SBackupKept = "Резервная копия базы данных сохранена в файле ";
inline const std::string SAccessError = "Ошибка при доступе к файлу базы данных. Код ошибки ";
}  // namespace messages

inline const platform::TLocalDateTime RunMoment{2014, 7, 5, 8, 3, 9, 0};
inline const std::string RunBackupName = "kvorn_201475_839.tmp";

inline std::string EmbeddedDescriptor() {
  const auto Bytes = package::EmbeddedResources().FindResource(package::DescriptorResourceType,
                                                               package::DescriptorResourceId);
  return {Bytes->begin(), Bytes->end()};
}

inline std::string ReadBytes(const std::string& AFile) { return testsupport::ReadFileBytes(AFile); }

// Compared as a flag: a failure must not print a whole database file.
inline bool HoldsBytes(const std::string& AFile, const std::string& ABytes) { return ReadBytes(AFile) == ABytes; }

inline std::vector<std::string> FilesIn(const std::filesystem::path& AFolder) {
  std::vector<std::string> Names;
  for (const auto& Entry : std::filesystem::directory_iterator(AFolder)) {
    Names.push_back(testsupport::Utf8Of(Entry.path().filename()));
  }
  std::sort(Names.begin(), Names.end());
  return Names;
}

// T_PROJECT's columns in their order, which the packaged update changes.
inline std::vector<std::string> ProjectColumns(const std::string& AFile) {
  auto Names = testsupport::QueryColumn(AFile,
                                        "SELECT RDB$FIELD_NAME FROM RDB$RELATION_FIELDS WHERE "
                                        "RDB$RELATION_NAME = 'T_PROJECT' ORDER BY RDB$FIELD_POSITION",
                                        "RDB$FIELD_NAME");
  for (auto& Name : Names) {
    Name.erase(Name.find_last_not_of(' ') + 1);
  }
  return Names;
}

// Waits until some process holds a lock on AFile, as a database engine does on a file it has
// open. Reads the kernel's list of locks rather than trying the lock, which could make the
// engine's own attempt fail.
inline bool WaitUntilLocked(const std::string& AFile) {
  struct stat Info {};
  if (::stat(AFile.c_str(), &Info) != 0) {
    return false;
  }
  std::string Inode(1, ':');
  Inode += std::to_string(Info.st_ino);
  Inode += ' ';
  for (int Attempt = 0; Attempt < 1000; ++Attempt) {
    std::ifstream Locks("/proc/locks");
    for (std::string Line; std::getline(Locks, Line);) {
      if (Line.find(Inode) != std::string::npos) {
        return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// Waits until a file that another process writes holds AText.
inline bool WaitForText(const std::string& AFile, const std::string& AText) {
  for (int Attempt = 0; Attempt < 1000; ++Attempt) {
    if (ReadBytes(AFile).find(AText) != std::string::npos) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// The wizard walked to the update with a fixed clock, so that the backup's name is known.
class UpdateRun : public TWizardFixture {
protected:
  void SetUp() override { FClock = [] { return RunMoment; }; }

  // Walks the wizard to the selection page, chooses AFile and presses Next.
  void RunUpdate(const std::string& AFile, std::vector<TModalResult> AAnswers = {TModalResult::Yes},
                 const package::TResourceSource& APackage = package::EmbeddedResources(),
                 std::vector<std::string> AArguments = {}) {
    StartWizard(APackage, std::move(AArguments));
    FScreen.DialogAnswers = {AFile};
    FScreen.BoxAnswers.assign(AAnswers.begin(), AAnswers.end());
    FWizard->Next_ButtonClick();
    FWizard->SelectDB_ButtonEditPropertiesButtonClick(0);
    FWizard->RunHandler([this] { FWizard->Next_ButtonClick(); });
    EXPECT_EQ(FScreen.Page, UpdatePage);
    EXPECT_FALSE(FScreen.NextEnabled);
  }

  // A demo database that the packaged update has already been applied to.
  std::string MakeUpdatedDatabase() {
    const std::string File = testsupport::MakeDemoDatabase(FFolder);
    RunUpdate(File);
    EXPECT_TRUE(FWizard->UpdateComplete());
    FWizard.reset();
    return File;
  }

  std::string BackupPath() const { return FFolder.File(RunBackupName); }
};

}  // namespace app::testing
