#pragma once

// The one place that sees the client library's own header: everything outside db/ works with
// the library only through IBDatabase.h, and the library itself is found at run time.

#include <ibase.h>

#include "db/FbEntryPoints.h"
#include "db/IBDatabase.h"
#include "platform/DynamicLibrary.h"

namespace db {

struct TIBClientLibrary::TApi {
  // Keeps the library mapped for as long as these pointers are in use.
  platform::TDynamicLibrary Library;

#define DB_FB_DECLARE_ENTRY(Name) decltype(&::Name) Name = nullptr;
  DB_FB_ENTRY_POINTS(DB_FB_DECLARE_ENTRY)
#undef DB_FB_DECLARE_ENTRY
};

// The transaction existence block of isc_start_multiple, laid out as the library reads it.
struct TTransactionBlock {
  isc_db_handle* Database;
  int ParameterLength;
  const char* Parameters;
};

}  // namespace db
