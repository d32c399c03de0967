#include "update/tests/ScriptTestDatabase.h"

#include <cstdlib>
#include <stdexcept>

#include "tools/DemoDatabase.h"

namespace update {
namespace {

std::filesystem::path MakeFolder() {
  std::string Template = (std::filesystem::temp_directory_path() / "ibscript-XXXXXX").string();
  if (mkdtemp(Template.data()) == nullptr) throw std::runtime_error("no temporary folder");
  return Template;
}

}  // namespace

TScriptTestDatabase::TScriptTestDatabase() : FFolder(MakeFolder()) {
  const auto Library = db::TIBClientLibrary::Load();
  demodb::CreateDemoDatabase(Library, FileName());
  FDatabase = std::make_unique<db::TIBDatabase>(Library);
  FDatabase->SetLoginPrompt(false);
  FDatabase->SetDatabaseName(FileName());
  FDatabase->Params().push_back("user_name=SYSDBA");
}

TScriptTestDatabase::~TScriptTestDatabase() {
  FDatabase.reset();
  std::error_code Ignored;
  std::filesystem::remove_all(FFolder, Ignored);
}

std::string TScriptTestDatabase::QueryOne(const std::string& ASQL, std::string_view AField) {
  db::TIBTransaction Transaction(*FDatabase);
  Transaction.StartTransaction();
  db::TIBQuery Query(*FDatabase, Transaction);
  Query.SetSQL(ASQL);
  Query.Open();
  std::string Value = Query.Eof() ? std::string() : Query.FieldAsString(AField);
  Query.Close();
  Transaction.Commit();
  return Value;
}

void TScriptTestDatabase::Execute(const std::string& ASQL) {
  db::TIBTransaction Transaction(*FDatabase);
  Transaction.StartTransaction();
  db::TIBQuery Query(*FDatabase, Transaction);
  Query.SetSQL(ASQL);
  Query.ExecSQL();
  Transaction.Commit();
}

}  // namespace update
