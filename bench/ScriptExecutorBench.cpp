// The executor against isql-fb on the same generated script, each on its own copy of a demo
// database, in one run so that both meet the same machine state.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "db/IBDatabase.h"
#include "tools/DemoDatabase.h"
#include "update/IBScript.h"
#include "update/tests/Isql.h"

namespace {

constexpr int Rounds = 1000;
constexpr int SchemaPerRound = 2;
constexpr int DataPerRound = 20;

// Per round a new table and a column added to it, then twenty changes of T_NOTE. The data
// statements touch only a table that existed before the block began: the block's transaction
// is older than the tables the block creates and could not see them.
std::string GenerateScript() {
  std::string Script;
  int Id = 100;
  for (int Round = 0; Round < Rounds; ++Round) {
    const std::string Table = "T_BENCH_" + std::to_string(Round);
    Script += "/* round " + std::to_string(Round) + " */\r\nCREATE TABLE " + Table +
              " (\r\n  ID INTEGER NOT NULL PRIMARY KEY,\r\n  S_NAME VARCHAR(64));\r\n" +
              "ALTER TABLE " + Table + "\r\nADD V_VALUE INTEGER;\r\n";
    const int FirstId = Id;
    for (int Row = 0; Row < DataPerRound - 3; ++Row, ++Id) {
      Script += "INSERT INTO T_NOTE (ID, S_TEXT, C_TIMESTAMP)\r\nVALUES (" + std::to_string(Id) +
                ", 'note; ''" + std::to_string(Id) + "''', CURRENT_TIMESTAMP);\r\n";
    }
    Script += "UPDATE T_NOTE SET S_TEXT = 'changed' WHERE ID = " + std::to_string(FirstId) + ";\r\n";
    Script += "UPDATE T_NOTE SET C_TIMESTAMP = NULL WHERE ID > " + std::to_string(Id - 3) + ";\r\n";
    Script += "DELETE FROM T_NOTE WHERE ID = " + std::to_string(Id - 1) + ";\r\n";
  }
  return Script;
}

class TScratchFolder {
public:
  TScratchFolder() {
    std::string Template = (std::filesystem::temp_directory_path() / "bench-XXXXXX").string();
    if (mkdtemp(Template.data()) == nullptr) throw std::runtime_error("no temporary folder");
    FPath = Template;
  }
  ~TScratchFolder() {
    std::error_code Ignored;
    std::filesystem::remove_all(FPath, Ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  [[nodiscard]] std::string File(const std::string& AName) const { return (FPath / AName).string(); }

private:
  std::filesystem::path FPath;
};

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point AStart) {
  return std::chrono::duration<double>(TClock::now() - AStart).count();
}

// Connects, runs the script as one block the way the update run does, commits and closes;
// returns the first error the events reported, or nothing.
std::string RunThroughExecutor(const std::shared_ptr<const db::TIBClientLibrary>& ALibrary,
                               const std::string& AFile, const std::string& AScript) {
  db::TIBDatabase Database(ALibrary);
  Database.SetLoginPrompt(false);
  Database.SetDatabaseName(AFile);
  Database.Params().push_back("user_name=SYSDBA");
  Database.Open();
  db::TIBTransaction Transaction(Database);
  update::TIBScript Script(Database, Transaction);
  std::string Error;
  Script.OnParseError = [&](update::TIBScript&, const std::string& AError,
                            const std::string& ASQLText, int) {
    Error = "Parse error " + AError + " in SQL text " + ASQLText;
  };
  Script.OnExecuteError = [&](update::TIBScript&, const std::string& AError,
                              const std::string& ASQLText, int, bool&) {
    Error = "Execute error " + AError + " in SQL text " + ASQLText;
  };
  Script.SetScriptText(AScript);
  Transaction.StartTransaction();
  Script.ExecuteScript();
  Transaction.Commit();
  Database.Close();
  return Error;
}

void BM_ExecutorVersusIsql(benchmark::State& AState) {
  if (!update::IsqlAvailable()) {
    AState.SkipWithError("isql-fb is not installed");
    return;
  }
  const auto Library = db::TIBClientLibrary::Load();
  const std::string Script = GenerateScript();
  TScratchFolder Folder;
  const std::string Original = Folder.File("demo.fdb");
  demodb::CreateDemoDatabase(Library, Original);

  double ExecutorTotal = 0;
  double IsqlTotal = 0;
  int Round = 0;
  for (auto _ : AState) {
    ++Round;
    const std::string ByExecutor = Folder.File("executor" + std::to_string(Round) + ".fdb");
    const std::string ByIsql = Folder.File("isql" + std::to_string(Round) + ".fdb");
    std::filesystem::copy_file(Original, ByExecutor);
    std::filesystem::copy_file(Original, ByIsql);

    std::string Error;
    double ExecutorSeconds = 0;
    const auto TimeExecutor = [&] {
      const TClock::time_point Start = TClock::now();
      Error = RunThroughExecutor(Library, ByExecutor, Script);
      ExecutorSeconds = SecondsSince(Start);
    };
    update::TIsqlResult Isql;
    double IsqlSeconds = 0;
    const auto TimeIsql = [&] {
      // isql ends its input with the commit that the update run makes after a block.
      const TClock::time_point Start = TClock::now();
      Isql = update::RunIsql(ByIsql, Script + "COMMIT;\r\n", Folder.File("script.sql"));
      IsqlSeconds = SecondsSince(Start);
    };
    // Taking turns at going first keeps whatever the first run leaves behind (a warm cache, dirty
    // pages still being written) from favouring one side.
    if (Round % 2 == 1) {
      TimeExecutor();
      TimeIsql();
    } else {
      TimeIsql();
      TimeExecutor();
    }

    if (!Error.empty() || Isql.ExitCode != 0) {
      AState.SkipWithError(("executor: " + Error + "; isql: " + Isql.Output).c_str());
      return;
    }
    AState.SetIterationTime(ExecutorSeconds);
    ExecutorTotal += ExecutorSeconds;
    IsqlTotal += IsqlSeconds;
    std::filesystem::remove(ByExecutor);
    std::filesystem::remove(ByIsql);
  }
  AState.counters["ExecutorSeconds"] = ExecutorTotal / Round;
  AState.counters["IsqlSeconds"] = IsqlTotal / Round;
  AState.counters["ExecutorPerIsql"] = ExecutorTotal / IsqlTotal;
  AState.counters["SchemaStatements"] = Rounds * SchemaPerRound;
  AState.counters["DataStatements"] = Rounds * DataPerRound;
}
BENCHMARK(BM_ExecutorVersusIsql)->UseManualTime()->Iterations(4)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
