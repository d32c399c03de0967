#include "package/IniFile.h"

#include <limits>
#include <map>
#include <optional>

#include "platform/CaseFold.h"

namespace package {

struct TMemIniFile::TSection {
  std::string FUpperName;
  // Any line other than blanks and comments, an entry or not, makes the section present.
  bool FHasLines = false;
  // Keyed by the upper-cased name; a later occurrence overwrites an earlier one.
  std::map<std::string, std::string, std::less<>> FValues;
};

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

}  // namespace

TMemIniFile::TMemIniFile(const std::vector<std::string>& ALines) {
  TSection* Current = nullptr;
  for (const std::string& RawLine : ALines) {
    const std::string_view Line = Trim(RawLine);
    if (Line.empty() || Line.front() == ';') {
      continue;
    }
    if (IsSectionHeader(Line)) {
      FSections.push_back(std::make_unique<TSection>());
      Current = FSections.back().get();
      Current->FUpperName = platform::UpperCase(Trim(Line.substr(1, Line.size() - 2)));
      continue;
    }
    if (Current == nullptr) {
      continue;
    }
    Current->FHasLines = true;
    if (const size_t Equals = Line.find('='); Equals != std::string_view::npos) {
      Current->FValues.insert_or_assign(platform::UpperCase(Trim(Line.substr(0, Equals))),
                                        std::string(Trim(Line.substr(Equals + 1))));
    }
  }
}

TMemIniFile::~TMemIniFile() = default;

const TMemIniFile::TSection* TMemIniFile::FindSection(std::string_view ASection) const {
  const std::string Name = platform::UpperCase(ASection);
  // Only the last section of a name counts, present or not: earlier ones are shadowed.
  for (auto It = FSections.rbegin(); It != FSections.rend(); ++It) {
    if ((*It)->FUpperName == Name) {
      return (*It)->FHasLines ? It->get() : nullptr;
    }
  }
  return nullptr;
}

bool TMemIniFile::SectionExists(std::string_view ASection) const {
  return FindSection(ASection) != nullptr;
}

const std::string* TMemIniFile::FindValue(std::string_view ASection, std::string_view AKey) const {
  const TSection* Section = FindSection(ASection);
  if (Section == nullptr) {
    return nullptr;
  }
  const auto It = Section->FValues.find(platform::UpperCase(AKey));
  return It == Section->FValues.end() ? nullptr : &It->second;
}

std::string TMemIniFile::ReadString(std::string_view ASection, std::string_view AKey,
                                    const std::string& ADefault) const {
  const std::string* Value = FindValue(ASection, AKey);
  return Value == nullptr ? ADefault : *Value;
}

std::int32_t TMemIniFile::ReadInteger(std::string_view ASection, std::string_view AKey,
                                      std::int32_t ADefault) const {
  const std::string* Value = FindValue(ASection, AKey);
  return Value == nullptr ? ADefault : ParseInteger(*Value).value_or(ADefault);
}

}  // namespace package
