#include "platform/Utf8.h"

#include <cstdint>

namespace platform {
namespace {

struct TLeadRule {
  std::size_t Length = 0;  // 0: the byte begins no sequence
  std::uint8_t Low = 0x80;  // the range the second byte must fall in
  std::uint8_t High = 0xBF;
};

// The narrowed second-byte ranges are what rule out overlong forms, surrogates and characters
// above U+10FFFF; every later byte is a plain continuation byte.
TLeadRule RuleOf(std::uint8_t ALead) {
  if (ALead < 0x80) return {1, 0, 0};
  if (ALead >= 0xC2 && ALead <= 0xDF) return {2, 0x80, 0xBF};
  if (ALead == 0xE0) return {3, 0xA0, 0xBF};
  if (ALead == 0xED) return {3, 0x80, 0x9F};
  if (ALead >= 0xE1 && ALead <= 0xEF) return {3, 0x80, 0xBF};
  if (ALead == 0xF0) return {4, 0x90, 0xBF};
  if (ALead == 0xF4) return {4, 0x80, 0x8F};
  if (ALead >= 0xF1 && ALead <= 0xF3) return {4, 0x80, 0xBF};
  return {};
}

std::uint8_t ByteAt(std::string_view AText, std::size_t APos) {
  return static_cast<std::uint8_t>(AText[APos]);
}

// How many bytes from APos agree with the lead byte's rule, up to its full length.
std::size_t MatchingLength(std::string_view AText, std::size_t APos, const TLeadRule& ARule) {
  if (ARule.Length <= 1) return ARule.Length;
  std::size_t Length = 1;
  if (APos + 1 < AText.size() && ByteAt(AText, APos + 1) >= ARule.Low &&
      ByteAt(AText, APos + 1) <= ARule.High) {
    ++Length;
    while (Length < ARule.Length && APos + Length < AText.size() &&
           (ByteAt(AText, APos + Length) & 0xC0) == 0x80) {
      ++Length;
    }
  }
  return Length;
}

}  // namespace

void AppendUtf8(std::string& AOut, char32_t ACode) {
  if (ACode < 0x80) {
    AOut += static_cast<char>(ACode);
  } else if (ACode < 0x800) {
    AOut += static_cast<char>(0xC0 | (ACode >> 6));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  } else if (ACode < 0x10000) {
    AOut += static_cast<char>(0xE0 | (ACode >> 12));
    AOut += static_cast<char>(0x80 | ((ACode >> 6) & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  } else {
    AOut += static_cast<char>(0xF0 | (ACode >> 18));
    AOut += static_cast<char>(0x80 | ((ACode >> 12) & 0x3F));
    AOut += static_cast<char>(0x80 | ((ACode >> 6) & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  }
}

std::size_t WellFormedUtf8Length(std::string_view AText, std::size_t APos) {
  const TLeadRule Rule = RuleOf(ByteAt(AText, APos));
  return Rule.Length != 0 && MatchingLength(AText, APos, Rule) == Rule.Length ? Rule.Length : 0;
}

std::size_t IllFormedUtf8Length(std::string_view AText, std::size_t APos) {
  const TLeadRule Rule = RuleOf(ByteAt(AText, APos));
  return Rule.Length == 0 ? 1 : MatchingLength(AText, APos, Rule);
}

char32_t DecodeUtf8(std::string_view AText, std::size_t APos, std::size_t ALength) {
  static constexpr std::uint8_t LeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t Code = ByteAt(AText, APos) & LeadMask[ALength];
  for (std::size_t I = 1; I < ALength; ++I) {
    Code = Code << 6 | (ByteAt(AText, APos + I) & 0x3Fu);
  }
  return Code;
}

bool IsWellFormedUtf8(std::string_view AText) {
  for (std::size_t Pos = 0; Pos < AText.size();) {
    const std::size_t Length = WellFormedUtf8Length(AText, Pos);
    if (Length == 0) return false;
    Pos += Length;
  }
  return true;
}

void ReplaceIllFormedUtf8(std::string_view AText, const std::function<void(std::string_view)>& ASink) {
  std::size_t RunStart = 0;
  std::size_t Pos = 0;
  while (Pos < AText.size()) {
    if (static_cast<unsigned char>(AText[Pos]) < 0x80) {
      ++Pos;
      continue;
    }
    if (const std::size_t Length = WellFormedUtf8Length(AText, Pos); Length != 0) {
      Pos += Length;
      continue;
    }
    if (Pos > RunStart) ASink(AText.substr(RunStart, Pos - RunStart));
    ASink(ReplacementCharacter);
    Pos += IllFormedUtf8Length(AText, Pos);
    RunStart = Pos;
  }
  if (Pos > RunStart) ASink(AText.substr(RunStart, Pos - RunStart));
}

}  // namespace platform
