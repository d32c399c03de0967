#include "db/IBHandles.h"

#include <utility>

#include "db/IBStatus.h"

namespace db {

TAttachmentHandle::TAttachmentHandle(std::shared_ptr<const TIBClientLibrary> ALibrary)
    : FLibrary(std::move(ALibrary)) {}

TAttachmentHandle::~TAttachmentHandle() {
  if (IsOpen()) {
    CallQuietly(FLibrary->Api().isc_detach_database, &FHandle);
  }
}

void TAttachmentHandle::Detach() {
  if (!IsOpen()) {
    return;
  }
  isc_db_handle Handle = std::exchange(FHandle, isc_db_handle{});
  CallChecked(FLibrary->Api(), FLibrary->Api().isc_detach_database, &Handle);
}

TTransactionHandle::TTransactionHandle(std::shared_ptr<const TIBClientLibrary> ALibrary)
    : FLibrary(std::move(ALibrary)) {}

TTransactionHandle::~TTransactionHandle() { RollbackQuietly(); }

void TTransactionHandle::Commit() {
  CallChecked(FLibrary->Api(), FLibrary->Api().isc_commit_transaction, &FHandle);
  FHandle = 0;
}

void TTransactionHandle::Rollback() {
  CallChecked(FLibrary->Api(), FLibrary->Api().isc_rollback_transaction, &FHandle);
  FHandle = 0;
}

void TTransactionHandle::CommitRetaining() {
  CallChecked(FLibrary->Api(), FLibrary->Api().isc_commit_retaining, &FHandle);
}

void TTransactionHandle::RollbackRetaining() {
  CallChecked(FLibrary->Api(), FLibrary->Api().isc_rollback_retaining, &FHandle);
}

void TTransactionHandle::RollbackQuietly() noexcept {
  if (IsActive()) {
    CallQuietly(FLibrary->Api().isc_rollback_transaction, &FHandle);
    FHandle = 0;
  }
}

TStatementHandle::TStatementHandle(std::shared_ptr<const TIBClientLibrary> ALibrary)
    : FLibrary(std::move(ALibrary)) {}

TStatementHandle::~TStatementHandle() { Drop(); }

TStatementHandle::TStatementHandle(TStatementHandle&& AOther) noexcept
    : FLibrary(AOther.FLibrary), FHandle(std::exchange(AOther.FHandle, isc_stmt_handle{})) {}

TStatementHandle& TStatementHandle::operator=(TStatementHandle&& AOther) noexcept {
  if (this != &AOther) {
    Drop();
    FLibrary = AOther.FLibrary;
    FHandle = std::exchange(AOther.FHandle, isc_stmt_handle{});
  }
  return *this;
}

void TStatementHandle::Allocate(isc_db_handle* AAttachment) {
  Drop();
  CallChecked(FLibrary->Api(), FLibrary->Api().isc_dsql_allocate_statement, AAttachment, &FHandle);
}

void TStatementHandle::Drop() noexcept {
  if (IsAllocated()) {
    CallQuietly(FLibrary->Api().isc_dsql_free_statement, &FHandle,
                static_cast<unsigned short>(DSQL_drop));
    FHandle = 0;
  }
}

}  // namespace db
