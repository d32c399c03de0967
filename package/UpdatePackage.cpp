#include "package/UpdatePackage.h"

#include <algorithm>
#include <string>

#include "package/IniFile.h"
#include "package/TextLines.h"
#include "platform/TextSearch.h"

namespace package {
namespace {

constexpr std::string_view ScriptBlockSeparator = "--block--";

std::uint16_t ReadVersionField(const TMemIniFile& AIni, std::string_view ASection,
                               std::string_view AKey) {
  // Only the low 16 bits are kept, so 65536 reads as 0 and -1 as "not given".
  return static_cast<std::uint16_t>(
      static_cast<std::uint32_t>(AIni.ReadInteger(ASection, AKey, VersionNotGiven)));
}

TEBDataVaseVersion ReadVersion(const TMemIniFile& AIni, std::string_view ASection) {
  TEBDataVaseVersion Version;
  Version.MajorVersion = ReadVersionField(AIni, ASection, "MajorVersion");
  Version.MinorVersion = ReadVersionField(AIni, ASection, "MinorVersion");
  Version.BuildVersion = ReadVersionField(AIni, ASection, "BuildVersion");
  return Version;
}

bool IsComplete(const TEBDataVaseVersion& AVersion) {
  return AVersion.MajorVersion != VersionNotGiven && AVersion.MinorVersion != VersionNotGiven &&
         AVersion.BuildVersion != VersionNotGiven;
}

void ReadGeneralInfo(const TMemIniFile& AIni, TUpdatePackage& APackage) {
  if (!AIni.SectionExists("General")) {
    return;
  }
  APackage.FGeneralUpdInfo = true;
  APackage.FUpdTitle = AIni.ReadString("General", "UpdTitle", "<unknown>");
  APackage.FUpdDescription = AIni.ReadString("General", "UpdDescription", "");
}

// The list stops growing at the first missing name: the package is unusable from there on,
// and a count such as 2000000000 would otherwise build a list of that many empty names.
bool ReadVerificationTables(const TMemIniFile& AIni, std::vector<std::string>& ATables) {
  const std::int32_t Count = AIni.ReadInteger("FromDBVerif", "tablescount", VersionNotGiven);
  bool NameMissing = false;
  if (Count != VersionNotGiven) {
    for (std::int32_t I = 0; I < Count && !NameMissing; ++I) {
      std::string Key = "t";
      Key += std::to_string(I);
      std::string Name = AIni.ReadString("FromDBVerif", Key, "");
      NameMissing = Name.empty();
      ATables.push_back(std::move(Name));
    }
  }
  return !NameMissing && !ATables.empty();
}

// Cuts the script into blocks as SplitText(NormalizeLineBreaks(DecodeText(script))) would, as
// the text is decoded, so that no whole copy of the script is held beside its blocks. A block
// separator holds no line break, so normalizing the breaks first or not finds the same ones.
class TBlockCutter {
public:
  // AOnPiece(block number, piece) for the block's text in pieces, AOnEnd(block number) after it.
  template <typename TOnPiece, typename TOnEnd>
  static void Cut(TResourceBytes AScript, TOnPiece&& AOnPiece, TOnEnd&& AOnEnd) {
    const platform::TTextSearcher Separator(ScriptBlockSeparator);
    const std::string& Word = Separator.Word();
    std::size_t Block = 0;
    std::size_t Matched = 0;  // the separator's first characters held back at the piece's end
    TLineBreakNormalizer Normalizer([&](std::string_view APiece) {
      // Positions count from the first held character: [0, Carried) are the separator's first
      // characters held back at the end of the pieces before, then comes this piece.
      const std::size_t Carried = Matched;
      std::size_t CarriedOut = 0;  // of the held characters, those known to be block text or used
      std::size_t RunStart = 0;    // where this piece's text not handed on yet begins
      auto ReleaseBefore = [&](std::size_t AMatchStart) {
        const std::size_t Released = std::min(AMatchStart, Carried);
        if (Released > CarriedOut) {
          AOnPiece(Block, std::string_view(Word).substr(CarriedOut, Released - CarriedOut));
          CarriedOut = Released;
        }
      };
      for (std::size_t Pos = 0; Pos < APiece.size(); ++Pos) {
        if (Matched == 0) {
          // Nothing is half matched: skip to where a separator may begin.
          const std::size_t First = APiece.find(Word[0], Pos);
          if (First == std::string_view::npos) break;
          Pos = First;
        }
        Matched = Separator.Advance(Matched, APiece[Pos]);
        const std::size_t MatchStart = Carried + Pos + 1 - Matched;
        ReleaseBefore(MatchStart);
        if (Matched == Word.size()) {
          if (MatchStart > Carried + RunStart) {
            AOnPiece(Block, APiece.substr(RunStart, MatchStart - Carried - RunStart));
          }
          AOnEnd(Block++);
          Matched = 0;
          CarriedOut = Carried;
          RunStart = Pos + 1;
        }
      }
      // What may still begin a separator waits for the next piece.
      const std::size_t HeldFrom = Carried + APiece.size() - Matched;
      if (HeldFrom > Carried + RunStart) {
        AOnPiece(Block, APiece.substr(RunStart, HeldFrom - Carried - RunStart));
      }
    });
    DecodeText(AScript, [&](std::string_view APiece) { Normalizer.Append(APiece); });
    Normalizer.Finish();
    if (Matched > 0) AOnPiece(Block, std::string_view(Word).substr(0, Matched));
    AOnEnd(Block);
  }
};

// Three passes over the script, each one linear: the blocks are counted, then each block is
// allocated at its final size, then filled; so the script's blocks are all that is held of it.
void ReadScriptBlocks(TResourceBytes AScript, TStringArray& ABlocks) {
  ABlocks.clear();
  std::size_t Count = 0;
  TBlockCutter::Cut(AScript, [](std::size_t, std::string_view) {}, [&](std::size_t) { ++Count; });
  ABlocks.reserve(Count);
  std::size_t Size = 0;
  TBlockCutter::Cut(
      AScript, [&](std::size_t, std::string_view APiece) { Size += APiece.size(); },
      [&](std::size_t) {
        ABlocks.emplace_back().reserve(Size);
        Size = 0;
      });
  TBlockCutter::Cut(
      AScript, [&](std::size_t ABlock, std::string_view APiece) { ABlocks[ABlock] += APiece; },
      [](std::size_t) {});
}

}  // namespace

void SplitText(std::string_view AText, std::string_view ADelimiter, TStringArray& AResult) {
  AResult.clear();
  const platform::TTextSearcher Delimiter(ADelimiter);
  size_t Start = 0;
  for (size_t Found = Delimiter.Find(AText, 0); Found != std::string_view::npos;
       Found = Delimiter.Find(AText, Start)) {
    AResult.emplace_back(AText.substr(Start, Found - Start));
    Start = Found + ADelimiter.size();
  }
  AResult.emplace_back(AText.substr(Start));
}

bool LoadUpdateInfo(const TResourceSource& ASource, TUpdatePackage& APackage) noexcept {
  try {
    const std::optional<TResourceBytes> Descriptor =
        ASource.FindResource(DescriptorResourceType, DescriptorResourceId);
    const std::optional<TResourceBytes> Script =
        ASource.FindResource(ScriptResourceType, ScriptResourceId);
    if (!Descriptor || !Script) {
      return false;
    }
    const TDecodedText DescriptorText(*Descriptor);
    const TMemIniFile Ini(DescriptorText.Text());
    ReadGeneralInfo(Ini, APackage);
    APackage.FFromBDVer = ReadVersion(Ini, "FromKvornInfo");
    APackage.FToBDVer = ReadVersion(Ini, "ToKvornInfo");
    if (!IsComplete(APackage.FFromBDVer) || !IsComplete(APackage.FToBDVer)) {
      return false;
    }
    if (!ReadVerificationTables(Ini, APackage.FDBVerifTables)) {
      return false;
    }
    ReadScriptBlocks(*Script, APackage.FScriptBlock);
    return !APackage.FScriptBlock.empty();
  } catch (...) {
    return false;
  }
}

}  // namespace package
