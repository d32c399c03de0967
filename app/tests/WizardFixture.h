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
    TWizardEnvironment Environment{AResources, testsupport::ClientLibrary(), std::move(AArguments), "/usr/bin/dbupdate"};
    if (FClock) {
      Environment.Clock = FClock;
    }
    if (FFileOperations) {
      Environment.FileOperations = FFileOperations;
    }
    FWizard = std::make_unique<TfrmMain>(FScreen, std::move(Environment));
    FWizard->FormCreate();
    ASSERT_FALSE(FScreen.Terminated);
  }

  // The logged messages without their time stamps and final semicolons.
  [[nodiscard]] std::vector<std::string> Messages() const {
    std::vector<std::string> Result;
    for (const std::string& Line : FScreen.Log) {
      const auto Start = Line.find("] ");
      Result.push_back(Line.substr(Start + 2, Line.size() - Start - 3));
    }
    return Result;
  }

  testsupport::TTempFolder FFolder;
  TFakeScreen FScreen;
  std::function<platform::TLocalDateTime()> FClock;
  std::shared_ptr<platform::TFileOperations> FFileOperations;
  std::unique_ptr<TfrmMain> FWizard;
};

}  // namespace app::testing
