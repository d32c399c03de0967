#pragma once

#include <memory>
#include <string>

#include "db/IBDatabase.h"

namespace db {

// Creates an empty database file at APath (it must not exist yet) with the given SQL dialect,
// owned by SYSDBA, and detaches from it. Throws EIBInterBaseError when the engine refuses.
void CreateDatabase(const std::shared_ptr<const TIBClientLibrary>& ALibrary,
                    const std::string& APath, int ADialect = 3);

}  // namespace db
