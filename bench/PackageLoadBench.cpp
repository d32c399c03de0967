// Loading a 100 MB update package of each hard shape, and cutting its blocks into statements:
// the time, and the peak of memory per byte of the package.
//
// Peak memory is counted by this program's own operator new and delete, which add up the
// usable size of every live block: exact for everything the loader and the cutter allocate,
// free of the noise of the resident set (pages the allocator keeps, the generated package's
// own pages). The figure includes the package itself, which the loader reads from memory as it
// reads the executable's resources, so 1.0 would be a loader that holds nothing else.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "package/UpdatePackage.h"
#include "update/ScriptCutter.h"

namespace {

std::atomic<std::size_t> LiveBytes{0};
std::atomic<std::size_t> PeakBytes{0};

void* AllocateCounted(std::size_t ASize) {
  void* Block = std::malloc(ASize == 0 ? 1 : ASize);
  if (Block == nullptr) throw std::bad_alloc();
  const std::size_t Live = LiveBytes += malloc_usable_size(Block);
  std::size_t Peak = PeakBytes.load();
  while (Live > Peak && !PeakBytes.compare_exchange_weak(Peak, Live)) {
  }
  return Block;
}

void FreeCounted(void* ABlock) {
  if (ABlock == nullptr) return;
  LiveBytes -= malloc_usable_size(ABlock);
  std::free(ABlock);
}

}  // namespace

void* operator new(std::size_t ASize) { return AllocateCounted(ASize); }
void* operator new[](std::size_t ASize) { return AllocateCounted(ASize); }
void operator delete(void* ABlock) noexcept { FreeCounted(ABlock); }
void operator delete[](void* ABlock) noexcept { FreeCounted(ABlock); }
void operator delete(void* ABlock, std::size_t) noexcept { FreeCounted(ABlock); }
void operator delete[](void* ABlock, std::size_t) noexcept { FreeCounted(ABlock); }

namespace {

constexpr std::size_t PackageSize = 100u * 1000u * 1000u;

class TMemoryPackage final : public package::TResourceSource {
public:
  TMemoryPackage(std::string ADescriptor, std::string AScript)
      : FDescriptor(std::move(ADescriptor)), FScript(std::move(AScript)) {}

  [[nodiscard]] std::optional<package::TResourceBytes> FindResource(std::string_view AType,
                                                                    int AId) const override {
    const std::string* Text = nullptr;
    if (AType == package::DescriptorResourceType && AId == package::DescriptorResourceId) {
      Text = &FDescriptor;
    } else if (AType == package::ScriptResourceType && AId == package::ScriptResourceId) {
      Text = &FScript;
    } else {
      return std::nullopt;
    }
    return package::TResourceBytes(reinterpret_cast<const std::uint8_t*>(Text->data()),
                                   Text->size());
  }

  [[nodiscard]] std::size_t Size() const { return FDescriptor.size() + FScript.size(); }

private:
  std::string FDescriptor;
  std::string FScript;
};

std::string SmallDescriptor() {
  return "[General]\r\nUpdTitle=Bench\r\n"
         "[FromKvornInfo]\r\nMajorVersion=1\r\nMinorVersion=2\r\nBuildVersion=1\r\n"
         "[ToKvornInfo]\r\nMajorVersion=1\r\nMinorVersion=2\r\nBuildVersion=2\r\n"
         "[FromDBVerif]\r\ntablescount=2\r\nt0=T_PROJECT\r\nt1=T_NOTE\r\n";
}

std::string Repeated(std::string_view APiece, std::size_t ASize) {
  std::string Text;
  Text.reserve(ASize + APiece.size());
  while (Text.size() < ASize) Text += APiece;
  return Text;
}

// An ordinary script: commented schema statements, quoted text, a procedure between SET TERM
// switches, a block separator now and then.
TMemoryPackage OrdinaryScript() {
  return {SmallDescriptor(),
          Repeated("/* ------ step ------ */\r\n\r\nALTER TABLE T_PROJECT\r\nADD ICONID INTEGER;\r\n"
                   "INSERT INTO T_NOTE (ID, S_TEXT) VALUES (1, 'semicolons; inside ''quoted'' text');\r\n"
                   "SET TERM ^ ;\r\nCREATE OR ALTER procedure P (I integer)\r\nas\r\nbegin\r\n"
                   "  insert into T values (:I);\r\nend\r\n^\r\nSET TERM ; ^\r\n--block--\r\n",
                   PackageSize)};
}

// Nothing but empty lines with lone LF breaks, each of which the loader turns into CR LF.
TMemoryPackage ManyLines() { return {SmallDescriptor(), std::string(PackageSize, '\n')}; }

TMemoryPackage ManyBlocks() {
  return {SmallDescriptor(), Repeated("COMMIT;\n--block--", PackageSize)};
}

// Sections with a few keys each, and a table list of a million names to read back.
TMemoryPackage ManySectionsAndKeys() {
  constexpr int Tables = 1000000;
  std::string Descriptor = SmallDescriptor();
  Descriptor.resize(Descriptor.find("tablescount="));
  Descriptor.append("tablescount=").append(std::to_string(Tables)).append("\r\n");
  for (int I = 0; I < Tables; ++I) {
    const std::string Number = std::to_string(I);
    Descriptor.append("t").append(Number).append("=T_").append(Number).append("\r\n");
  }
  for (int I = 0; Descriptor.size() < PackageSize; ++I) {
    const std::string Number = std::to_string(I);
    Descriptor.append("[Section").append(Number).append("]\r\nKey=").append(Number);
    Descriptor.append("\r\nkey=again\r\nOther=x\r\n");
  }
  return {std::move(Descriptor), "COMMIT;\r\n"};
}

// A terminator a third of the script long, set once and then used once, after text that
// repeats its beginning: a plain search compares most of the word at every other character.
TMemoryPackage LongTerminator() {
  const std::string Word = Repeated("ab", PackageSize / 3) + "c";
  std::string Script = "SET TERM " + Word + " ;\r\nDELETE FROM T WHERE A = 1 ";
  Script += Repeated("ab", PackageSize - Script.size() - Word.size());
  Script += Word;
  return {SmallDescriptor(), std::move(Script)};
}

void LoadAndCut(benchmark::State& AState, TMemoryPackage (*AMake)()) {
  const TMemoryPackage Package = AMake();
  std::size_t Statements = 0;
  std::size_t Peak = 0;
  for (auto _ : AState) {
    PeakBytes = LiveBytes.load();
    package::TUpdatePackage Loaded;
    if (!package::LoadUpdateInfo(Package, Loaded)) {
      AState.SkipWithError("the package did not load");
      return;
    }
    std::string Terminator = ";";
    Statements = 0;
    for (const std::string& Block : Loaded.FScriptBlock) {
      update::TScriptCutter Cutter(Block, Terminator);
      while (!std::holds_alternative<update::TScriptEnd>(Cutter.Next())) ++Statements;
      Terminator = Cutter.Terminator();
    }
    Peak = PeakBytes.load();
  }
  const auto Size = static_cast<double>(Package.Size());
  AState.SetBytesProcessed(static_cast<std::int64_t>(AState.iterations()) *
                           static_cast<std::int64_t>(Package.Size()));
  AState.counters["PackageMB"] = Size / 1e6;
  AState.counters["Statements"] = static_cast<double>(Statements);
  AState.counters["PeakPerByte"] = static_cast<double>(Peak) / Size;
  AState.counters["NsPerByte"] = benchmark::Counter(
      Size, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(LoadAndCut, OrdinaryScript, &OrdinaryScript)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(LoadAndCut, ManyLines, &ManyLines)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(LoadAndCut, ManyBlocks, &ManyBlocks)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(LoadAndCut, ManySectionsAndKeys, &ManySectionsAndKeys)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(LoadAndCut, LongTerminator, &LongTerminator)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
