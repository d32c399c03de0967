#include "update/tests/Isql.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace update {
namespace {

std::string ShellQuoted(const std::string& AText) {
  std::string Quoted = "'";
  for (const char Char : AText) {
    if (Char == '\'') {
      Quoted += "'\\''";
    } else {
      Quoted += Char;
    }
  }
  return Quoted + "'";
}

TIsqlResult RunCommand(const std::string& ACommand) {
  struct TPipeCloser {
    void operator()(FILE* APipe) const { pclose(APipe); }
  };
  TIsqlResult Result;
  FILE* Pipe = popen(ACommand.c_str(), "r");
  if (Pipe == nullptr) throw std::runtime_error("cannot run: " + ACommand);
  std::array<char, 4096> Buffer{};
  std::size_t Read = 0;
  while ((Read = std::fread(Buffer.data(), 1, Buffer.size(), Pipe)) > 0) {
    Result.Output.append(Buffer.data(), Read);
  }
  const int Status = pclose(Pipe);
  Result.ExitCode = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  return Result;
}

}  // namespace

bool IsqlAvailable() { return RunCommand("command -v isql-fb >/dev/null 2>&1").ExitCode == 0; }

TIsqlResult RunIsql(const std::string& ADatabaseFile, const std::string& AScript,
                    const std::string& AScriptFile) {
  {
    std::ofstream File(AScriptFile, std::ios::binary);
    File << AScript;
    if (!File) throw std::runtime_error("cannot write " + AScriptFile);
  }
  return RunCommand("isql-fb -q -b -user SYSDBA -i " + ShellQuoted(AScriptFile) + " " +
                    ShellQuoted(ADatabaseFile) + " 2>&1");
}

}  // namespace update
