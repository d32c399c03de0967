// The backup step of an update run (lock the database, copy it to the backup name, flushed to
// disk) against a plain `cp` of the same file, in one run; and the longest stretch in which the
// copy gave no word of progress, which is how long the window goes without turning its events.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FileOperations.h"

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr std::size_t FileSize = std::size_t{1} << 30;

fs::path MakeFolder() {
  std::string Template = (fs::temp_directory_path() / "backup-bench-XXXXXX").string();
  if (::mkdtemp(Template.data()) == nullptr) {
    throw std::runtime_error("cannot make a temporary folder");
  }
  return Template;
}

// Random bytes, so that no file system can store the file as holes.
void WriteDatabase(const fs::path& AFile) {
  std::ofstream File(AFile, std::ios::binary);
  std::mt19937_64 Random(42);
  std::vector<std::uint64_t> Chunk(1 << 17);
  for (std::size_t Written = 0; Written < FileSize; Written += Chunk.size() * sizeof(std::uint64_t)) {
    for (auto& Word : Chunk) {
      Word = Random();
    }
    File.write(reinterpret_cast<const char*>(Chunk.data()), static_cast<std::streamsize>(Chunk.size() * 8));
  }
}

double Seconds(TClock::duration ADuration) { return std::chrono::duration<double>(ADuration).count(); }

void BackupStepAgainstCp(benchmark::State& AState) {
  const fs::path Folder = MakeFolder();
  const std::string Database = (Folder / "client.fdb").string();
  const std::string Backup = (Folder / "kvorn_2014121_1233.tmp").string();
  const std::string CpCopy = (Folder / "cp-copy.fdb").string();
  WriteDatabase(Database);
  platform::TSystemFileOperations Files;
  double BackupTotal = 0;
  double CpTotal = 0;
  double CpSyncTotal = 0;

  double LongestSilence = 0;

  for (auto _ : AState) {
    const auto BackupStart = TClock::now();
    auto LastWord = BackupStart;
    const auto Heard = [&] {
      const auto Now = TClock::now();
      LongestSilence = std::max(LongestSilence, Seconds(Now - LastWord));
      LastWord = Now;
    };
    {
      int Error = 0;
      const auto Lock = Files.LockExclusive(Database, Error);
      if (!Lock || !Files.CopyFileNoReplace(Database, Backup, [&](std::uint64_t, std::uint64_t) { Heard(); })
                        .Succeeded()) {
        AState.SkipWithError("the backup step failed");
        break;
      }
    }
    Heard();
    const double BackupTime = Seconds(TClock::now() - BackupStart);

    const auto CpStart = TClock::now();
    if (std::system(("cp '" + Database + "' '" + CpCopy + "'").c_str()) != 0) {
      AState.SkipWithError("cp failed");
      break;
    }
    const double CpTime = Seconds(TClock::now() - CpStart);
    // The backup flushes its copy to disk before it counts as made; cp does not.
    const auto SyncStart = TClock::now();
    if (std::system(("sync '" + CpCopy + "'").c_str()) != 0) {
      AState.SkipWithError("sync failed");
      break;
    }
    const double CpSyncTime = CpTime + Seconds(TClock::now() - SyncStart);

    AState.SetIterationTime(BackupTime);
    BackupTotal += BackupTime;
    CpTotal += CpTime;
    CpSyncTotal += CpSyncTime;
    fs::remove(Backup);
    fs::remove(CpCopy);
  }
  const auto Runs = static_cast<double>(AState.iterations());
  AState.counters["backup_s"] = BackupTotal / Runs;
  AState.counters["cp_s"] = CpTotal / Runs;
  AState.counters["cp_sync_s"] = CpSyncTotal / Runs;
  AState.counters["ratio"] = BackupTotal / CpTotal;
  AState.counters["ratio_to_cp_sync"] = BackupTotal / CpSyncTotal;
  AState.counters["longest_silence_ms"] = LongestSilence * 1000;
  AState.SetBytesProcessed(static_cast<std::int64_t>(AState.iterations()) * static_cast<std::int64_t>(FileSize));
  fs::remove_all(Folder);
}

BENCHMARK(BackupStepAgainstCp)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
