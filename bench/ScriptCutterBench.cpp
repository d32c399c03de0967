// Cutting speed and memory on a large generated script.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <fstream>
#include <string>
#include <variant>

#include "update/ScriptCutter.h"

namespace {

constexpr std::size_t ScriptSize = 100u * 1024u * 1024u;

// The kernel's figures for this process, in bytes: "VmRSS" (now) or "VmHWM" (peak).
double ResidentBytes(const std::string& AKey) {
  std::ifstream Status("/proc/self/status");
  std::string Key;
  double Kilobytes = 0;
  while (Status >> Key) {
    if (Key == AKey + ":") {
      Status >> Kilobytes;
      return Kilobytes * 1024.0;
    }
  }
  return 0;
}

// Lowers the peak to what is resident now, so that the peak read later belongs to the code
// that ran in between and not to an earlier benchmark.
void ResetPeakResident() {
  std::ofstream ClearRefs("/proc/self/clear_refs");
  ClearRefs << "5";
}

// A repeating mix of what update scripts hold: commented schema statements over several lines,
// inserts with quoted text that hides terminators, a procedure between SET TERM switches.
std::string GenerateScript(std::size_t ASize) {
  static constexpr const char* Pieces[] = {
      "/* ------ step ------ */\r\n\r\nALTER TABLE T_PROJECT\r\nADD ICONID INTEGER;\r\n\r\n",
      "INSERT INTO T_NOTE (ID, S_TEXT) VALUES (1, 'semicolons; inside ''quoted'' text; stay');\r\n",
      "alter table T_PROJECT\r\nalter S_NAME position 2;\r\n",
      "UPDATE T_PROJECT SET S_NAME = \"x;y\" /* a comment; with a terminator */ WHERE ID = 7;\r\n",
      "SET TERM ^ ;\r\nCREATE OR ALTER procedure P (I integer)\r\nas\r\nbegin\r\n"
      "  /* body */\r\n  insert into T values (:I);\r\n  suspend;\r\nend\r\n^\r\nSET TERM ; ^\r\n",
      "DELETE FROM T_PSP_ITEM WHERE ID = 1; SELECT COUNT(*) FROM RDB$DATABASE;\r\n",
  };
  std::string Script;
  Script.reserve(ASize + 512);
  while (Script.size() < ASize) {
    for (const char* Piece : Pieces) Script += Piece;
  }
  return Script;
}

void BM_CutScript(benchmark::State& AState) {
  ResetPeakResident();
  const double Baseline = ResidentBytes("VmRSS");
  const std::string Script = GenerateScript(ScriptSize);
  std::size_t Statements = 0;
  for (auto _ : AState) {
    update::TScriptCutter Cutter(Script, ";");
    Statements = 0;
    for (;;) {
      const update::TScriptItem Item = Cutter.Next();
      if (std::holds_alternative<update::TScriptEnd>(Item)) break;
      benchmark::DoNotOptimize(Item);
      ++Statements;
    }
  }
  const double Peak = ResidentBytes("VmHWM") - Baseline;
  AState.SetBytesProcessed(static_cast<std::int64_t>(AState.iterations()) *
                           static_cast<std::int64_t>(Script.size()));
  AState.counters["ScriptMB"] = static_cast<double>(Script.size()) / 1e6;
  AState.counters["Statements"] = static_cast<double>(Statements);
  // Everything the run added to the process's peak, script included.
  AState.counters["PeakMB"] = Peak / 1e6;
  AState.counters["PeakPerScript"] = Peak / static_cast<double>(Script.size());
}
BENCHMARK(BM_CutScript)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The executor brings a block's line breaks to CR LF once before cutting it.
void BM_NormalizeLineBreaks(benchmark::State& AState) {
  std::string Script = GenerateScript(ScriptSize);
  for (char& Char : Script) {
    if (Char == '\r') Char = ' ';
  }
  for (auto _ : AState) {
    std::string Normalized = update::NormalizeLineBreaks(Script);
    benchmark::DoNotOptimize(Normalized.data());
  }
  AState.SetBytesProcessed(static_cast<std::int64_t>(AState.iterations()) *
                           static_cast<std::int64_t>(Script.size()));
}
BENCHMARK(BM_NormalizeLineBreaks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
