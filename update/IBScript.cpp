#include "update/IBScript.h"

#include <utility>
#include <variant>

#include "db/IBErrors.h"
#include "update/ScriptCutter.h"

namespace update {

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
  FScriptText = std::make_shared<const std::string>(NormalizeLineBreaks(Text));
}

void TIBScript::SetScriptText(std::string_view AText) {
  FScriptText = std::make_shared<const std::string>(NormalizeLineBreaks(AText));
}

std::vector<std::string> TIBScript::Script() const {
  const std::string& Text = *FScriptText;
  std::vector<std::string> Lines;
  std::size_t Pos = 0;
  while (Pos < Text.size()) {
    const std::size_t Break = Text.find("\r\n", Pos);
    Lines.emplace_back(Text.substr(Pos, Break - Pos));
    Pos = Break + 2;
  }
  return Lines;
}

void TIBScript::ExecuteScript() {
  const std::shared_ptr<const std::string> Text = FScriptText;
  TScriptCutter Cutter(*Text, FTerminator);
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
      continue;
    }
    if (OnStatementExecuted) {
      OnStatementExecuted(*this);
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
