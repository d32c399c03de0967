#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "db/IBDatabase.h"
#include "db/IBErrors.h"
#include "db/tests/DemoFixture.h"
#include "testsupport/CaughtError.h"
#include "testsupport/FixtureDatabase.h"
#include "testsupport/TempFolder.h"

namespace dbtest {
namespace {

using testsupport::CatchError;
using testsupport::TCaughtError;

TEST_F(DemoDatabaseTest, OpensListsTheUserTablesInTheServersOrderAndCloses) {
  OpenDemo();
  ASSERT_TRUE(Database.Connected());
  EXPECT_EQ(Database.DBSQLDialect(), 3);
  EXPECT_EQ(Database.SQLDialect(), 3);

  const std::vector<std::string> Expected = {
      "CFG_LOCAL",          "SYS_VAR",        "T_BASE_PARAM",   "T_CASE",
      "T_CLASS",            "T_ELEMENT_ANALOG", "T_ELEMENT_AVAIL", "T_ELEMENT_SUPPLIER",
      "T_ELEMENT_TYPE",     "T_FAVORITES",    "T_MAKER",        "T_NOTE",
      "T_PARAM",            "T_PIN",          "T_PROJECT",      "T_PROJECT_ITEM",
      "T_PSP",              "T_PSP_ITEM",     "T_STORAGE",      "T_SUPPLIER",
      "T_UNIT"};
  EXPECT_EQ(Database.GetTableNames(), Expected);
  // Asking twice works: the internal transaction of the first call was ended.
  EXPECT_EQ(Database.GetTableNames().size(), Expected.size());

  Database.Close();
  EXPECT_FALSE(Database.Connected());
  Database.Open();
  EXPECT_TRUE(Database.Connected());
}

TEST(DialectTest, ADialectOneDatabaseOpensInDialectOne) {
  testsupport::TTempFolder Folder;
  const std::string Path = testsupport::MakeDemoDatabase(Folder, "old.fdb", 1);
  db::TIBDatabase Database(testsupport::ClientLibrary());
  Database.SetDatabaseName(Path);
  Database.Params().push_back("user_name=SYSDBA");
  ASSERT_EQ(Database.SQLDialect(), 3);

  Database.Open();
  EXPECT_EQ(Database.DBSQLDialect(), 1);
  EXPECT_EQ(Database.SQLDialect(), 1);
  EXPECT_EQ(Database.GetTableNames().size(), 21U);

  db::TIBTransaction Transaction(Database);
  Transaction.StartTransaction();
  db::TIBQuery Query(Database, Transaction);
  Query.SetSQL("SELECT V_INTEGER FROM SYS_VAR WHERE S_PARAM = 'MINORVERSION'");
  Query.Open();
  EXPECT_EQ(Query.FieldAsInteger("V_INTEGER"), 2);
}

void ExpectOpenError(const std::string& APath, const std::string& AMessage) {
  SCOPED_TRACE(APath);
  db::TIBDatabase Database(testsupport::ClientLibrary());
  Database.SetDatabaseName(APath);
  Database.Params().push_back("user_name=SYSDBA");
  EXPECT_EQ(CatchError([&] { Database.Open(); }), (TCaughtError{"EIBInterBaseError", AMessage}));
  EXPECT_FALSE(Database.Connected());
}

// Attach failures come back with the engine's own texts, one line per status entry joined by
// CR LF, without the final full stop.
TEST(OpenErrorTest, ReportsTheEnginesTextForFilesThatCannotBeOpened) {
  testsupport::TTempFolder Folder;
  const std::string Missing = Folder.File("missing.fdb");
  const std::string Short = Folder.File("short.fdb");
  const std::string NotADatabase = Folder.File("text.fdb");
  std::ofstream(testsupport::PathOf(Short)) << "not a database\n";
  std::ofstream(testsupport::PathOf(NotADatabase)) << std::string(65536, 'x');

  struct TCase {
    std::string Path;
    std::string Message;
  };
  const std::vector<TCase> Cases = {
      {Missing, "I/O error during \"open\" operation for file \"" + Missing +
                    "\"\r\nError while trying to open file\r\nNo such file or directory"},
      {Short, "I/O error during \"read\" operation for file \"" + Short +
                  "\"\r\nFile size is less than expected"},
      {NotADatabase, "file " + NotADatabase + " is not a valid database"},
  };
  for (const TCase& Case : Cases) {
    ExpectOpenError(Case.Path, Case.Message);
  }
}

// The engine's text for an unreachable server ends with a full stop of its own, the one to lose.
TEST(OpenErrorTest, DropsTheFinalFullStopOfTheEnginesText) {
  ExpectOpenError("127.0.0.1/1:/nowhere/missing.fdb",
                  "Unable to complete network request to host \"127.0.0.1\".\r\nFailed to establish a connection");
}

// Folder names in the users' own language are common; the path has to reach the engine in the
// locale's character set and come back readable in its messages.
TEST(NonAsciiPathTest, APathOutsideAsciiReachesTheEngineAndComesBackInItsMessages) {
  class TLocaleGuard {
  public:
    explicit TLocaleGuard(const char* ALocale) : FSaved(std::setlocale(LC_ALL, nullptr)) {
      std::setlocale(LC_ALL, ALocale);
    }
    ~TLocaleGuard() { std::setlocale(LC_ALL, FSaved.c_str()); }
    TLocaleGuard(const TLocaleGuard&) = delete;
    TLocaleGuard& operator=(const TLocaleGuard&) = delete;

  private:
    std::string FSaved;
  };
  const TLocaleGuard Utf8("C.UTF-8");
  testsupport::TTempFolder Folder;
  const std::string Path = testsupport::MakeDemoDatabase(Folder, "\u0411\u0430\u0437\u0430.fdb");
  ASSERT_TRUE(std::filesystem::exists(Folder.Path() / "\u0411\u0430\u0437\u0430.fdb"));

  db::TIBDatabase Database(testsupport::ClientLibrary());
  Database.SetDatabaseName(Path);
  Database.Params().push_back("user_name=SYSDBA");
  Database.Open();
  EXPECT_EQ(Database.GetTableNames().size(), 21U);
  Database.Close();

  const std::string Missing = Folder.File("\u041D\u0435\u0442.fdb");
  Database.SetDatabaseName(Missing);
  EXPECT_EQ(CatchError([&] { Database.Open(); }).Message,
            "I/O error during \"open\" operation for file \"" + Missing +
                "\"\r\nError while trying to open file\r\nNo such file or directory");
}

// Checks made before anything reaches the library.
TEST_F(DemoDatabaseTest, RefusesWhatCannotBeSentWithClientErrors) {
  struct TCase {
    const char* Name;
    std::function<void(db::TIBDatabase&)> Action;
    const char* Message;
  };
  const std::vector<TCase> Cases = {
      {"open twice",
       [this](db::TIBDatabase& ADatabase) {
         ADatabase.SetDatabaseName(Path);
         ADatabase.Params().assign({"user_name=SYSDBA"});
         ADatabase.Open();
         ADatabase.Open();
       },
       db::SDatabaseOpen},
      {"no name", [](db::TIBDatabase& ADatabase) { ADatabase.Open(); }, db::SDatabaseNameMissing},
      {"parameter other than the user name",
       [this](db::TIBDatabase& ADatabase) {
         ADatabase.SetDatabaseName(Path);
         ADatabase.Params().assign({"user_name=SYSDBA", "password=masterkey"});
         ADatabase.Open();
       },
       "DPB Constant (password) is unknown"},
      {"tables of a closed database",
       [](db::TIBDatabase& ADatabase) { (void)ADatabase.GetTableNames(); }, db::SDatabaseClosed},
      {"transaction on a closed database",
       [](db::TIBDatabase& ADatabase) {
         db::TIBTransaction Transaction(ADatabase);
         Transaction.StartTransaction();
       },
       db::SDatabaseClosed},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    db::TIBDatabase Fresh(Library);
    EXPECT_EQ(CatchError([&] { Case.Action(Fresh); }),
              (TCaughtError{"EIBClientError", Case.Message}));
  }
}

TEST(ClientLibraryTest, AMissingLibraryOrEntryPointIsAClientError) {
  // The C library is there on every system but exports none of the client's entry points.
  for (const std::string Name : {"libfbclient-not-installed.so.2", "libc.so.6"}) {
    SCOPED_TRACE(Name);
    EXPECT_EQ(CatchError([&] { (void)db::TIBClientLibrary::Load(Name); }),
              (TCaughtError{"EIBClientError",
                            "InterBase library " + Name +
                                " not found in the path. Please install InterBase to use this "
                                "functionality"}));
  }
}

TEST_F(DemoDatabaseTest, TransactionsStartOnlyOnceAndQueriesNeedAnActiveOne) {
  OpenDemo();
  db::TIBTransaction Transaction(Database);
  db::TIBQuery Query(Database, Transaction);
  // Not even valid SQL: the check comes before the statement is sent anywhere.
  Query.SetSQL("this is not SQL");
  const TCaughtError NotActive{"EIBClientError", db::STransactionNotActive};
  EXPECT_EQ(CatchError([&] { Query.Open(); }), NotActive);
  EXPECT_EQ(CatchError([&] { Query.ExecSQL(); }), NotActive);
  EXPECT_EQ(CatchError([&] { Transaction.Commit(); }), NotActive);
  EXPECT_EQ(CatchError([&] { Transaction.Rollback(); }), NotActive);

  Transaction.StartTransaction();
  EXPECT_TRUE(Transaction.InTransaction());
  EXPECT_EQ(CatchError([&] { Transaction.StartTransaction(); }),
            (TCaughtError{"EIBClientError", db::STransactionIsActive}));
  EXPECT_TRUE(Transaction.InTransaction());
}

TEST_F(DemoDatabaseTest, CommitAndRollbackCloseTheQueriesOpenOnTheTransaction) {
  OpenDemo();
  db::TIBTransaction Transaction(Database);
  db::TIBQuery Writer(Database, Transaction);
  db::TIBQuery Reader(Database, Transaction);
  Reader.SetSQL("SELECT S_PARAM FROM SYS_VAR");

  Transaction.StartTransaction();
  Writer.SetSQL("INSERT INTO CFG_LOCAL (ID, S_PARAM) VALUES (20, 'rolled back')");
  Writer.ExecSQL();
  Reader.Open();
  Transaction.Rollback();
  EXPECT_FALSE(Transaction.InTransaction());
  EXPECT_FALSE(Reader.Active());

  Transaction.StartTransaction();
  Writer.SetSQL("INSERT INTO CFG_LOCAL (ID, S_PARAM) VALUES (21, 'committed')");
  Writer.ExecSQL();
  Reader.Open();
  Transaction.Commit();
  EXPECT_FALSE(Reader.Active());
  Database.Close();

  EXPECT_EQ(testsupport::QueryColumn(Path, "SELECT S_PARAM FROM CFG_LOCAL WHERE ID >= 20", "S_PARAM"),
            std::vector<std::string>{"committed"});
}

TEST_F(DemoDatabaseTest, CloseCommitsTheActiveTransaction) {
  OpenDemo();
  db::TIBTransaction Transaction(Database);
  db::TIBQuery Query(Database, Transaction);
  Transaction.StartTransaction();
  Query.SetSQL("INSERT INTO CFG_LOCAL (ID, S_PARAM) VALUES (30, 'kept')");
  Query.ExecSQL();
  Query.SetSQL("SELECT S_PARAM FROM SYS_VAR");
  Query.Open();

  Database.Close();
  EXPECT_FALSE(Database.Connected());
  EXPECT_FALSE(Transaction.InTransaction());
  EXPECT_FALSE(Query.Active());
  EXPECT_EQ(testsupport::QueryColumn(Path, "SELECT S_PARAM FROM CFG_LOCAL WHERE ID = 30", "S_PARAM"),
            std::vector<std::string>{"kept"});
}

// The window may destroy its components in any order; the connection going first still commits
// and leaves nothing dangling for the others (the sanitizer build watches this).
TEST(ComponentLifetimeTest, TheDatabaseMayGoBeforeItsTransactionAndQuery) {
  testsupport::TTempFolder Folder;
  const std::string Path = testsupport::MakeDemoDatabase(Folder);
  auto Database = std::make_unique<db::TIBDatabase>(testsupport::ClientLibrary());
  Database->SetDatabaseName(Path);
  Database->Params().push_back("user_name=SYSDBA");
  Database->Open();
  auto Transaction = std::make_unique<db::TIBTransaction>(*Database);
  auto Query = std::make_unique<db::TIBQuery>(*Database, *Transaction);
  Transaction->StartTransaction();
  Query->SetSQL("INSERT INTO CFG_LOCAL (ID, S_PARAM) VALUES (40, 'orphans')");
  Query->ExecSQL();
  Query->SetSQL("SELECT S_PARAM FROM SYS_VAR");
  Query->Open();

  Database.reset();
  EXPECT_FALSE(Transaction->InTransaction());
  EXPECT_FALSE(Query->Active());
  EXPECT_EQ(CatchError([&] { Transaction->StartTransaction(); }),
            (TCaughtError{"EIBClientError", db::SDatabaseClosed}));
  EXPECT_EQ(CatchError([&] { Query->Open(); }),
            (TCaughtError{"EIBClientError", db::SDatabaseClosed}));
  Transaction.reset();
  Query.reset();

  EXPECT_EQ(testsupport::QueryColumn(Path, "SELECT S_PARAM FROM CFG_LOCAL WHERE ID = 40", "S_PARAM"),
            std::vector<std::string>{"orphans"});
}

}  // namespace
}  // namespace dbtest
