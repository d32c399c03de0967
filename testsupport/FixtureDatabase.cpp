#include "testsupport/FixtureDatabase.h"

#include "tools/DemoDatabase.h"

namespace testsupport {

namespace {

// Open connection with the wizard's own settings.
void OpenDatabase(db::TIBDatabase& ADatabase, const std::string& AFile) {
  ADatabase.SetLoginPrompt(false);
  ADatabase.SetDatabaseName(AFile);
  ADatabase.Params().push_back("user_name=SYSDBA");
  ADatabase.Open();
}

}  // namespace

std::shared_ptr<const db::TIBClientLibrary> ClientLibrary() { return db::TIBClientLibrary::Load(); }

std::string MakeDemoDatabase(const TTempFolder& AFolder, const std::string& AName, int ADialect) {
  const std::string Path = AFolder.File(AName);
  demodb::CreateDemoDatabase(ClientLibrary(), Path, ADialect);
  return Path;
}

void ExecuteSql(const std::string& ADatabaseFile, const std::string& ASQL) {
  db::TIBDatabase Database(ClientLibrary());
  OpenDatabase(Database, ADatabaseFile);
  db::TIBTransaction Transaction(Database);
  Transaction.StartTransaction();
  {
    db::TIBQuery Query(Database, Transaction);
    Query.SetSQL(ASQL);
    Query.ExecSQL();
  }
  Transaction.Commit();
  Database.Close();
}

std::vector<std::string> QueryColumn(const std::string& ADatabaseFile, const std::string& ASQL,
                                     const std::string& AColumn) {
  db::TIBDatabase Database(ClientLibrary());
  OpenDatabase(Database, ADatabaseFile);
  db::TIBTransaction Transaction(Database);
  Transaction.StartTransaction();
  std::vector<std::string> Values;
  {
    db::TIBQuery Query(Database, Transaction);
    Query.SetSQL(ASQL);
    for (Query.Open(); !Query.Eof(); Query.Next()) {
      Values.push_back(Query.FieldAsString(AColumn));
    }
  }
  Transaction.Commit();
  Database.Close();
  return Values;
}

}  // namespace testsupport
