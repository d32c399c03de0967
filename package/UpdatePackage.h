#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace package {

// A database version; 65535 in a field means that the value is not given.
struct TEBDataVaseVersion {
  std::uint16_t MajorVersion = 65535;
  std::uint16_t MinorVersion = 65535;
  std::uint16_t BuildVersion = 65535;

  friend bool operator==(const TEBDataVaseVersion&, const TEBDataVaseVersion&) = default;
};

inline constexpr std::uint16_t VersionNotGiven = 65535;

using TStringArray = std::vector<std::string>;

// Cuts AText at every occurrence of ADelimiter (exact, case-sensitive) into AResult, which is
// cleared first: k occurrences give k + 1 pieces, empty pieces included. An empty delimiter
// never matches. Linear in the length of the text.
void SplitText(std::string_view AText, std::string_view ADelimiter, TStringArray& AResult);

using TResourceBytes = std::span<const std::uint8_t>;

// Where the package's two texts come from: the executable's own embedded resources in the
// program, hand-made bytes in tests.
class TResourceSource {
public:
  virtual ~TResourceSource() = default;
  [[nodiscard]] virtual std::optional<TResourceBytes> FindResource(std::string_view AType,
                                                                   int AId) const = 0;
};

inline constexpr std::string_view DescriptorResourceType = "INF";
inline constexpr int DescriptorResourceId = 1000;
inline constexpr std::string_view ScriptResourceType = "SCRIPT";
inline constexpr int ScriptResourceId = 1001;

// What the package tells the wizard. The fields keep the names the wizard uses for them.
struct TUpdatePackage {
  bool FGeneralUpdInfo = false;
  std::string FUpdTitle;
  std::string FUpdDescription;
  TEBDataVaseVersion FFromBDVer;
  TEBDataVaseVersion FToBDVer;
  std::vector<std::string> FDBVerifTables;
  TStringArray FScriptBlock;
};

// Reads the descriptor and the script from ASource into APackage. False when the package is
// unusable (missing resource, version not given, no or incomplete table list); never throws.
// Fields written before a failure keep their values.
[[nodiscard]] bool LoadUpdateInfo(const TResourceSource& ASource, TUpdatePackage& APackage) noexcept;

}  // namespace package
