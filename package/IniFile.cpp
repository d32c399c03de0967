#include "package/IniFile.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

#include "platform/CaseFold.h"

namespace package {
namespace {

bool IsBlankOrControl(char AChar) { return static_cast<unsigned char>(AChar) <= ' '; }

std::string_view Trim(std::string_view AText) {
  while (!AText.empty() && IsBlankOrControl(AText.front())) {
    AText.remove_prefix(1);
  }
  while (!AText.empty() && IsBlankOrControl(AText.back())) {
    AText.remove_suffix(1);
  }
  return AText;
}

bool IsSectionHeader(std::string_view ALine) {
  return ALine.size() >= 2 && ALine.front() == '[' && ALine.back() == ']';
}

int HexDigitValue(char AChar) {
  if (AChar >= '0' && AChar <= '9') return AChar - '0';
  if (AChar >= 'a' && AChar <= 'f') return AChar - 'a' + 10;
  if (AChar >= 'A' && AChar <= 'F') return AChar - 'A' + 10;
  return -1;
}

// Up to 32 significant bits; the caller reinterprets them as a signed value.
std::optional<std::uint32_t> ParseHex(std::string_view ADigits) {
  if (ADigits.empty()) {
    return std::nullopt;
  }
  std::uint32_t Value = 0;
  for (const char Digit : ADigits) {
    const int DigitValue = HexDigitValue(Digit);
    if (DigitValue < 0 || (Value & 0xF0000000u) != 0) {
      return std::nullopt;
    }
    Value = Value << 4 | static_cast<std::uint32_t>(DigitValue);
  }
  return Value;
}

// The magnitude only; at most 2^31 so that the most negative value still fits.
std::optional<std::uint32_t> ParseDecimal(std::string_view ADigits) {
  constexpr std::uint64_t Limit = std::uint64_t{1} << 31;
  if (ADigits.empty()) {
    return std::nullopt;
  }
  std::uint64_t Value = 0;
  for (const char Digit : ADigits) {
    if (Digit < '0' || Digit > '9') {
      return std::nullopt;
    }
    Value = Value * 10 + static_cast<std::uint64_t>(Digit - '0');
    if (Value > Limit) {
      return std::nullopt;
    }
  }
  return static_cast<std::uint32_t>(Value);
}

bool IsHexPrefixed(std::string_view AText, size_t& APrefixLength) {
  if (!AText.empty() && (AText[0] == '$' || AText[0] == 'x' || AText[0] == 'X')) {
    APrefixLength = 1;
    return true;
  }
  if (AText.size() >= 2 && AText[0] == '0' && (AText[1] == 'x' || AText[1] == 'X')) {
    APrefixLength = 2;
    return true;
  }
  return false;
}

// The usual StrToIntDef reading: a sign may stand before the hexadecimal forms too, and
// negates their 32-bit pattern ("-$10" is -16, "-$FFFFFFFF" is 1).
std::optional<std::int32_t> ParseInteger(std::string_view AText) {
  const bool Negative = !AText.empty() && AText.front() == '-';
  if (!AText.empty() && (AText.front() == '-' || AText.front() == '+')) {
    AText.remove_prefix(1);
  }
  size_t PrefixLength = 0;
  if (IsHexPrefixed(AText, PrefixLength)) {
    const std::optional<std::uint32_t> Bits = ParseHex(AText.substr(PrefixLength));
    if (!Bits) {
      return std::nullopt;
    }
    return static_cast<std::int32_t>(Negative ? 0u - *Bits : *Bits);
  }
  const std::optional<std::uint32_t> Magnitude = ParseDecimal(AText);
  if (!Magnitude || (!Negative && *Magnitude > std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(Negative ? 0u - *Magnitude : *Magnitude);
}

// The hash of a name in one section: the same key in two sections must not share a run.
std::uint64_t HashKey(std::size_t ASection, std::string_view AFoldedKey) {
  std::uint64_t Hash = std::hash<std::string_view>{}(AFoldedKey) ^
                       (static_cast<std::uint64_t>(ASection) * 0x9E3779B97F4A7C15u);
  Hash ^= Hash >> 31;
  return Hash * 0xBF58476D1CE4E5B9u;
}

std::uint64_t HashName(std::string_view AFoldedName) {
  return std::hash<std::string_view>{}(AFoldedName);
}

// The line starting at AStart, without its break.
std::string_view LineAt(std::string_view AText, std::size_t AStart) {
  const std::size_t Break = AText.find_first_of("\r\n", AStart);
  return AText.substr(AStart, Break == std::string_view::npos ? std::string_view::npos : Break - AStart);
}

// The name of a "name=value" line, trimmed; the line has been trimmed already.
std::string_view KeyOf(std::string_view ALine) { return Trim(ALine.substr(0, ALine.find('='))); }

std::string_view ValueOf(std::string_view ALine) {
  return Trim(ALine.substr(ALine.find('=') + 1));
}

std::string_view SectionNameOf(std::string_view AHeader) {
  return Trim(AHeader.substr(1, AHeader.size() - 2));
}

}  // namespace

// Calls AVisitor.Header(start, line) for a section header, AVisitor.Line(start, line) for any
// other line that is neither blank nor a comment, with the line trimmed.
template <typename TVisitor>
void TMemIniFile::VisitLines(TVisitor&& AVisitor) const {
  const std::string_view Text = FText;
  std::size_t Start = 0;
  while (Start < Text.size()) {
    std::size_t Break = Text.find_first_of("\r\n", Start);
    if (Break == std::string_view::npos) Break = Text.size();
    const std::string_view Line = Trim(Text.substr(Start, Break - Start));
    if (!Line.empty() && Line.front() != ';') {
      if (IsSectionHeader(Line)) {
        AVisitor.Header(Start, Line);
      } else {
        AVisitor.Line(Start, Line);
      }
    }
    const bool CrLf = Break + 1 < Text.size() && Text[Break] == '\r' && Text[Break + 1] == '\n';
    Start = Break + (CrLf ? 2 : 1);
  }
}

TMemIniFile::TMemIniFile(std::string_view AText) : FText(AText) {
  // Counted first, so that the index is allocated once at its final size.
  struct TCounter {
    std::size_t Sections = 0;
    std::size_t Keys = 0;
    void Header(std::size_t, std::string_view) { ++Sections; }
    void Line(std::size_t, std::string_view ALine) {
      Keys += Sections > 0 && ALine.find('=') != std::string_view::npos ? 1u : 0u;
    }
  } Counter;
  VisitLines(Counter);
  FSections.reserve(Counter.Sections);
  FSectionNames.reserve(Counter.Sections);
  FKeys.reserve(Counter.Keys);

  struct TIndexer {
    TMemIniFile& Ini;
    void Header(std::size_t AStart, std::string_view ALine) {
      Ini.FSectionNames.push_back(
          {HashName(platform::UpperCase(SectionNameOf(ALine))), Ini.FSections.size()});
      Ini.FSections.push_back(static_cast<std::uint64_t>(AStart) << 1);
    }
    void Line(std::size_t AStart, std::string_view ALine) {
      if (Ini.FSections.empty()) return;
      // Any line other than blanks and comments, an entry or not, makes the section present.
      Ini.FSections.back() |= 1u;
      if (ALine.find('=') != std::string_view::npos) {
        Ini.FKeys.push_back(
            {HashKey(Ini.FSections.size() - 1, platform::UpperCase(KeyOf(ALine))), AStart});
      }
    }
  } Indexer{*this};
  VisitLines(Indexer);
  std::sort(FSectionNames.begin(), FSectionNames.end());
  std::sort(FKeys.begin(), FKeys.end());
}

std::string_view TMemIniFile::SectionName(std::size_t ASection) const {
  return SectionNameOf(Trim(LineAt(FText, static_cast<std::size_t>(FSections[ASection] >> 1))));
}

std::size_t TMemIniFile::SectionOfLine(std::uint64_t ALineStart) const {
  // Header starts are in text order; the key's section is the last header before its line.
  const auto After = std::upper_bound(FSections.begin(), FSections.end(), ALineStart << 1);
  return static_cast<std::size_t>(After - FSections.begin()) - 1;
}

bool TMemIniFile::FindSection(std::string_view ASection, std::size_t& AIndex) const {
  const std::string Name = platform::UpperCase(ASection);
  const auto [First, Last] = std::equal_range(
      FSectionNames.begin(), FSectionNames.end(), TNameEntry{HashName(Name), 0},
      [](const TNameEntry& ALeft, const TNameEntry& ARight) { return ALeft.FHash < ARight.FHash; });
  // Only the last section of a name counts, present or not: earlier ones are shadowed.
  for (auto It = Last; It != First;) {
    --It;
    if (platform::UpperCase(SectionName(static_cast<std::size_t>(It->FWhere))) == Name) {
      AIndex = static_cast<std::size_t>(It->FWhere);
      return (FSections[AIndex] & 1u) != 0;
    }
  }
  return false;
}

bool TMemIniFile::SectionExists(std::string_view ASection) const {
  std::size_t Index = 0;
  return FindSection(ASection, Index);
}

bool TMemIniFile::FindValue(std::string_view ASection, std::string_view AKey,
                            std::string_view& AValue) const {
  std::size_t Section = 0;
  if (!FindSection(ASection, Section)) {
    return false;
  }
  const std::string Key = platform::UpperCase(AKey);
  const auto [First, Last] = std::equal_range(
      FKeys.begin(), FKeys.end(), TNameEntry{HashKey(Section, Key), 0},
      [](const TNameEntry& ALeft, const TNameEntry& ARight) { return ALeft.FHash < ARight.FHash; });
  // The last occurrence wins.
  for (auto It = Last; It != First;) {
    --It;
    const std::string_view Line = Trim(LineAt(FText, static_cast<std::size_t>(It->FWhere)));
    if (SectionOfLine(It->FWhere) == Section && platform::UpperCase(KeyOf(Line)) == Key) {
      AValue = ValueOf(Line);
      return true;
    }
  }
  return false;
}

std::string TMemIniFile::ReadString(std::string_view ASection, std::string_view AKey,
                                    const std::string& ADefault) const {
  std::string_view Value;
  return FindValue(ASection, AKey, Value) ? std::string(Value) : ADefault;
}

std::int32_t TMemIniFile::ReadInteger(std::string_view ASection, std::string_view AKey,
                                      std::int32_t ADefault) const {
  std::string_view Value;
  return FindValue(ASection, AKey, Value) ? ParseInteger(Value).value_or(ADefault) : ADefault;
}

}  // namespace package
