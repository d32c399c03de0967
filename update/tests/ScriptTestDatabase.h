#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "db/IBDatabase.h"

namespace update {

// A demo database of the client application in a temporary folder of its own, with one open
// connection set up the way the wizard sets up its own.
class TScriptTestDatabase {
public:
  TScriptTestDatabase();
  ~TScriptTestDatabase();
  TScriptTestDatabase(const TScriptTestDatabase&) = delete;
  TScriptTestDatabase& operator=(const TScriptTestDatabase&) = delete;

  [[nodiscard]] db::TIBDatabase& Connection() { return *FDatabase; }
  [[nodiscard]] const std::filesystem::path& Folder() const { return FFolder; }
  [[nodiscard]] std::string FileName() const { return (FFolder / "demo.fdb").string(); }

  // The named column of the first row, in a transaction of its own (committed work only).
  [[nodiscard]] std::string QueryOne(const std::string& ASQL, std::string_view AField);
  // Runs one statement in a transaction of its own and commits it.
  void Execute(const std::string& ASQL);

private:
  std::filesystem::path FFolder;
  std::unique_ptr<db::TIBDatabase> FDatabase;
};

}  // namespace update
