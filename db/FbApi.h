#pragma once

// The one place that sees the client library's own header: everything outside db/ works with
// the library only through IBDatabase.h, and the library itself is found at run time.

#include <ibase.h>

#include "db/IBDatabase.h"
#include "platform/DynamicLibrary.h"

// The entry points this layer calls, each under its exported name.
#define DB_FB_ENTRY_POINTS(X)  \
  X(isc_attach_database)       \
  X(isc_detach_database)       \
  X(isc_database_info)         \
  X(isc_start_multiple)        \
  X(isc_commit_transaction)    \
  X(isc_rollback_transaction)  \
  X(isc_commit_retaining)      \
  X(isc_rollback_retaining)    \
  X(isc_dsql_allocate_statement) \
  X(isc_dsql_prepare)          \
  X(isc_dsql_describe)         \
  X(isc_dsql_describe_bind)    \
  X(isc_dsql_execute)          \
  X(isc_dsql_execute2)         \
  X(isc_dsql_fetch)            \
  X(isc_dsql_free_statement)   \
  X(isc_dsql_sql_info)         \
  X(isc_dsql_execute_immediate) \
  X(fb_interpret)              \
  X(isc_sqlcode)               \
  X(isc_vax_integer)

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
