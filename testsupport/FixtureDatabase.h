#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/IBDatabase.h"
#include "testsupport/TempFolder.h"

namespace testsupport {

// The client library, loaded the way the program loads it.
[[nodiscard]] std::shared_ptr<const db::TIBClientLibrary> ClientLibrary();

// A fresh demo database of version 1.2.1 (see tools/DemoDatabase.h) in AFolder; returns its path.
[[nodiscard]] std::string MakeDemoDatabase(const TTempFolder& AFolder,
                                           const std::string& AName = "demo.fdb",
                                           int ADialect = 3);

// Runs one statement on a database file in a transaction of its own and commits it: for
// bending a fixture into the shape a test needs.
void ExecuteSql(const std::string& ADatabaseFile, const std::string& ASQL);

// The values of one column of a query's rows, read as text.
[[nodiscard]] std::vector<std::string> QueryColumn(const std::string& ADatabaseFile,
                                                   const std::string& ASQL,
                                                   const std::string& AColumn);

}  // namespace testsupport
