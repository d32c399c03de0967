#pragma once

#include <string>

namespace update {

// The engine's own command-line tool, run on a database file to compare the executor with.
struct TIsqlResult {
  int ExitCode = -1;
  std::string Output;  // what it wrote to standard output and standard error
};

[[nodiscard]] bool IsqlAvailable();

// Writes AScript to AScriptFile and has isql-fb run it on ADatabaseFile as SYSDBA, stopping at
// the first error.
[[nodiscard]] TIsqlResult RunIsql(const std::string& ADatabaseFile, const std::string& AScript,
                                  const std::string& AScriptFile);

}  // namespace update
