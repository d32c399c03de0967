// package_check <folder>: loads update.inf and update.sql from the folder exactly as the wizard
// loads its embedded copies, and fails when the wizard would refuse them. Then it cuts every
// block with the executor's own cutter and fails on what would stop a block in the middle of an
// update. The build runs it before embedding the folder, so that a broken package never ships.
// Script faults are told the way a compiler tells its errors, so that an editor can jump to them.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "package/UpdatePackage.h"
#include "update/ScriptCutter.h"

namespace {

namespace fs = std::filesystem;

using TBytes = std::vector<std::uint8_t>;

bool ReadWholeFile(const fs::path& APath, TBytes& ABytes) {
  std::ifstream Stream(APath, std::ios::binary);
  std::error_code Error;
  const std::uintmax_t Size = fs::file_size(APath, Error);
  if (!Stream || Error) {
    return false;
  }
  ABytes.resize(static_cast<size_t>(Size));
  Stream.read(reinterpret_cast<char*>(ABytes.data()), static_cast<std::streamsize>(ABytes.size()));
  return Stream.gcount() == static_cast<std::streamsize>(ABytes.size());
}

class TFolderResources final : public package::TResourceSource {
public:
  void Add(std::string_view AType, int AId, TBytes ABytes) {
    FResources[{std::string(AType), AId}] = std::move(ABytes);
  }

  [[nodiscard]] std::optional<package::TResourceBytes> FindResource(std::string_view AType,
                                                                    int AId) const override {
    const auto It = FResources.find({std::string(AType), AId});
    if (It == FResources.end()) {
      return std::nullopt;
    }
    return package::TResourceBytes(It->second);
  }

private:
  std::map<std::pair<std::string, int>, TBytes> FResources;
};

// LoadUpdateInfo answers only yes or no; the fields it filled before giving up tell why.
std::string Diagnose(const package::TUpdatePackage& APackage) {
  auto Incomplete = [](const package::TEBDataVaseVersion& AVersion) {
    return AVersion.MajorVersion == package::VersionNotGiven ||
           AVersion.MinorVersion == package::VersionNotGiven ||
           AVersion.BuildVersion == package::VersionNotGiven;
  };
  if (Incomplete(APackage.FFromBDVer)) {
    return "[FromKvornInfo] does not give MajorVersion, MinorVersion and BuildVersion";
  }
  if (Incomplete(APackage.FToBDVer)) {
    return "[ToKvornInfo] does not give MajorVersion, MinorVersion and BuildVersion";
  }
  if (APackage.FDBVerifTables.empty()) {
    return "[FromDBVerif] tablescount is missing, not a number or not positive";
  }
  if (APackage.FDBVerifTables.back().empty()) {
    return "[FromDBVerif] t" + std::to_string(APackage.FDBVerifTables.size() - 1) +
           " is missing or empty";
  }
  return "the loader rejected it";
}

// The executor starts the first block with this terminator and carries the one in force into the
// next block.
constexpr std::string_view DefaultTerminator = ";";

// The blanks before a cut-off terminator are no part of what the author has to find.
[[nodiscard]] std::string_view FirstLine(std::string_view AText) {
  const std::string_view Line = AText.substr(0, AText.find_first_of("\r\n"));
  return Line.substr(0, Line.find_last_not_of(" \t") + 1);
}

[[nodiscard]] std::size_t CountLineBreaks(std::string_view AText) {
  std::size_t Count = 0;
  for (std::size_t Pos = AText.find("\r\n"); Pos != std::string_view::npos;
       Pos = AText.find("\r\n", Pos + 2)) {
    ++Count;
  }
  return Count;
}

// The 1-based line ALineIndex of a CR LF text.
[[nodiscard]] std::string_view LineOf(std::string_view AText, std::size_t ALineIndex) {
  std::size_t Pos = 0;
  for (std::size_t Line = 1; Line < ALineIndex && Pos < AText.size(); ++Line) {
    const std::size_t Break = AText.find("\r\n", Pos);
    Pos = Break == std::string_view::npos ? AText.size() : Break + 2;
  }
  return FirstLine(AText.substr(Pos));
}

class TScriptReport {
public:
  explicit TScriptReport(std::string AScriptPath) : FScriptPath(std::move(AScriptPath)) {}

  // The cutter counts lines within the block; a block starts on the line where the separator
  // before it stands, or on line 1 for the first one.
  void Error(std::size_t ABlock, std::size_t AStartLine, std::size_t ALineIndex, std::string_view AWhat,
             std::string_view AText) {
    std::cerr << FScriptPath << ':' << AStartLine + ALineIndex - 1
              << ": error: block " << ABlock << ": " << AWhat;
    if (!AText.empty()) {
      std::cerr << ": " << AText;
    }
    std::cerr << '\n';
    ++FErrorCount;
  }

  [[nodiscard]] int ErrorCount() const { return FErrorCount; }

private:
  std::string FScriptPath;
  int FErrorCount = 0;
};

// Cuts the blocks as the wizard's update run does: each block alone, in order, the terminator
// carried from one to the next. Blocks are numbered from 0, as the wizard's log numbers them.
// Only the first error of a block counts, since the executor gives the block up there.
void CheckScriptBlocks(const package::TStringArray& ABlocks, TScriptReport& AReport) {
  std::string Terminator(DefaultTerminator);
  std::size_t StartLine = 1;
  for (std::size_t Block = 0; Block < ABlocks.size(); ++Block) {
    const std::string Text = update::NormalizeLineBreaks(ABlocks[Block]);
    update::TScriptCutter Cutter(Text, Terminator);
    const int ErrorsBefore = AReport.ErrorCount();
    bool HasStatement = false;
    std::optional<update::TScriptStatement> LastSetTerm;
    for (;;) {
      const update::TScriptItem Item = Cutter.Next();
      if (std::holds_alternative<update::TScriptEnd>(Item)) {
        if (!HasStatement) {
          AReport.Error(Block, StartLine, 1, "the block holds no statement", "");
        } else if (Cutter.Terminator() != DefaultTerminator) {
          // The next block would be cut with this terminator, and any block added or moved
          // later too: each block is to leave the terminator as it found it.
          AReport.Error(Block, StartLine, LastSetTerm ? LastSetTerm->LineIndex : 1,
                        "the block ends with the terminator \"" + Cutter.Terminator() +
                            "\" in force; set it back with SET TERM ; " + Cutter.Terminator(),
                        LastSetTerm ? FirstLine(LastSetTerm->Text) : "");
        }
        break;
      }
      if (const auto* Error = std::get_if<update::TScriptParseError>(&Item)) {
        // An unclosed comment comes without text: the line where it stands tells more.
        const std::string_view Shown =
            Error->SQLText.empty() ? LineOf(Text, Error->LineIndex) : FirstLine(Error->SQLText);
        AReport.Error(Block, StartLine, Error->LineIndex, Error->Error, Shown);
        break;
      }
      const auto& Statement = std::get<update::TScriptStatement>(Item);
      HasStatement = true;
      if (Statement.Kind == update::TStatementKind::SetTerm) {
        LastSetTerm = Statement;
      }
    }
    // After a fault the rest is checked from a clean terminator, so that one forgotten
    // SET TERM is told once rather than as a fault of every block after it.
    Terminator = AReport.ErrorCount() == ErrorsBefore ? Cutter.Terminator()
                                                      : std::string(DefaultTerminator);
    StartLine += CountLineBreaks(ABlocks[Block]);
  }
}

int CheckFolder(const fs::path& AFolder) {
  TFolderResources Resources;
  const std::pair<fs::path, std::pair<std::string_view, int>> Files[] = {
      {AFolder / "update.inf", {package::DescriptorResourceType, package::DescriptorResourceId}},
      {AFolder / "update.sql", {package::ScriptResourceType, package::ScriptResourceId}}};
  for (const auto& [Path, Resource] : Files) {
    TBytes Bytes;
    if (!ReadWholeFile(Path, Bytes)) {
      std::cerr << "error: the update package in " << AFolder << " is unusable: cannot read "
                << Path << "\n";
      return 1;
    }
    Resources.Add(Resource.first, Resource.second, std::move(Bytes));
  }
  package::TUpdatePackage Package;
  if (!package::LoadUpdateInfo(Resources, Package)) {
    std::cerr << "error: the update package in " << AFolder
              << " is unusable: " << Diagnose(Package) << "\n";
    return 1;
  }
  TScriptReport Report((AFolder / "update.sql").string());
  CheckScriptBlocks(Package.FScriptBlock, Report);
  return Report.ErrorCount() == 0 ? 0 : 1;
}

}  // namespace

int main(int AArgCount, char** AArgs) {
  if (AArgCount != 2) {
    std::cerr << "usage: package_check <folder with update.inf and update.sql>\n";
    return 2;
  }
  try {
    return CheckFolder(AArgs[1]);
  } catch (const std::exception& AError) {
    std::cerr << "error: checking the update package in " << AArgs[1] << " failed: "
              << AError.what() << "\n";
    return 1;
  }
}
