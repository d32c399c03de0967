// Runs the packaged update on a database and kills itself, as a user ending the program would,
// at one chosen point of the run: update_crash_child DATABASE POINT.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "app/tests/FakeScreen.h"
#include "app/ufrmMain.h"
#include "package/EmbeddedResources.h"
#include "testsupport/ForwardingFileOperations.h"

namespace {

using namespace app;

[[noreturn]] void Kill() {
  std::raise(SIGKILL);
  std::abort();
}

// The real file operations, with the kill points of the backup and the restore.
class TKillingFileOperations final : public testsupport::TForwardingFileOperations {
public:
  explicit TKillingFileOperations(std::string APoint) : FPoint(std::move(APoint)) {}

  platform::TFileResult CopyFileNoReplace(const std::string& AFrom, const std::string& ATo,
                                          const platform::TCopyProgress& AProgress) override {
    const auto Result = TForwardingFileOperations::CopyFileNoReplace(
        AFrom, ATo, [&](std::uint64_t ACopied, std::uint64_t ATotal) {
          if (FPoint == "copy" && ACopied >= ATotal / 2 && ACopied < ATotal) {
            Kill();
          }
          AProgress(ACopied, ATotal);
        });
    if (FPoint == "backup-named") {
      Kill();
    }
    return Result;
  }
  platform::TFileResult ReplaceFile(const std::string& AFrom, const std::string& ATo) override {
    if (FPoint == "restore-before") {
      Kill();
    }
    const auto Result = TForwardingFileOperations::ReplaceFile(AFrom, ATo);
    if (FPoint == "restore-after") {
      Kill();
    }
    return Result;
  }

private:
  std::string FPoint;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: update_crash_child DATABASE POINT\n", stderr);
    return 2;
  }
  const std::string Point = argv[2];
  testing::TFakeScreen Screen;
  Screen.DialogAnswers = {std::string(argv[1])};
  TWizardEnvironment Environment{package::EmbeddedResources(), db::TIBClientLibrary::Load(), {}, argv[0]};
  Environment.FileOperations = std::make_shared<TKillingFileOperations>(Point);
  // The moment the tests expect, so that they know the backup's name.
  Environment.Clock = [] { return platform::TLocalDateTime{2014, 7, 5, 8, 3, 9, 0}; };
  TfrmMain Wizard(Screen, Environment);
  // In a block: once the block has begun and its first statement went through.
  int TurnsInBlock = 0;
  Screen.OnProcessMessages = [&] {
    if (Point == "block" && !Screen.Log.empty() && Screen.Log.back().find("Выполнение блока обновления 3") != std::string::npos &&
        ++TurnsInBlock == 2) {
      Kill();
    }
  };
  Wizard.FormCreate();
  Wizard.Next_ButtonClick();
  Wizard.SelectDB_ButtonEditPropertiesButtonClick(0);
  Wizard.RunHandler([&] { Wizard.Next_ButtonClick(); });
  std::fputs("the run ended before the kill point\n", stderr);
  return 3;
}
