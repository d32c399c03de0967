#pragma once

// The insides of the components, for this layer's own sources (and its tests).

#include <memory>
#include <string>
#include <vector>

#include "db/IBDatabase.h"
#include "db/IBHandles.h"
#include "db/Sqlda.h"

namespace db {

struct TIBDatabase::TImpl {
  explicit TImpl(const std::shared_ptr<const TIBClientLibrary>& ALibrary)
      : Library(ALibrary), Attachment(ALibrary) {}
  std::shared_ptr<const TIBClientLibrary> Library;
  TAttachmentHandle Attachment;
};

struct TIBTransaction::TImpl {
  TImpl(std::shared_ptr<const TIBClientLibrary> ALibrary, TIBDatabase* ADatabase)
      : Database(ADatabase), Handle(std::move(ALibrary)) {}
  // Null once the database has been destroyed before this transaction.
  TIBDatabase* Database;
  TTransactionHandle Handle;
};

struct TIBQuery::TImpl {
  TImpl(std::shared_ptr<const TIBClientLibrary> ALibrary, TIBDatabase* ADatabase,
        TIBTransaction* ATransaction)
      : Database(ADatabase), Transaction(ATransaction), Statement(std::move(ALibrary)) {}
  // Null once the component they name has been destroyed before this query.
  TIBDatabase* Database;
  TIBTransaction* Transaction;

  TStatementHandle Statement;
  TSqlda Output;  // of the last run; stays until the next one replaces it
  std::vector<std::string> FieldNames;  // UTF-8, as the columns are named in the result
  bool Active = false;
  bool Eof = true;
  bool HasCursor = false;  // false: the one row of a procedure's output parameters
};

}  // namespace db
