#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "package/TextLines.h"
#include "platform/TextSearch.h"

namespace update {

// What a statement asks of the executor, decided by its first words.
enum class TStatementKind {
  Schema,             // ALTER, CREATE, DROP, DECLARE, GRANT, REVOKE, SET GENERATOR, SET STATISTICS INDEX
  Data,               // INSERT, UPDATE, DELETE, SELECT, EXECUTE; also RECONNECT and SAVEPOINT alone
  SetTerm,            // SET TERM <word>; the cutter has switched its terminator already
  Commit,
  CommitRetaining,
  Rollback,
  RollbackRetaining,
  AutoDDLOn,
  AutoDDLOff,
};

struct TScriptStatement {
  // From the first character after the skipped blanks and comments up to the terminator,
  // which is left out. A view into the text given to the cutter.
  std::string_view Text;
  // 1-based line of the statement, or of the first comment standing before it. As wide as the
  // text's size: a script may hold more lines than an int counts.
  std::size_t LineIndex = 0;
  TStatementKind Kind = TStatementKind::Data;
};

inline constexpr std::string_view SInvalidStatement = "Invalid statement";
inline constexpr std::string_view SInvalidComment = "Invalid Comment";

// A statement that fits no kind ("Invalid statement", with its text), or a comment left open
// before a statement ("Invalid Comment", with empty text).
struct TScriptParseError {
  std::string_view Error;
  std::string_view SQLText;
  std::size_t LineIndex = 0;
};

// Nothing but blanks and comments is left.
struct TScriptEnd {};

using TScriptItem = std::variant<TScriptStatement, TScriptParseError, TScriptEnd>;

// Cuts a script into statements one at a time, so that SET TERM can change the terminator for
// the rest of the text and the caller can stop at the first error without cutting the rest.
// The text must outlive the cutter; its line breaks are expected as CR LF (see
// NormalizeLineBreaks), which is how the statement texts keep their inner breaks. One pass over
// the text in all, allocating nothing per statement.
class TScriptCutter {
public:
  TScriptCutter(std::string_view AText, std::string ATerminator);

  [[nodiscard]] TScriptItem Next();

  // The terminator in force: the one given, or the last SET TERM cut so far.
  [[nodiscard]] const std::string& Terminator() const { return FTerminator; }

private:
  void SetTerminator(std::string ATerminator);
  [[nodiscard]] std::size_t LineAt(std::size_t APos);
  // Whether the terminator begins at APos. Asked at positions that never go back while the
  // terminator stays, so the matcher moves forward only and reads each character at most once.
  [[nodiscard]] bool TerminatorAt(std::size_t APos);
  [[nodiscard]] std::size_t FindTerminator(std::size_t AFrom);
  [[nodiscard]] TScriptItem Classify(std::string_view AText, std::size_t ALineIndex);

  std::string_view FText;
  std::string FTerminator;
  platform::TTextSearcher FSearcher{""};
  std::size_t FMatcherPos = 0;  // the characters before it have been fed to the matcher
  std::size_t FMatched = 0;     // of the terminator, how many characters the fed text ends with
  std::array<bool, 256> FSpecial{};
  std::size_t FPos = 0;
  std::size_t FCountedTo = 0;  // line breaks before this position are counted in FLine
  std::size_t FLine = 1;
};

// The executor brings scripts to CR LF by the package's own line rules.
using package::NormalizeLineBreaks;

// A data statement with each colon name outside quotes and comments turned into "?", the form
// in which the server takes a parameter. The body of an EXECUTE BLOCK keeps its colon names:
// there they are the block's own variables.
[[nodiscard]] std::string ColonNamesToParameters(std::string_view AText);

}  // namespace update
