#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/tests/FakeScreen.h"
#include "app/ufrmMain.h"
#include "package/EmbeddedResources.h"
#include "testsupport/FixtureDatabase.h"
#include "testsupport/TempFolder.h"

namespace app::testing {

// A started wizard with the embedded package on a fake screen, and a temporary folder for
// the databases it is pointed at.
class TWizardFixture : public ::testing::Test {
protected:
  void StartWizard(const package::TResourceSource& AResources = package::EmbeddedResources(),
                   std::vector<std::string> AArguments = {}) {
    FWizard.reset();
    auto OnBox = std::move(FScreen.OnBox);
    auto OnProcessMessages = std::move(FScreen.OnProcessMessages);
    FScreen = TFakeScreen{};
    FScreen.OnBox = std::move(OnBox);
    FScreen.OnProcessMessages = std::move(OnProcessMessages);
    TWizardEnvironment Environment{AResources, FClientLibrary ? FClientLibrary : testsupport::ClientLibrary(),
                                   std::move(AArguments), "/usr/bin/dbupdate"};
    Environment.Clock = FClock;
    if (FFileOperations) {
      Environment.FileOperations = FFileOperations;
    }
    FWizard = std::make_unique<TfrmMain>(FScreen, std::move(Environment));
    FWizard->FormCreate();
    ASSERT_FALSE(FScreen.Terminated);
  }

  // The logged messages, each line checked for the time stamp of its moment in the screen's
  // regional settings and for the final semicolon.
  [[nodiscard]] std::vector<std::string> Messages() const {
    std::string Stamp(1, '[');
    Stamp += FormatLogTimeStamp(FClock(), FScreen.TimeSettings);
    Stamp += "] ";
    std::vector<std::string> Result;
    for (const std::string& Line : FScreen.Log) {
      EXPECT_TRUE(Line.starts_with(Stamp) && Line.ends_with(";")) << Line;
      Result.push_back(Line.substr(Stamp.size(), Line.size() - Stamp.size() - 1));
    }
    return Result;
  }

  testsupport::TTempFolder FFolder;
  TFakeScreen FScreen;
  // A fixed moment, so that backup names and time stamps are known.
  std::function<platform::TLocalDateTime()> FClock = [] { return platform::TLocalDateTime{2014, 7, 5, 8, 3, 9, 0}; };
  std::shared_ptr<platform::TFileOperations> FFileOperations;
  std::shared_ptr<const db::TIBClientLibrary> FClientLibrary;  // none: the real one
  std::unique_ptr<TfrmMain> FWizard;
};

}  // namespace app::testing
