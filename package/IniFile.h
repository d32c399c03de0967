#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace package {

// An INI text held in memory, read with the descriptor's rules: lines cut as SplitLines cuts
// them, trimmed, ";" comments, section and key names without regard to letter case, the last
// section of a name and the last occurrence of a key winning, a section present only when it
// holds a line other than blanks and comments.
//
// The text is indexed once, so that a lookup costs the logarithm of the number of names, not a
// walk over every section; the index keeps positions in the text rather than copies of names
// and values, and the text is not copied: it must outlive the reader.
class TMemIniFile {
public:
  explicit TMemIniFile(std::string_view AText);
  TMemIniFile(const TMemIniFile&) = delete;
  TMemIniFile& operator=(const TMemIniFile&) = delete;

  [[nodiscard]] bool SectionExists(std::string_view ASection) const;
  [[nodiscard]] std::string ReadString(std::string_view ASection, std::string_view AKey,
                                       const std::string& ADefault) const;
  // Decimal in the signed 32-bit range, or hexadecimal ("$", "x", "X", "0x", "0X") of up to 32
  // bits, optionally signed; anything else yields ADefault.
  [[nodiscard]] std::int32_t ReadInteger(std::string_view ASection, std::string_view AKey,
                                         std::int32_t ADefault) const;

private:
  // A hashed name and where it stands (a section's number, or the start of a key's line),
  // sorted by hash and then position: the last occurrence of a name is the last entry of its
  // equal-hash run that really carries the name.
  struct TNameEntry {
    std::uint64_t FHash;
    std::uint64_t FWhere;
    friend bool operator<(const TNameEntry& ALeft, const TNameEntry& ARight) {
      return ALeft.FHash != ARight.FHash ? ALeft.FHash < ARight.FHash : ALeft.FWhere < ARight.FWhere;
    }
  };

  template <typename TVisitor>
  void VisitLines(TVisitor&& AVisitor) const;
  [[nodiscard]] std::string_view SectionName(std::size_t ASection) const;
  [[nodiscard]] std::size_t SectionOfLine(std::uint64_t ALineStart) const;
  [[nodiscard]] bool FindSection(std::string_view ASection, std::size_t& AIndex) const;
  [[nodiscard]] bool FindValue(std::string_view ASection, std::string_view AKey,
                               std::string_view& AValue) const;

  std::string_view FText;
  // One per section header, in text order: where its line starts, shifted left by one, with
  // the lowest bit set when the section holds a line other than blanks and comments.
  std::vector<std::uint64_t> FSections;
  std::vector<TNameEntry> FSectionNames;  // the folded name, and the section's number
  std::vector<TNameEntry> FKeys;          // the section's number and folded key, and the line
};

}  // namespace package
