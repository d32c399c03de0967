#include "fuzz/FuzzProperties.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "package/IniFile.h"
#include "package/TextLines.h"
#include "package/UpdatePackage.h"
#include "platform/CaseFold.h"
#include "update/ScriptCutter.h"

namespace fuzz {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view Replacement = "\xEF\xBF\xBD";

// A broken property is a finding: libFuzzer keeps the input that stopped the process.
void AbortOnFailure(std::string_view AProperty, std::string_view AWhat) {
  std::fprintf(stderr, "property %.*s broken: %.*s\n", static_cast<int>(AProperty.size()),
               AProperty.data(), static_cast<int>(AWhat.size()), AWhat.data());
  std::fflush(stderr);
  std::abort();
}

TFailureHandler FailureHandler = &AbortOnFailure;

void Require(bool ACondition, const char* AProperty, const char* AWhat) {
  if (!ACondition) FailureHandler(AProperty, AWhat);
}

std::string_view AsText(TInput AInput) {
  return {reinterpret_cast<const char*>(AInput.data()), AInput.size()};
}

void UseLocale(bool AUtf8) {
  if (std::setlocale(LC_ALL, AUtf8 ? "C.UTF-8" : "C") == nullptr) std::abort();
}

// Written from the definition of UTF-8 (bit patterns, then the range of the decoded value),
// not from the lead-byte table that the decoder itself uses.
bool IsValidUtf8(std::string_view AText) {
  std::size_t Pos = 0;
  while (Pos < AText.size()) {
    const auto Lead = static_cast<std::uint8_t>(AText[Pos]);
    std::size_t Length = 0;
    std::uint32_t Code = 0;
    std::uint32_t Lowest = 0;
    if (Lead < 0x80) {
      ++Pos;
      continue;
    } else if (Lead >> 5 == 0x6) {
      Length = 2, Code = Lead & 0x1Fu, Lowest = 0x80;
    } else if (Lead >> 4 == 0xE) {
      Length = 3, Code = Lead & 0x0Fu, Lowest = 0x800;
    } else if (Lead >> 3 == 0x1E) {
      Length = 4, Code = Lead & 0x07u, Lowest = 0x10000;
    } else {
      return false;
    }
    if (Pos + Length > AText.size()) return false;
    for (std::size_t I = 1; I < Length; ++I) {
      const auto Next = static_cast<std::uint8_t>(AText[Pos + I]);
      if ((Next & 0xC0) != 0x80) return false;
      Code = Code << 6 | (Next & 0x3Fu);
    }
    if (Code < Lowest || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return false;
    Pos += Length;
  }
  return true;
}

std::string AsciiOf(std::string_view AText) {
  std::string Ascii;
  for (const char Char : AText) {
    if (static_cast<std::uint8_t>(Char) < 0x80) Ascii += Char;
  }
  return Ascii;
}

std::string_view UpToNul(std::string_view AText) { return AText.substr(0, AText.find('\0')); }

void AppendCode(std::string& AOut, std::uint32_t ACode) {
  if (ACode < 0x80) {
    AOut += static_cast<char>(ACode);
  } else if (ACode < 0x800) {
    AOut += static_cast<char>(0xC0 | ACode >> 6);
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  } else if (ACode < 0x10000) {
    AOut += static_cast<char>(0xE0 | ACode >> 12);
    AOut += static_cast<char>(0x80 | (ACode >> 6 & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  } else {
    AOut += static_cast<char>(0xF0 | ACode >> 18);
    AOut += static_cast<char>(0x80 | (ACode >> 12 & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode >> 6 & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  }
}

std::string ReferenceUtf16(std::string_view ABytes, bool ABigEndian) {
  std::vector<std::uint32_t> Units;
  for (std::size_t I = 0; I + 1 < ABytes.size(); I += 2) {
    const auto First = static_cast<std::uint8_t>(ABytes[I]);
    const auto Second = static_cast<std::uint8_t>(ABytes[I + 1]);
    Units.push_back(ABigEndian ? (First * 256u + Second) : (Second * 256u + First));
  }
  std::string Text;
  for (std::size_t I = 0; I < Units.size(); ++I) {
    const std::uint32_t Unit = Units[I];
    if (Unit >= 0xD800 && Unit < 0xDC00 && I + 1 < Units.size() && Units[I + 1] >= 0xDC00 &&
        Units[I + 1] < 0xE000) {
      AppendCode(Text, 0x10000 + (Unit - 0xD800) * 0x400 + (Units[I + 1] - 0xDC00));
      ++I;
    } else if (Unit >= 0xD800 && Unit < 0xE000) {
      Text += Replacement;
    } else {
      AppendCode(Text, Unit);
    }
  }
  return std::string(UpToNul(Text));
}

// What the decoder must give, where the contract pins it down; nothing where it only bounds it.
std::optional<std::string> ExpectedDecoding(std::string_view ABytes, bool AUtf8Locale) {
  if (ABytes.starts_with("\xFF\xFE")) return ReferenceUtf16(ABytes.substr(2), false);
  if (ABytes.starts_with("\xFE\xFF")) return ReferenceUtf16(ABytes.substr(2), true);
  if (ABytes.starts_with("\xEF\xBB\xBF")) {
    const std::string_view Rest = ABytes.substr(3);
    return IsValidUtf8(Rest) ? std::string(UpToNul(Rest)) : std::string();
  }
  if (!AUtf8Locale) {
    // ASCII is itself in the "C" locale; every other byte is one U+FFFD.
    std::string Text;
    for (const char Byte : UpToNul(ABytes)) {
      if (static_cast<std::uint8_t>(Byte) < 0x80) {
        Text += Byte;
      } else {
        Text += Replacement;
      }
    }
    return Text;
  }
  if (IsValidUtf8(ABytes)) return std::string(UpToNul(ABytes));
  return std::nullopt;
}

std::vector<std::string> ReferenceSplit(std::string_view AText, std::string_view ADelimiter) {
  std::vector<std::string> Pieces;
  std::size_t Start = 0;
  if (!ADelimiter.empty()) {
    for (std::size_t Found = AText.find(ADelimiter); Found != npos;
         Found = AText.find(ADelimiter, Start)) {
      Pieces.emplace_back(AText.substr(Start, Found - Start));
      Start = Found + ADelimiter.size();
    }
  }
  Pieces.emplace_back(AText.substr(Start));
  return Pieces;
}

// The INI rules as the descriptor tests state them, kept deliberately plain: every section in a
// list, the last one of a name found by walking back, a map of its keys.
class TReferenceIni {
public:
  explicit TReferenceIni(std::string_view AText) {
    for (const std::string& Raw : package::SplitLines(AText)) {
      const std::string_view Line = Trim(Raw);
      if (Line.empty() || Line[0] == ';') continue;
      if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']') {
        FSections.push_back({std::string(Trim(Line.substr(1, Line.size() - 2))), false, {}, {}});
        continue;
      }
      if (FSections.empty()) continue;
      FSections.back().HasLines = true;
      const std::size_t Equals = Line.find('=');
      if (Equals == npos) continue;
      const std::string_view Key = Trim(Line.substr(0, Equals));
      FSections.back().Keys.emplace_back(Key);
      FSections.back().Values[platform::UpperCase(Key)] = std::string(Trim(Line.substr(Equals + 1)));
    }
  }

  struct TSection {
    std::string Name;
    bool HasLines;
    std::vector<std::string> Keys;
    std::map<std::string, std::string> Values;
  };
  const std::vector<TSection>& Sections() const { return FSections; }

  const TSection* Find(std::string_view AName) const {
    const std::string Upper = platform::UpperCase(AName);
    for (auto It = FSections.rbegin(); It != FSections.rend(); ++It) {
      if (platform::UpperCase(It->Name) == Upper) return It->HasLines ? &*It : nullptr;
    }
    return nullptr;
  }

  std::optional<std::string> Value(std::string_view ASection, std::string_view AKey) const {
    const TSection* Section = Find(ASection);
    if (Section == nullptr) return std::nullopt;
    const auto It = Section->Values.find(platform::UpperCase(AKey));
    if (It == Section->Values.end()) return std::nullopt;
    return It->second;
  }

private:
  static std::string_view Trim(std::string_view AText) {
    while (!AText.empty() && static_cast<std::uint8_t>(AText.front()) <= ' ') AText.remove_prefix(1);
    while (!AText.empty() && static_cast<std::uint8_t>(AText.back()) <= ' ') AText.remove_suffix(1);
    return AText;
  }
  std::vector<TSection> FSections;
};

std::string SwapAsciiCase(std::string_view AText) {
  std::string Swapped(AText);
  for (char& Char : Swapped) {
    if (Char >= 'a' && Char <= 'z') {
      Char = static_cast<char>(Char - 'a' + 'A');
    } else if (Char >= 'A' && Char <= 'Z') {
      Char = static_cast<char>(Char - 'A' + 'a');
    }
  }
  return Swapped;
}

std::string AsciiNonLetters(std::string_view AText) {
  std::string Kept;
  for (const char Char : AText) {
    const auto Byte = static_cast<std::uint8_t>(Char);
    if (Byte < 0x80 && !((Byte | 0x20) >= 'a' && (Byte | 0x20) <= 'z')) Kept += Char;
  }
  return Kept;
}

class TBytesSource final : public package::TResourceSource {
public:
  TBytesSource(TInput ADescriptor, TInput AScript) : FDescriptor(ADescriptor), FScript(AScript) {}
  std::optional<package::TResourceBytes> FindResource(std::string_view AType,
                                                      int AId) const override {
    if (AType == package::DescriptorResourceType && AId == package::DescriptorResourceId) {
      return FDescriptor;
    }
    if (AType == package::ScriptResourceType && AId == package::ScriptResourceId) return FScript;
    return std::nullopt;
  }

private:
  TInput FDescriptor;
  TInput FScript;
};

bool IsBlank(char AChar) { return AChar == ' ' || AChar == '\t' || AChar == '\r' || AChar == '\n'; }

// The cutter's terminator search the plain way: every top-level candidate compared in full.
std::size_t NaiveFindTerminator(std::string_view AText, std::size_t AFrom,
                                std::string_view ATerminator) {
  if (ATerminator.empty()) return npos;
  for (std::size_t Pos = AFrom; Pos < AText.size();) {
    const char Char = AText[Pos];
    if (Char == '\'' || Char == '"') {
      const std::size_t Close = AText.find(Char, Pos + 1);
      if (Close == npos) return npos;
      Pos = Close + 1;
    } else if (Char == '/' && AText.substr(Pos).starts_with("/*")) {
      const std::size_t Close = AText.find("*/", Pos + 2);
      if (Close == npos) return npos;
      Pos = Close + 2;
    } else if (AText.substr(Pos).starts_with(ATerminator)) {
      return Pos;
    } else {
      ++Pos;
    }
  }
  return npos;
}

std::size_t LineOf(std::string_view AText, std::size_t APos) {
  return 1 + static_cast<std::size_t>(std::count(AText.begin(), AText.begin() + static_cast<std::ptrdiff_t>(APos), '\n'));
}

std::string_view ThirdWord(std::string_view AText) {
  std::size_t Pos = 0;
  std::string_view Word;
  for (int I = 0; I < 3; ++I) {
    while (Pos < AText.size() && IsBlank(AText[Pos])) ++Pos;
    const std::size_t Start = Pos;
    while (Pos < AText.size() && !IsBlank(AText[Pos])) ++Pos;
    Word = AText.substr(Start, Pos - Start);
  }
  return Word;
}

bool IsLetter(char AChar) { return (AChar >= 'A' && AChar <= 'Z') || (AChar >= 'a' && AChar <= 'z'); }
bool IsNameChar(char AChar) {
  return IsLetter(AChar) || (AChar >= '0' && AChar <= '9') || AChar == '_' || AChar == '$';
}

constexpr std::array<TProperty, 7> AllProperties = {{
    {"decode_text", &CheckDecodeText},
    {"split_lines", &CheckSplitLines},
    {"ini_file", &CheckIniFile},
    {"load_update_info", &CheckLoadUpdateInfo},
    {"split_text", &CheckSplitText},
    {"script_cutter", &CheckScriptCutter},
    {"colon_names", &CheckColonNames},
}};

}  // namespace

std::span<const TProperty> Properties() { return AllProperties; }

void SetFailureHandler(TFailureHandler AHandler) { FailureHandler = AHandler; }

void CheckDecodeText(TInput AInput) {
  constexpr const char* Name = "decode_text";
  if (AInput.empty()) return;
  const bool Utf8Locale = (AInput[0] & 1) != 0;
  UseLocale(Utf8Locale);
  const TInput Bytes = AInput.subspan(1);
  const std::string Text = package::DecodeText(Bytes);
  Require(IsValidUtf8(Text), Name, "the decoded text is not valid UTF-8");
  Require(Text.find('\0') == npos, Name, "the decoded text holds a NUL");
  Require(package::TDecodedText(Bytes).Text() == Text, Name, "TDecodedText differs from DecodeText");
  std::string Pieces;
  package::DecodeText(Bytes, [&](std::string_view APiece) { Pieces += APiece; });
  Require(Pieces == Text, Name, "the decoded pieces differ from the whole text");
  if (const std::optional<std::string> Expected = ExpectedDecoding(AsText(Bytes), Utf8Locale)) {
    Require(Text == *Expected, Name, "the decoded text differs from the reference decoding");
  } else {
    // Invalid UTF-8 in a UTF-8 locale: each bad sequence is replaced, but no ASCII character
    // may be swallowed by a replacement or made up from bad bytes.
    Require(AsciiOf(Text) == AsciiOf(UpToNul(AsText(Bytes))), Name,
            "replacing invalid sequences changed the ASCII characters");
  }
}

void CheckSplitLines(TInput AInput) {
  constexpr const char* Name = "split_lines";
  const std::string_view Text = AsText(AInput);
  const std::vector<std::string> Lines = package::SplitLines(Text);
  std::size_t Breaks = 0;
  for (std::size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] == '\n' || (Text[I] == '\r' && !(I + 1 < Text.size() && Text[I + 1] == '\n'))) ++Breaks;
  }
  const bool OpenLast = !Text.empty() && Text.back() != '\r' && Text.back() != '\n';
  Require(Lines.size() == Breaks + (OpenLast ? 1 : 0), Name, "wrong number of lines");
  for (const std::string& Line : Lines) {
    Require(Line.find_first_of("\r\n") == npos, Name, "a line holds a line break");
  }
  const std::string Joined = package::JoinLines(Lines);
  Require(package::NormalizeLineBreaks(Text) == Joined, Name,
          "NormalizeLineBreaks differs from JoinLines(SplitLines)");
  Require(package::SplitLines(Joined) == Lines, Name, "the joined lines split differently");
  auto WithoutBreaks = [](std::string_view AText) {
    std::string Kept;
    for (const char Char : AText) {
      if (Char != '\r' && Char != '\n') Kept += Char;
    }
    return Kept;
  };
  Require(WithoutBreaks(Joined) == WithoutBreaks(Text), Name, "text other than breaks changed");
  // Pieces cut where the input says: after every byte that is a multiple of 7.
  std::string Streamed;
  package::TLineBreakNormalizer Normalizer([&](std::string_view APiece) { Streamed += APiece; });
  std::size_t Start = 0;
  for (std::size_t I = 0; I < Text.size(); ++I) {
    if (static_cast<std::uint8_t>(Text[I]) % 7 == 0) {
      Normalizer.Append(Text.substr(Start, I + 1 - Start));
      Start = I + 1;
    }
  }
  Normalizer.Append(Text.substr(Start));
  Normalizer.Finish();
  Require(Streamed == Joined, Name, "normalizing in pieces differs from normalizing whole");
}

void CheckIniFile(TInput AInput) {
  constexpr const char* Name = "ini_file";
  const std::string_view Text = AsText(AInput);
  const package::TMemIniFile Ini(Text);
  const TReferenceIni Reference(Text);
  std::vector<std::pair<std::string, std::string>> Queries = {{"", ""}, {"General", "UpdTitle"}};
  std::size_t KeyCount = 0;
  for (const TReferenceIni::TSection& Section : Reference.Sections()) {
    Queries.emplace_back(Section.Name, "");
    for (const std::string& Key : Section.Keys) {
      // Folding must keep every ASCII character that is no letter: "=" made up from bytes that
      // are not UTF-8 would let a lookup find what no name=value line gave.
      Require(AsciiNonLetters(platform::UpperCase(Key)) == AsciiNonLetters(Key), Name,
              "case folding changed an ASCII character that is no letter");
      if (++KeyCount > 200) break;
      Queries.emplace_back(Section.Name, Key);
      Queries.emplace_back(SwapAsciiCase(Section.Name), SwapAsciiCase(Key));
    }
    if (KeyCount > 200) break;
  }
  const std::string Default = "\x01<default>";
  for (const auto& [Section, Key] : Queries) {
    Require(Ini.SectionExists(Section) == (Reference.Find(Section) != nullptr), Name,
            "SectionExists disagrees with the reference");
    const std::optional<std::string> Expected = Reference.Value(Section, Key);
    Require(Ini.ReadString(Section, Key, Default) == Expected.value_or(Default), Name,
            "ReadString disagrees with the reference");
    const std::int32_t Number = Ini.ReadInteger(Section, Key, 77);
    Require(Expected.has_value() || Number == 77, Name, "ReadInteger read a key that is absent");
  }
}

void CheckLoadUpdateInfo(TInput AInput) {
  constexpr const char* Name = "load_update_info";
  if (AInput.size() < 3) return;
  UseLocale((AInput[0] & 1) != 0);
  const std::size_t DescriptorSize =
      std::min<std::size_t>(AInput[1] | static_cast<std::size_t>(AInput[2]) << 8, AInput.size() - 3);
  const TInput Descriptor = AInput.subspan(3, DescriptorSize);
  const TInput Script = AInput.subspan(3 + DescriptorSize);
  package::TUpdatePackage Package;
  if (!package::LoadUpdateInfo(TBytesSource(Descriptor, Script), Package)) return;

  // The script as the loader cut it before it learned to cut while decoding.
  package::TStringArray Expected;
  package::SplitText(package::JoinLines(package::SplitLines(package::DecodeText(Script))),
                     "--block--", Expected);
  Require(Package.FScriptBlock == Expected, Name, "the script blocks differ from the reference");
  for (const std::string& Block : Package.FScriptBlock) {
    Require(IsValidUtf8(Block), Name, "a script block is not valid UTF-8");
  }
  const std::string DescriptorText = package::DecodeText(Descriptor);
  const TReferenceIni Ini(DescriptorText);
  const bool HasGeneral = Ini.Find("General") != nullptr;
  Require(Package.FGeneralUpdInfo == HasGeneral, Name, "the [General] flag is wrong");
  if (HasGeneral) {
    Require(Package.FUpdTitle == Ini.Value("General", "UpdTitle").value_or("<unknown>"), Name,
            "the title differs from the descriptor");
    Require(Package.FUpdDescription == Ini.Value("General", "UpdDescription").value_or(""), Name,
            "the description differs from the descriptor");
  }
  Require(!Package.FDBVerifTables.empty(), Name, "a usable package has no tables");
  for (std::size_t I = 0; I < Package.FDBVerifTables.size(); ++I) {
    std::string Key = "t";
    Key += std::to_string(I);
    Require(Package.FDBVerifTables[I] == Ini.Value("FromDBVerif", Key).value_or(""), Name,
            "a table name differs from the descriptor");
  }
}

void CheckSplitText(TInput AInput) {
  constexpr const char* Name = "split_text";
  if (AInput.empty()) return;
  const std::size_t Length = std::min<std::size_t>(AInput[0] % 16, AInput.size() - 1);
  const std::string_view Delimiter = AsText(AInput.subspan(1, Length));
  const std::string_view Text = AsText(AInput.subspan(1 + Length));
  package::TStringArray Pieces = {"left over"};
  package::SplitText(Text, Delimiter, Pieces);
  Require(Pieces == ReferenceSplit(Text, Delimiter), Name, "the pieces differ from the reference");
  std::string Joined;
  for (std::size_t I = 0; I < Pieces.size(); ++I) {
    if (I > 0) Joined += Delimiter;
    Joined += Pieces[I];
    Require(Delimiter.empty() || Pieces[I].find(Delimiter) == npos, Name,
            "a piece still holds the delimiter");
  }
  Require(Joined == Text, Name, "the pieces joined with the delimiter are not the text");
}

void CheckScriptCutter(TInput AInput) {
  constexpr const char* Name = "script_cutter";
  if (AInput.empty()) return;
  const std::size_t Length = std::min<std::size_t>(AInput[0] % 8, AInput.size() - 1);
  std::string Terminator = Length == 0 ? ";" : std::string(AsText(AInput.subspan(1, Length)));
  const std::string Script = update::NormalizeLineBreaks(AsText(AInput.subspan(1 + Length)));
  const std::string_view Text = Script;
  update::TScriptCutter Cutter(Script, Terminator);
  std::size_t Done = 0;  // everything before it is accounted for
  for (std::size_t Items = 0; Items <= Script.size() + 1; ++Items) {
    const update::TScriptItem Item = Cutter.Next();
    // What lies between two items may hold only blanks, whole comments and terminators; the
    // line of an item is that of the first thing after the last terminator there.
    std::size_t Pos = Done;
    std::size_t FirstSeen = npos;
    bool OpenComment = false;
    for (;;) {
      while (Pos < Text.size() && IsBlank(Text[Pos])) ++Pos;
      if (Pos == Text.size()) break;
      if (FirstSeen == npos) FirstSeen = Pos;
      if (Text.substr(Pos).starts_with("/*")) {
        const std::size_t Close = Text.find("*/", Pos + 2);
        if (Close == npos) {
          OpenComment = true;
          break;
        }
        Pos = Close + 2;
      } else if (!Terminator.empty() && Text.substr(Pos).starts_with(Terminator)) {
        Pos += Terminator.size();
        FirstSeen = npos;
      } else {
        break;
      }
    }
    if (std::holds_alternative<update::TScriptEnd>(Item)) {
      Require(Pos == Text.size() && !OpenComment, Name, "the cutter ended before the text did");
      return;
    }
    if (OpenComment) {
      const auto* Error = std::get_if<update::TScriptParseError>(&Item);
      Require(Error != nullptr && Error->Error == update::SInvalidComment, Name,
              "an open comment was not reported");
      Require(Error->LineIndex == LineOf(Text, FirstSeen), Name, "wrong line of an open comment");
      Require(std::holds_alternative<update::TScriptEnd>(Cutter.Next()), Name,
              "the cutter went on after an open comment");
      return;
    }
    Require(Pos < Text.size(), Name, "an item where only blanks and comments are left");
    std::string_view Statement;
    std::size_t LineIndex = 0;
    if (const auto* Found = std::get_if<update::TScriptStatement>(&Item)) {
      Statement = Found->Text;
      LineIndex = Found->LineIndex;
    } else {
      const auto& Error = std::get<update::TScriptParseError>(Item);
      Require(Error.Error == update::SInvalidStatement, Name, "an unexpected error");
      Statement = Error.SQLText;
      LineIndex = Error.LineIndex;
    }
    Require(Statement.data() == Text.data() + Pos, Name,
            "a statement does not begin where the skipped text ends: text lost or reordered");
    Require(LineIndex == LineOf(Text, FirstSeen), Name, "wrong line of a statement");
    const std::size_t End = NaiveFindTerminator(Text, Pos, Terminator);
    if (End == npos) {
      std::string_view Rest = Text.substr(Pos);
      if (Rest.ends_with("\r\n")) Rest.remove_suffix(2);
      Require(Statement == Rest, Name, "a statement without terminator is not the rest of the text");
      Done = Text.size();
    } else {
      Require(Statement.size() == End - Pos, Name, "a statement does not end at its terminator");
      Done = End + Terminator.size();
    }
    if (const auto* Found = std::get_if<update::TScriptStatement>(&Item);
        Found != nullptr && Found->Kind == update::TStatementKind::SetTerm) {
      Terminator = std::string(ThirdWord(Statement));
    }
    Require(Cutter.Terminator() == Terminator, Name, "the terminator in force is wrong");
  }
  Require(false, Name, "more items than characters");
}

void CheckColonNames(TInput AInput) {
  constexpr const char* Name = "colon_names";
  const std::string_view Text = AsText(AInput);
  const std::string Sent = update::ColonNamesToParameters(Text);
  // The result is the statement with some ":name" turned into "?" and nothing else changed.
  std::size_t In = 0;
  std::size_t Out = 0;
  while (In < Text.size() && Out < Sent.size()) {
    if (Text[In] == ':' && Sent[Out] == '?') {
      Require(In + 1 < Text.size() && IsLetter(Text[In + 1]), Name, "a colon without a name replaced");
      In += 2;
      while (In < Text.size() && IsNameChar(Text[In])) ++In;
      ++Out;
    } else {
      Require(Text[In] == Sent[Out], Name, "text other than a colon name changed");
      ++In;
      ++Out;
    }
  }
  Require(In == Text.size() && Out == Sent.size(), Name, "text lost or added");
}

}  // namespace fuzz
