#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/IBDatabase.h"

namespace update {

struct TScriptStatement;

// Runs an SQL script statement by statement against a database.
//
// Schema statements (ALTER, CREATE, DROP, ...) run each in a transaction of the executor's own
// that is committed as soon as the statement succeeds, so one failing statement never takes
// the earlier ones with it; data statements (INSERT, UPDATE, DELETE, SELECT, EXECUTE) run in
// the bound transaction, which only its owner commits. Errors of statements are reported
// through the two events and stop the script; ExecuteScript then returns normally. Anything
// that is not a statement's database error leaves ExecuteScript as an exception.
class TIBScript {
public:
  using TParseErrorEvent = std::function<void(TIBScript& Sender, const std::string& Error,
                                              const std::string& SQLText, std::size_t LineIndex)>;
  using TExecuteErrorEvent =
      std::function<void(TIBScript& Sender, const std::string& Error, const std::string& SQLText,
                         std::size_t LineIndex, bool& Ignore)>;
  using TNotifyEvent = std::function<void(TIBScript& Sender)>;

  TIBScript(db::TIBDatabase& ADatabase, db::TIBTransaction& ATransaction);
  ~TIBScript();
  TIBScript(const TIBScript&) = delete;
  TIBScript& operator=(const TIBScript&) = delete;

  // ";" at first; SET TERM in a script changes it for that script and every later one.
  [[nodiscard]] const std::string& Terminator() const { return FTerminator; }
  void SetTerminator(std::string ATerminator) { FTerminator = std::move(ATerminator); }

  // Whether schema statements get their own committed transaction (on at first); SET AUTODDL
  // ON / OFF in a script switches it, for later scripts too. Off, they run in the bound
  // transaction like data statements.
  [[nodiscard]] bool AutoDDL() const { return FAutoDDL; }
  void SetAutoDDL(bool AAutoDDL) { FAutoDDL = AAutoDDL; }

  // The script as lines; SetScriptText cuts a text into lines first (CR LF, CR and LF each end
  // a line). Line numbers reported by the events count these lines from 1.
  void SetScript(const std::vector<std::string>& ALines);
  void SetScriptText(std::string_view AText);
  [[nodiscard]] std::vector<std::string> Script() const;
  // The lines, each followed by CR LF.
  [[nodiscard]] const std::string& ScriptText() const { return *FScriptText; }

  void ExecuteScript();

  TParseErrorEvent OnParseError;
  TExecuteErrorEvent OnExecuteError;
  // After each statement that went through: the one point between two statements where the
  // caller may do something of its own, such as letting a window repaint.
  TNotifyEvent OnStatementExecuted;

private:
  void RunStatement(const TScriptStatement& AStatement, db::TIBQuery& ADataQuery,
                    db::TIBQuery& ASchemaQuery);
  void RunSchemaStatement(std::string_view AText, db::TIBQuery& ASchemaQuery);
  void RunDataStatement(std::string ASQL, db::TIBQuery& ADataQuery);
  void EndBoundTransaction(bool ACommit);

  db::TIBDatabase& FDatabase;
  db::TIBTransaction& FTransaction;
  db::TIBTransaction FSchemaTransaction;
  std::string FTerminator = ";";
  bool FAutoDDL = true;
  // Shared with a running ExecuteScript, so that an event handler may give the executor a new
  // script without pulling the text from under the statements being cut.
  std::shared_ptr<const std::string> FScriptText = std::make_shared<const std::string>();
};

}  // namespace update
