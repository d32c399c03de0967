#pragma once

// The client library's entry points that the program calls, each under its exported name, as an
// X macro: the database layer resolves them, and the test library that stands in for the client
// under Wine forwards the same ones. Only names here: include ibase.h before expanding it.
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
