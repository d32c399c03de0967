#pragma once

// Everything the forwarder passes between a Windows program (LLP64) and the Linux client
// library (LP64) as is, by value or behind a pointer, must have the same size and layout in
// both views of ibase.h. This header is compiled by both sides: by the forwarder with the host's
// compiler and by its Windows test with MinGW, so a difference stops one of the two builds.

#include <ibase.h>

#include <cstddef>

namespace wine_fbclient_abi {

static_assert(sizeof(ISC_STATUS) == 8, "status vector element");
static_assert(sizeof(isc_db_handle) == 4 && sizeof(isc_tr_handle) == 4 &&
                  sizeof(isc_stmt_handle) == 4,
              "handles");
static_assert(sizeof(ISC_LONG) == 4, "ISC_LONG: int here, long there");
static_assert(sizeof(short) == 2 && sizeof(int) == 4, "lengths");

static_assert(offsetof(XSQLVAR, sqllen) == 6);
static_assert(offsetof(XSQLVAR, sqldata) == 8);
static_assert(offsetof(XSQLVAR, sqlind) == 16);
static_assert(offsetof(XSQLVAR, sqlname_length) == 24);
static_assert(offsetof(XSQLVAR, aliasname) == 128);
static_assert(sizeof(XSQLVAR) == 160);
static_assert(offsetof(XSQLDA, sqldabc) == 12);
static_assert(offsetof(XSQLDA, sqln) == 16);
static_assert(offsetof(XSQLDA, sqlvar) == 24);
static_assert(XSQLDA_LENGTH(3) == 24 + 3 * 160);

// isc_start_multiple's transaction existence block, as the library reads it.
struct TTransactionBlock {
  isc_db_handle* Database;
  int ParameterLength;
  const char* Parameters;
};
static_assert(sizeof(TTransactionBlock) == 24 && offsetof(TTransactionBlock, Parameters) == 16);

}  // namespace wine_fbclient_abi
