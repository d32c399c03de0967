#include "update/IBScript.h"

#include <utility>
#include <variant>

#include "db/IBErrors.h"
#include "update/ScriptCutter.h"

namespace update {
namespace {

[[nodiscard]] bool IsLetter(char AChar) {
  return (AChar >= 'A' && AChar <= 'Z') || (AChar >= 'a' && AChar <= 'z');
}

[[nodiscard]] bool IsNameChar(char AChar) {
  return IsLetter(AChar) || (AChar >= '0' && AChar <= '9') || AChar == '_' || AChar == '$';
}

[[nodiscard]] bool IsBlank(char AChar) {
  return AChar == ' ' || AChar == '\t' || AChar == '\r' || AChar == '\n';
}

[[nodiscard]] bool SameWord(std::string_view AWord, std::string_view AKeyword) {
  if (AWord.size() != AKeyword.size()) return false;
  for (std::size_t I = 0; I < AWord.size(); ++I) {
    const char Char = AWord[I];
    const char Upper = Char >= 'a' && Char <= 'z' ? static_cast<char>(Char - 'a' + 'A') : Char;
    if (Upper != AKeyword[I]) return false;
  }
  return true;
}

[[nodiscard]] std::string_view NextWord(std::string_view AText, std::size_t& APos) {
  while (APos < AText.size() && IsBlank(AText[APos])) ++APos;
  const std::size_t Start = APos;
  while (APos < AText.size() && !IsBlank(AText[APos])) ++APos;
  return AText.substr(Start, APos - Start);
}

[[nodiscard]] bool IsExecuteBlock(std::string_view AText) {
  std::size_t Pos = 0;
  const std::string_view First = NextWord(AText, Pos);
  const std::string_view Second = NextWord(AText, Pos);
  return SameWord(First, "EXECUTE") && SameWord(Second, "BLOCK");
}

// Where the text that starts at APos with AOpen ends, AClose included; the end of the text
// when it is not closed.
[[nodiscard]] std::size_t SkipPast(std::string_view AText, std::size_t APos, std::string_view AClose) {
  const std::size_t Close = AText.find(AClose, APos);
  return Close == std::string_view::npos ? AText.size() : Close + AClose.size();
}

}  // namespace

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

TIBScript::TIBScript(db::TIBDatabase& ADatabase, db::TIBTransaction& ATransaction)
    : FDatabase(ADatabase), FTransaction(ATransaction), FSchemaTransaction(ADatabase) {}

TIBScript::~TIBScript() = default;

void TIBScript::SetScript(const std::vector<std::string>& ALines) {
  std::string Text;
  for (const std::string& Line : ALines) {
    Text += Line;
    Text += "\r\n";
  }
  // A line that holds a break of its own counts as two, as it would after a round trip
  // through the text.
  FScriptText = NormalizeLineBreaks(Text);
}

void TIBScript::SetScriptText(std::string_view AText) { FScriptText = NormalizeLineBreaks(AText); }

std::vector<std::string> TIBScript::Script() const {
  std::vector<std::string> Lines;
  std::size_t Pos = 0;
  while (Pos < FScriptText.size()) {
    const std::size_t Break = FScriptText.find("\r\n", Pos);
    Lines.emplace_back(FScriptText.substr(Pos, Break - Pos));
    Pos = Break + 2;
  }
  return Lines;
}

void TIBScript::ExecuteScript() {
  TScriptCutter Cutter(FScriptText, FTerminator);
  db::TIBQuery DataQuery(FDatabase, FTransaction);
  db::TIBQuery SchemaQuery(FDatabase, FSchemaTransaction);
  for (;;) {
    const TScriptItem Item = Cutter.Next();
    FTerminator = Cutter.Terminator();
    if (std::holds_alternative<TScriptEnd>(Item)) return;
    if (const auto* Error = std::get_if<TScriptParseError>(&Item)) {
      if (OnParseError) {
        OnParseError(*this, std::string(Error->Error), std::string(Error->SQLText), Error->LineIndex);
      }
      return;
    }
    const auto& Statement = std::get<TScriptStatement>(Item);
    try {
      RunStatement(Statement, DataQuery, SchemaQuery);
    } catch (const db::EIBError& E) {
      bool Ignore = false;
      if (OnExecuteError) {
        OnExecuteError(*this, E.what(), std::string(Statement.Text), Statement.LineIndex, Ignore);
      }
      if (!Ignore) return;
    }
  }
}

void TIBScript::RunStatement(const TScriptStatement& AStatement, db::TIBQuery& ADataQuery,
                             db::TIBQuery& ASchemaQuery) {
  switch (AStatement.Kind) {
    case TStatementKind::Schema:
      if (FAutoDDL) {
        RunSchemaStatement(AStatement.Text, ASchemaQuery);
      } else {
        RunDataStatement(std::string(AStatement.Text), ADataQuery);
      }
      return;
    case TStatementKind::Data:
      RunDataStatement(ColonNamesToParameters(AStatement.Text), ADataQuery);
      return;
    case TStatementKind::SetTerm:
      return;  // the cutter has switched already
    case TStatementKind::Commit:
      EndBoundTransaction(true);
      return;
    case TStatementKind::Rollback:
      EndBoundTransaction(false);
      return;
    case TStatementKind::CommitRetaining:
      if (FTransaction.InTransaction()) FTransaction.CommitRetaining();
      return;
    case TStatementKind::RollbackRetaining:
      if (FTransaction.InTransaction()) FTransaction.RollbackRetaining();
      return;
    case TStatementKind::AutoDDLOn:
      FAutoDDL = true;
      return;
    case TStatementKind::AutoDDLOff:
      FAutoDDL = false;
      return;
  }
}

void TIBScript::RunSchemaStatement(std::string_view AText, db::TIBQuery& ASchemaQuery) {
  if (!FSchemaTransaction.InTransaction()) FSchemaTransaction.StartTransaction();
  try {
    ASchemaQuery.SetSQL(std::string(AText));
    ASchemaQuery.ExecSQL();
    // The server does much of a schema change only at commit, so a failing commit is the
    // statement's failure too.
    FSchemaTransaction.Commit();
  } catch (...) {
    if (FSchemaTransaction.InTransaction()) {
      try {
        FSchemaTransaction.Rollback();
      } catch (const db::EIBError&) {
        // The statement's own error is the one worth reporting; a transaction that cannot
        // even be rolled back is dropped with the connection.
      }
    }
    throw;
  }
}

void TIBScript::RunDataStatement(std::string ASQL, db::TIBQuery& ADataQuery) {
  if (!FTransaction.InTransaction()) FTransaction.StartTransaction();
  ADataQuery.SetSQL(std::move(ASQL));
  ADataQuery.ExecSQL();
}

// The bound transaction's owner commits it after the script and expects it still active then,
// so a COMMIT or ROLLBACK inside the script starts it again at once.
void TIBScript::EndBoundTransaction(bool ACommit) {
  if (!FTransaction.InTransaction()) return;
  if (ACommit) {
    FTransaction.Commit();
  } else {
    FTransaction.Rollback();
  }
  FTransaction.StartTransaction();
}

}  // namespace update
