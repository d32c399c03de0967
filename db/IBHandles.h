#pragma once

#include <memory>

#include "db/FbApi.h"

namespace db {

// Owners of the library's handles. Each keeps the library loaded for as long as it holds a
// handle, so a handle can always be given back, whatever order the owners die in.

class TAttachmentHandle {
public:
  explicit TAttachmentHandle(std::shared_ptr<const TIBClientLibrary> ALibrary);
  ~TAttachmentHandle();  // detaches, swallowing errors
  TAttachmentHandle(const TAttachmentHandle&) = delete;
  TAttachmentHandle& operator=(const TAttachmentHandle&) = delete;

  [[nodiscard]] isc_db_handle* Get() { return &FHandle; }
  [[nodiscard]] bool IsOpen() const { return FHandle != 0; }
  // Throws the library's error; the handle is let go even then, as nothing more can be done
  // with an attachment that refused to detach.
  void Detach();

private:
  std::shared_ptr<const TIBClientLibrary> FLibrary;
  isc_db_handle FHandle = 0;
};

class TTransactionHandle {
public:
  explicit TTransactionHandle(std::shared_ptr<const TIBClientLibrary> ALibrary);
  ~TTransactionHandle();  // rolls back, swallowing errors
  TTransactionHandle(const TTransactionHandle&) = delete;
  TTransactionHandle& operator=(const TTransactionHandle&) = delete;

  [[nodiscard]] isc_tr_handle* Get() { return &FHandle; }
  [[nodiscard]] bool IsActive() const { return FHandle != 0; }
  // Throw the library's error and keep the handle when the server refuses.
  void Commit();
  void Rollback();
  void CommitRetaining();
  void RollbackRetaining();
  // Ends the transaction whatever the server says; the handle is let go in any case.
  void RollbackQuietly() noexcept;

private:
  std::shared_ptr<const TIBClientLibrary> FLibrary;
  isc_tr_handle FHandle = 0;
};

class TStatementHandle {
public:
  explicit TStatementHandle(std::shared_ptr<const TIBClientLibrary> ALibrary);
  ~TStatementHandle();  // drops the statement, swallowing errors
  TStatementHandle(TStatementHandle&& AOther) noexcept;
  TStatementHandle& operator=(TStatementHandle&& AOther) noexcept;
  TStatementHandle(const TStatementHandle&) = delete;
  TStatementHandle& operator=(const TStatementHandle&) = delete;

  void Allocate(isc_db_handle* AAttachment);
  [[nodiscard]] isc_stmt_handle* Get() { return &FHandle; }
  [[nodiscard]] bool IsAllocated() const { return FHandle != 0; }
  void Drop() noexcept;

private:
  std::shared_ptr<const TIBClientLibrary> FLibrary;
  isc_stmt_handle FHandle = 0;
};

}  // namespace db
