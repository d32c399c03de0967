#include "package/UpdatePackage.h"

#include <string>

#include "package/IniFile.h"
#include "package/TextLines.h"

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

}  // namespace

void SplitText(std::string_view AText, std::string_view ADelimiter, TStringArray& AResult) {
  AResult.clear();
  size_t Start = 0;
  if (!ADelimiter.empty()) {
    for (size_t Found = AText.find(ADelimiter); Found != std::string_view::npos;
         Found = AText.find(ADelimiter, Start)) {
      AResult.emplace_back(AText.substr(Start, Found - Start));
      Start = Found + ADelimiter.size();
    }
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
    const TMemIniFile Ini(SplitLines(DecodeText(*Descriptor)));
    ReadGeneralInfo(Ini, APackage);
    APackage.FFromBDVer = ReadVersion(Ini, "FromKvornInfo");
    APackage.FToBDVer = ReadVersion(Ini, "ToKvornInfo");
    if (!IsComplete(APackage.FFromBDVer) || !IsComplete(APackage.FToBDVer)) {
      return false;
    }
    if (!ReadVerificationTables(Ini, APackage.FDBVerifTables)) {
      return false;
    }
    SplitText(JoinLines(SplitLines(DecodeText(*Script))), ScriptBlockSeparator,
              APackage.FScriptBlock);
    return !APackage.FScriptBlock.empty();
  } catch (...) {
    return false;
  }
}

}  // namespace package
