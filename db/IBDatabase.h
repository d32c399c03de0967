#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace db {

// Names under which the client library is looked for, in this order: on Windows the
// engine's own client first, then the name older installations gave it.
#ifdef _WIN32
inline const std::vector<std::string> ClientLibraryNames{"fbclient.dll", "gds32.dll"};
#else
inline const std::vector<std::string> ClientLibraryNames{"libfbclient.so.2"};
#endif

// The database client library, loaded once and shared by every component that uses it.
class TIBClientLibrary {
public:
  // The first of ANames that loads with all its entry points. Throws EIBClientError
  // "InterBase library <name> not found in the path. Please install InterBase to use this
  // functionality", naming the last of ANames, when none does.
  [[nodiscard]] static std::shared_ptr<const TIBClientLibrary> Load(
      const std::vector<std::string>& ANames = ClientLibraryNames);
  [[nodiscard]] static std::shared_ptr<const TIBClientLibrary> Load(const std::string& AFileName) {
    return Load(std::vector<std::string>{AFileName});
  }

  struct TApi;  // the library's entry points; see FbApi.h
  [[nodiscard]] const TApi& Api() const { return *FApi; }

  explicit TIBClientLibrary(std::unique_ptr<TApi> AApi);
  ~TIBClientLibrary();
  TIBClientLibrary(const TIBClientLibrary&) = delete;
  TIBClientLibrary& operator=(const TIBClientLibrary&) = delete;

private:
  std::unique_ptr<TApi> FApi;
};

class TIBTransaction;
class TIBQuery;

// A connection to one database file. All text (file name, SQL, results) is UTF-8 here and
// crosses to the library in the locale's character set (connection character set NONE).
class TIBDatabase {
public:
  explicit TIBDatabase(std::shared_ptr<const TIBClientLibrary> ALibrary);
  // Closes the connection if it is still open, committing any active transaction.
  ~TIBDatabase();
  TIBDatabase(const TIBDatabase&) = delete;
  TIBDatabase& operator=(const TIBDatabase&) = delete;

  void SetLoginPrompt(bool ALoginPrompt) { FLoginPrompt = ALoginPrompt; }
  [[nodiscard]] bool LoginPrompt() const { return FLoginPrompt; }
  void SetDatabaseName(std::string AName) { FDatabaseName = std::move(AName); }
  [[nodiscard]] const std::string& DatabaseName() const { return FDatabaseName; }
  // Connection parameters as "name=value" lines; only "user_name" is understood, and it is
  // sent as the one item of a version-1 parameter block.
  [[nodiscard]] std::vector<std::string>& Params() { return FParams; }

  // Requested SQL dialect (3). After Open it is lowered, silently, to the database's own.
  void SetSQLDialect(int ADialect) { FSQLDialect = ADialect; }
  [[nodiscard]] int SQLDialect() const { return FSQLDialect; }
  [[nodiscard]] int DBSQLDialect() const { return FDBSQLDialect; }

  // Throws EIBClientError (already open, no name) or EIBInterBaseError.
  void Open();
  // Closes queries, commits active transactions (rolling back, silently, one whose commit
  // fails), detaches. Counts as closed afterwards even when the detach throws.
  void Close();
  [[nodiscard]] bool Connected() const;

  // Names of the user tables in the server's order, trailing blanks removed; read in an
  // internal transaction that is committed afterwards.
  [[nodiscard]] std::vector<std::string> GetTableNames();

  [[nodiscard]] const TIBClientLibrary& Library() const { return *FLibrary; }

  struct TImpl;  // handles in the library's own types
  [[nodiscard]] TImpl& Impl() const { return *FImpl; }

private:
  friend class TIBTransaction;
  void AttachTransaction(TIBTransaction* ATransaction);
  void DetachTransaction(TIBTransaction* ATransaction) noexcept;

  std::shared_ptr<const TIBClientLibrary> FLibrary;
  std::unique_ptr<TImpl> FImpl;
  bool FLoginPrompt = true;
  std::string FDatabaseName;
  std::vector<std::string> FParams;
  int FSQLDialect = 3;
  int FDBSQLDialect = 0;
  std::vector<TIBTransaction*> FTransactions;
};

// A transaction on one database, started with no parameter block (the library's defaults).
// It never starts by itself.
class TIBTransaction {
public:
  explicit TIBTransaction(TIBDatabase& ADefaultDatabase);
  // Rolls back if still active; never throws.
  ~TIBTransaction();
  TIBTransaction(const TIBTransaction&) = delete;
  TIBTransaction& operator=(const TIBTransaction&) = delete;

  // EIBClientError "Transaction is active" or "Cannot perform operation -- DB is not open".
  void StartTransaction();
  // Full (not retaining); close every query open on the transaction first.
  void Commit();
  void Rollback();
  void CommitRetaining();
  void RollbackRetaining();
  [[nodiscard]] bool InTransaction() const;
  [[nodiscard]] TIBDatabase& DefaultDatabase() const { return FDatabase; }

  struct TImpl;
  [[nodiscard]] TImpl& Impl() const { return *FImpl; }

private:
  friend class TIBQuery;
  friend class TIBDatabase;
  void AttachQuery(TIBQuery* AQuery);
  void DetachQuery(TIBQuery* AQuery) noexcept;
  void CloseQueries() noexcept;
  // The database is being destroyed first: nothing may reach it through this transaction or
  // its queries any more.
  void ForgetDatabase(const TIBDatabase* ADatabase) noexcept;

  TIBDatabase& FDatabase;
  std::unique_ptr<TImpl> FImpl;
  std::vector<TIBQuery*> FQueries;
};

// A DSQL statement in a transaction. Every input parameter ("?") is sent as NULL.
class TIBQuery {
public:
  TIBQuery(TIBDatabase& ADatabase, TIBTransaction& ATransaction);
  ~TIBQuery();
  TIBQuery(const TIBQuery&) = delete;
  TIBQuery& operator=(const TIBQuery&) = delete;

  void SetSQL(std::string ASQL);
  [[nodiscard]] const std::string& SQL() const { return FSQL; }

  // Prepares and executes; for a statement that returns rows, the first row (if any) is
  // current afterwards. EIBClientError "Transaction is not active" / "Cannot perform operation
  // -- DB is not open" before anything is sent; EIBInterBaseError from the server.
  void Open();
  // Prepares and executes a statement of any kind, keeping no cursor open.
  void ExecSQL();
  void Close() noexcept;
  [[nodiscard]] bool Active() const;
  [[nodiscard]] bool Eof() const;
  void Next();

  // The current row's column by name (letter case ignored). A fixed-length CHAR keeps its
  // trailing blanks; NULL reads as empty text or 0. Throws EIBClientError for an unknown name.
  [[nodiscard]] std::string FieldAsString(std::string_view AName) const;
  [[nodiscard]] std::int32_t FieldAsInteger(std::string_view AName) const;
  [[nodiscard]] bool FieldIsNull(std::string_view AName) const;

  struct TImpl;

private:
  friend class TIBTransaction;
  TIBDatabase& FDatabase;
  TIBTransaction& FTransaction;
  std::string FSQL;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace db
