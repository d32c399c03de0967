#include "update/ScriptCutter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

namespace update {
namespace {

constexpr std::size_t npos = std::string_view::npos;

[[nodiscard]] constexpr bool IsBlank(char AChar) {
  return AChar == ' ' || AChar == '\t' || AChar == '\r' || AChar == '\n';
}

[[nodiscard]] constexpr char AsciiUpper(char AChar) {
  return AChar >= 'a' && AChar <= 'z' ? static_cast<char>(AChar - 'a' + 'A') : AChar;
}

// Keywords are ASCII, so a word holding anything else can never equal one; folding only ASCII
// letters keeps the comparison free of the locale.
[[nodiscard]] bool SameWord(std::string_view AWord, std::string_view AKeyword) {
  return AWord.size() == AKeyword.size() &&
         std::equal(AWord.begin(), AWord.end(), AKeyword.begin(),
                    [](char A, char B) { return AsciiUpper(A) == B; });
}

[[nodiscard]] bool IsLetter(char AChar) {
  return (AChar >= 'A' && AChar <= 'Z') || (AChar >= 'a' && AChar <= 'z');
}

[[nodiscard]] bool IsNameChar(char AChar) {
  return IsLetter(AChar) || (AChar >= '0' && AChar <= '9') || AChar == '_' || AChar == '$';
}

// Just past the first AClose from APos on; the end of the text when there is none.
[[nodiscard]] std::size_t SkipPast(std::string_view AText, std::size_t APos, std::string_view AClose) {
  const std::size_t Close = AText.find(AClose, APos);
  return Close == std::string_view::npos ? AText.size() : Close + AClose.size();
}

// The first words of a statement; a fourth word is kept only to tell "three words" from "more".
struct TFirstWords {
  std::array<std::string_view, 4> Word{};
  std::size_t Count = 0;

  [[nodiscard]] bool Is(std::size_t AIndex, std::string_view AKeyword) const {
    return AIndex < Count && SameWord(Word[AIndex], AKeyword);
  }
};

[[nodiscard]] TFirstWords SplitFirstWords(std::string_view AText) {
  TFirstWords Result;
  std::size_t Pos = 0;
  while (Result.Count < Result.Word.size()) {
    while (Pos < AText.size() && IsBlank(AText[Pos])) ++Pos;
    if (Pos == AText.size()) break;
    const std::size_t Start = Pos;
    while (Pos < AText.size() && !IsBlank(AText[Pos])) ++Pos;
    Result.Word[Result.Count++] = AText.substr(Start, Pos - Start);
  }
  return Result;
}

[[nodiscard]] bool IsExecuteBlock(std::string_view AText) {
  const TFirstWords Words = SplitFirstWords(AText);
  return Words.Is(0, "EXECUTE") && Words.Is(1, "BLOCK");
}

// COMMIT and ROLLBACK: alone, or followed by RETAINING and nothing else.
[[nodiscard]] std::optional<TStatementKind> TransactionCommand(const TFirstWords& AWords,
                                                               TStatementKind APlain,
                                                               TStatementKind ARetaining) {
  if (AWords.Count == 1) return APlain;
  if (AWords.Count == 2 && AWords.Is(1, "RETAINING")) return ARetaining;
  return std::nullopt;
}

[[nodiscard]] std::optional<TStatementKind> SetCommand(const TFirstWords& AWords) {
  if (AWords.Is(1, "TERM")) {
    if (AWords.Count == 3) return TStatementKind::SetTerm;
    return std::nullopt;
  }
  if (AWords.Is(1, "GENERATOR")) return TStatementKind::Schema;
  if (AWords.Is(1, "STATISTICS") && AWords.Is(2, "INDEX")) return TStatementKind::Schema;
  if (AWords.Is(1, "AUTODDL") && AWords.Count == 3) {
    if (AWords.Is(2, "ON")) return TStatementKind::AutoDDLOn;
    if (AWords.Is(2, "OFF")) return TStatementKind::AutoDDLOff;
  }
  return std::nullopt;
}

// Only the exact forms of the executor's own commands are recognised; everything else is passed
// on by its first word, or refused.
[[nodiscard]] std::optional<TStatementKind> KindOf(const TFirstWords& AWords) {
  if (AWords.Count == 0) return std::nullopt;
  const bool OneWord = AWords.Count == 1;
  if (AWords.Is(0, "COMMIT")) {
    return TransactionCommand(AWords, TStatementKind::Commit, TStatementKind::CommitRetaining);
  }
  if (AWords.Is(0, "ROLLBACK")) {
    return TransactionCommand(AWords, TStatementKind::Rollback, TStatementKind::RollbackRetaining);
  }
  // Not supported by this executor, yet not invalid either: the server gets them as written and
  // answers with its own error.
  if (OneWord && (AWords.Is(0, "RECONNECT") || AWords.Is(0, "SAVEPOINT"))) {
    return TStatementKind::Data;
  }
  if (OneWord) return std::nullopt;
  if (AWords.Is(0, "SET")) return SetCommand(AWords);
  if (AWords.Is(0, "CREATE")) {
    if (AWords.Is(1, "DATABASE") || AWords.Is(1, "SCHEMA")) return std::nullopt;
    return TStatementKind::Schema;
  }
  if (AWords.Is(0, "DROP")) {
    if (AWords.Is(1, "DATABASE")) return std::nullopt;
    return TStatementKind::Schema;
  }
  for (const std::string_view Keyword : {"ALTER", "DECLARE", "GRANT", "REVOKE"}) {
    if (AWords.Is(0, Keyword)) return TStatementKind::Schema;
  }
  for (const std::string_view Keyword : {"INSERT", "UPDATE", "DELETE", "SELECT", "EXECUTE"}) {
    if (AWords.Is(0, Keyword)) return TStatementKind::Data;
  }
  return std::nullopt;
}

// A statement that runs to the end of the text does not own the break that closes the last line.
[[nodiscard]] std::string_view WithoutFinalBreak(std::string_view AText) {
  if (AText.ends_with("\r\n")) return AText.substr(0, AText.size() - 2);
  if (AText.ends_with('\n') || AText.ends_with('\r')) return AText.substr(0, AText.size() - 1);
  return AText;
}

}  // namespace

TScriptCutter::TScriptCutter(std::string_view AText, std::string ATerminator)
    : FText(AText) {
  SetTerminator(std::move(ATerminator));
}

void TScriptCutter::SetTerminator(std::string ATerminator) {
  FTerminator = std::move(ATerminator);
  FSearcher = platform::TTextSearcher(FTerminator);
  FMatcherPos = 0;
  FMatched = 0;
  // Only quotes, a "/" that may open a comment and the terminator's first character can end a
  // run of ordinary characters, so the scan looks up one table entry per byte.
  FSpecial = {};
  for (const char Char : {'\'', '"', '/'}) FSpecial[static_cast<unsigned char>(Char)] = true;
  if (!FTerminator.empty()) FSpecial[static_cast<unsigned char>(FTerminator[0])] = true;
}

std::size_t TScriptCutter::LineAt(std::size_t APos) {
  // Counting with a plain loop over the bytes lets the compiler vectorise it.
  const char* Data = FText.data();
  std::size_t Breaks = 0;
  for (std::size_t I = FCountedTo; I < APos; ++I) Breaks += Data[I] == '\n' ? 1 : 0;
  FLine += Breaks;
  FCountedTo = APos;
  return FLine;
}

bool TScriptCutter::TerminatorAt(std::size_t APos) {
  const std::size_t Length = FTerminator.size();
  if (Length == 0 || APos + Length > FText.size()) return false;
  if (FMatcherPos < APos) {
    // Nothing fed so far reaches APos: a match there needs none of it.
    FMatcherPos = APos;
    FMatched = 0;
  }
  const std::size_t End = APos + Length;
  if (FMatcherPos == End) return FMatched == Length;  // asked again about the same place
  while (FMatcherPos < End) FMatched = FSearcher.Advance(FMatched, FText[FMatcherPos++]);
  return FMatched == Length;
}

std::size_t TScriptCutter::FindTerminator(std::size_t AFrom) {
  if (FTerminator.empty()) return npos;
  const std::array<bool, 256>& Special = FSpecial;
  const char* Data = FText.data();
  const std::size_t Size = FText.size();
  std::size_t Pos = AFrom;
  while (Pos < Size) {
    while (Pos < Size && !Special[static_cast<unsigned char>(Data[Pos])]) ++Pos;
    if (Pos == Size) break;
    const char Char = Data[Pos];
    if (Char == '\'' || Char == '"') {
      const void* Close = std::memchr(Data + Pos + 1, Char, Size - Pos - 1);
      if (Close == nullptr) return npos;
      Pos = static_cast<std::size_t>(static_cast<const char*>(Close) - Data) + 1;
    } else if (Char == '/' && Pos + 1 < Size && Data[Pos + 1] == '*') {
      const std::size_t Close = FText.find("*/", Pos + 2);
      if (Close == npos) return npos;
      Pos = Close + 2;
    } else if (TerminatorAt(Pos)) {
      return Pos;
    } else {
      ++Pos;
    }
  }
  return npos;
}

TScriptItem TScriptCutter::Next() {
  const std::size_t Size = FText.size();
  std::size_t Pos = FPos;
  std::size_t FirstSeen = npos;  // where the statement, or the first comment before it, begins
  for (;;) {
    while (Pos < Size && IsBlank(FText[Pos])) ++Pos;
    if (Pos == Size) {
      FPos = Size;
      return TScriptEnd{};
    }
    if (FirstSeen == npos) FirstSeen = Pos;
    if (FText.substr(Pos).starts_with("/*")) {
      const std::size_t Close = FText.find("*/", Pos + 2);
      if (Close == npos) {
        FPos = Size;
        return TScriptParseError{SInvalidComment, {}, LineAt(FirstSeen)};
      }
      Pos = Close + 2;
    } else if (TerminatorAt(Pos)) {
      // An empty statement (";;") asks for nothing; the next one starts afresh.
      Pos += FTerminator.size();
      FirstSeen = npos;
    } else {
      break;
    }
  }

  const std::size_t Start = Pos;
  const std::size_t End = FindTerminator(Start);
  std::string_view Text;
  if (End == npos) {
    Text = WithoutFinalBreak(FText.substr(Start));
    FPos = Size;
  } else {
    Text = FText.substr(Start, End - Start);
    FPos = End + FTerminator.size();
  }
  return Classify(Text, LineAt(FirstSeen));
}

TScriptItem TScriptCutter::Classify(std::string_view AText, std::size_t ALineIndex) {
  const TFirstWords Words = SplitFirstWords(AText);
  const std::optional<TStatementKind> Kind = KindOf(Words);
  if (!Kind) return TScriptParseError{SInvalidStatement, AText, ALineIndex};
  if (*Kind == TStatementKind::SetTerm) SetTerminator(std::string(Words.Word[2]));
  return TScriptStatement{AText, ALineIndex, *Kind};
}

std::string ColonNamesToParameters(std::string_view AText) {
  const bool ExecuteBlock = IsExecuteBlock(AText);
  std::string Result;
  Result.reserve(AText.size());
  std::size_t Copied = 0;
  std::size_t Pos = 0;
  while (Pos < AText.size()) {
    const char Char = AText[Pos];
    const std::string_view Rest = AText.substr(Pos);
    if (Char == '\'' || Char == '"') {
      Pos = SkipPast(AText, Pos + 1, std::string_view(&Char, 1));
    } else if (Rest.starts_with("/*")) {
      Pos = SkipPast(AText, Pos + 2, "*/");
    } else if (Rest.starts_with("--")) {
      // The script keeps "--" in its statements, and the server reads it as a comment.
      Pos = SkipPast(AText, Pos + 2, "\n");
    } else if (Char == ':' && Pos + 1 < AText.size() && IsLetter(AText[Pos + 1])) {
      Result.append(AText.substr(Copied, Pos - Copied));
      Result += '?';
      Pos += 2;
      while (Pos < AText.size() && IsNameChar(AText[Pos])) ++Pos;
      Copied = Pos;
    } else if (ExecuteBlock && IsLetter(Char) && (Pos == 0 || !IsNameChar(AText[Pos - 1]))) {
      const std::size_t Start = Pos;
      while (Pos < AText.size() && IsNameChar(AText[Pos])) ++Pos;
      if (SameWord(AText.substr(Start, Pos - Start), "AS")) break;
    } else {
      ++Pos;
    }
  }
  Result.append(AText.substr(Copied));
  return Result;
}

}  // namespace update
