#include "db/IBDatabase.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "db/IBErrors.h"
#include "db/IBImpl.h"
#include "db/IBStatus.h"
#include "platform/TextCodec.h"

namespace db {

namespace {

constexpr const char* TableNamesSQL =
    "Select RDB$RELATION_NAME from RDB$RELATIONS  where RDB$VIEW_BLR is NULL and "
    "RDB$SYSTEM_FLAG = 0 ORDER BY RDB$RELATION_NAME";
constexpr int LowestDialect = 1;

EIBClientError LibraryNotFound(const std::string& AFileName) {
  return EIBClientError("InterBase library " + AFileName +
                        " not found in the path. "
                        "Please install InterBase to use this functionality");
}

// The library's entry points, or none when the library or one of them is missing.
std::unique_ptr<TIBClientLibrary::TApi> LoadEntryPoints(const std::string& AFileName) {
  auto Api = std::make_unique<TIBClientLibrary::TApi>();
  Api->Library = platform::TDynamicLibrary::Load(AFileName);
  if (!Api->Library.IsLoaded()) {
    return nullptr;
  }
#define DB_FB_RESOLVE_ENTRY(Name)                                                  \
  Api->Name = reinterpret_cast<decltype(Api->Name)>(Api->Library.FindSymbol(#Name)); \
  if (Api->Name == nullptr) {                                                      \
    return nullptr;                                                                \
  }
  DB_FB_ENTRY_POINTS(DB_FB_RESOLVE_ENTRY)
#undef DB_FB_RESOLVE_ENTRY
  return Api;
}

std::string Trimmed(const std::string& AText) {
  const auto IsBlank = [](unsigned char C) { return std::isspace(C) != 0; };
  const auto First = std::find_if_not(AText.begin(), AText.end(), IsBlank);
  const auto Last = std::find_if_not(AText.rbegin(), AText.rend(), IsBlank).base();
  return First < Last ? std::string(First, Last) : std::string();
}

std::string LowerCase(std::string AText) {
  for (char& C : AText) {
    C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  }
  return AText;
}

// Version 1 parameter block. Only the user name is understood: the connection sends no
// password, role or character set, whatever else the lines might ask for.
std::string BuildParameterBlock(const std::vector<std::string>& AParams) {
  std::string Block(1, static_cast<char>(isc_dpb_version1));
  for (const std::string& Line : AParams) {
    if (Trimmed(Line).empty()) {
      continue;
    }
    const std::size_t Equals = Line.find('=');
    const std::string Name = LowerCase(Trimmed(Line.substr(0, Equals)));
    if (Name != "user_name") {
      throw EIBClientError("DPB Constant (" + Name + ") is unknown");
    }
    std::string Value =
        Equals == std::string::npos ? std::string() : platform::Utf8ToAnsi(Line.substr(Equals + 1));
    constexpr std::size_t MaxItemLength = 255;
    Value.resize(std::min(Value.size(), MaxItemLength));
    Block += static_cast<char>(isc_dpb_user_name);
    Block += static_cast<char>(static_cast<unsigned char>(Value.size()));
    Block += Value;
  }
  return Block;
}

int ReadDatabaseDialect(const TApi& AApi, isc_db_handle* AAttachment) {
  const char Items[] = {static_cast<char>(isc_info_db_sql_dialect),
                        static_cast<char>(isc_info_end)};
  std::vector<char> Answer(32, '\0');
  CallChecked(AApi, AApi.isc_database_info, AAttachment, static_cast<short>(sizeof Items), Items,
              static_cast<short>(Answer.size()), Answer.data());
  long Dialect = LowestDialect;
  // Databases older than the dialects do not know the item: they speak dialect 1.
  if (!ReadInfoInteger(AApi, Answer, static_cast<char>(isc_info_db_sql_dialect), Dialect)) {
    Dialect = LowestDialect;
  }
  return static_cast<int>(Dialect);
}

std::string WithoutTrailingBlanks(std::string AText) {
  AText.erase(AText.find_last_not_of(' ') + 1);
  return AText;
}

}  // namespace

// ---- TIBClientLibrary ----

std::shared_ptr<const TIBClientLibrary> TIBClientLibrary::Load(const std::vector<std::string>& ANames) {
  for (const std::string& Name : ANames) {
    if (auto Api = LoadEntryPoints(Name)) {
      return std::make_shared<const TIBClientLibrary>(std::move(Api));
    }
  }
  throw LibraryNotFound(ANames.empty() ? std::string() : ANames.back());
}

TIBClientLibrary::TIBClientLibrary(std::unique_ptr<TApi> AApi) : FApi(std::move(AApi)) {}

TIBClientLibrary::~TIBClientLibrary() = default;

// ---- TIBDatabase ----

TIBDatabase::TIBDatabase(std::shared_ptr<const TIBClientLibrary> ALibrary)
    : FLibrary(std::move(ALibrary)), FImpl(std::make_unique<TImpl>(FLibrary)) {}

TIBDatabase::~TIBDatabase() {
  try {
    Close();
  } catch (...) {
    // Nobody is left to tell.
  }
  for (TIBTransaction* Transaction : FTransactions) {
    Transaction->ForgetDatabase(this);
  }
}

void TIBDatabase::Open() {
  if (Connected()) {
    throw EIBClientError(SDatabaseOpen);
  }
  if (FDatabaseName.empty()) {
    throw EIBClientError(SDatabaseNameMissing);
  }
  const std::string Block = BuildParameterBlock(FParams);
  const std::string FileName = platform::Utf8ToAnsi(FDatabaseName);
  const TApi& Api = FLibrary->Api();
  CallChecked(Api, Api.isc_attach_database, static_cast<short>(0), FileName.c_str(),
              FImpl->Attachment.Get(), static_cast<short>(Block.size()), Block.data());
  try {
    FDBSQLDialect = ReadDatabaseDialect(Api, FImpl->Attachment.Get());
  } catch (...) {
    try {
      FImpl->Attachment.Detach();
    } catch (...) {
      // The first error is the one worth showing.
    }
    throw;
  }
  FSQLDialect = std::min(FSQLDialect, FDBSQLDialect);
}

void TIBDatabase::Close() {
  if (!Connected()) {
    return;
  }
  for (TIBTransaction* Transaction : std::vector<TIBTransaction*>(FTransactions)) {
    if (!Transaction->InTransaction()) {
      continue;
    }
    try {
      Transaction->Commit();
    } catch (...) {
      Transaction->FImpl->Handle.RollbackQuietly();
    }
  }
  FImpl->Attachment.Detach();
}

bool TIBDatabase::Connected() const { return FImpl->Attachment.IsOpen(); }

std::vector<std::string> TIBDatabase::GetTableNames() {
  if (!Connected()) {
    throw EIBClientError(SDatabaseClosed);
  }
  TIBTransaction Internal(*this);
  Internal.StartTransaction();
  std::vector<std::string> Names;
  {
    TIBQuery Query(*this, Internal);
    Query.SetSQL(TableNamesSQL);
    for (Query.Open(); !Query.Eof(); Query.Next()) {
      Names.push_back(WithoutTrailingBlanks(Query.FieldAsString("RDB$RELATION_NAME")));
    }
  }
  Internal.Commit();
  return Names;
}

void TIBDatabase::AttachTransaction(TIBTransaction* ATransaction) {
  FTransactions.push_back(ATransaction);
}

void TIBDatabase::DetachTransaction(TIBTransaction* ATransaction) noexcept {
  std::erase(FTransactions, ATransaction);
}

// ---- TIBTransaction ----

TIBTransaction::TIBTransaction(TIBDatabase& ADefaultDatabase)
    : FDatabase(ADefaultDatabase),
      FImpl(std::make_unique<TImpl>(ADefaultDatabase.FLibrary, &ADefaultDatabase)) {
  ADefaultDatabase.AttachTransaction(this);
}

TIBTransaction::~TIBTransaction() {
  CloseQueries();
  FImpl->Handle.RollbackQuietly();
  for (TIBQuery* Query : FQueries) {
    Query->FImpl->Transaction = nullptr;
  }
  if (FImpl->Database != nullptr) {
    FImpl->Database->DetachTransaction(this);
  }
}

void TIBTransaction::StartTransaction() {
  if (InTransaction()) {
    throw EIBClientError(STransactionIsActive);
  }
  TIBDatabase* Database = FImpl->Database;
  if (Database == nullptr || !Database->Connected()) {
    throw EIBClientError(SDatabaseClosed);
  }
  // No parameter block: the library's default transaction attributes.
  TTransactionBlock Block{Database->Impl().Attachment.Get(), 0, nullptr};
  const TApi& Api = Database->Library().Api();
  CallChecked(Api, Api.isc_start_multiple, FImpl->Handle.Get(), static_cast<short>(1),
              static_cast<void*>(&Block));
}

void TIBTransaction::Commit() {
  if (!InTransaction()) {
    throw EIBClientError(STransactionNotActive);
  }
  CloseQueries();
  FImpl->Handle.Commit();
}

void TIBTransaction::Rollback() {
  if (!InTransaction()) {
    throw EIBClientError(STransactionNotActive);
  }
  CloseQueries();
  FImpl->Handle.Rollback();
}

void TIBTransaction::CommitRetaining() {
  if (!InTransaction()) {
    throw EIBClientError(STransactionNotActive);
  }
  FImpl->Handle.CommitRetaining();
}

void TIBTransaction::RollbackRetaining() {
  if (!InTransaction()) {
    throw EIBClientError(STransactionNotActive);
  }
  FImpl->Handle.RollbackRetaining();
}

bool TIBTransaction::InTransaction() const { return FImpl->Handle.IsActive(); }

void TIBTransaction::AttachQuery(TIBQuery* AQuery) { FQueries.push_back(AQuery); }

void TIBTransaction::DetachQuery(TIBQuery* AQuery) noexcept { std::erase(FQueries, AQuery); }

void TIBTransaction::ForgetDatabase(const TIBDatabase* ADatabase) noexcept {
  FImpl->Database = nullptr;
  for (TIBQuery* Query : FQueries) {
    if (Query->FImpl->Database == ADatabase) {
      Query->FImpl->Database = nullptr;
    }
  }
}

void TIBTransaction::CloseQueries() noexcept {
  for (TIBQuery* Query : FQueries) {
    Query->Close();
  }
}

}  // namespace db
