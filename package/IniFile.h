#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace package {

// An INI text held in memory, read with the descriptor's rules: trimmed lines, ";" comments,
// section and key names without regard to letter case, the last section of a name and the last
// occurrence of a key winning, a section present only when it holds a line other than blanks
// and comments.
class TMemIniFile {
public:
  explicit TMemIniFile(const std::vector<std::string>& ALines);
  ~TMemIniFile();
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
  struct TSection;
  [[nodiscard]] const TSection* FindSection(std::string_view ASection) const;
  [[nodiscard]] const std::string* FindValue(std::string_view ASection, std::string_view AKey) const;
  std::vector<std::unique_ptr<TSection>> FSections;
};

}  // namespace package
