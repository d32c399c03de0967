#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/IBDatabase.h"

namespace demodb {

// The 21 user tables of the client application's database, in the order its update package
// lists them.
[[nodiscard]] const std::vector<std::string>& DemoTableNames();

// Creates at APath (which must not exist yet) a client database of version 1.2.1 as it stands
// before the package's structure fix: the 21 tables, SYS_VAR with DBID and version 1.2.1,
// T_PROJECT without ICONID and with its columns out of the fixed order, the generator
// gen_t_project_id, the old INSERT_PROJECT procedure and two projects made through it.
// ADialect 1 makes the same database in the old SQL dialect.
void CreateDemoDatabase(const std::shared_ptr<const db::TIBClientLibrary>& ALibrary,
                        const std::string& APath, int ADialect = 3);

}  // namespace demodb
