#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include "db/ConvertError.h"
#include "db/IBDatabase.h"
#include "db/IBErrors.h"
#include "db/IBImpl.h"
#include "db/IBStatus.h"
#include "platform/CaseFold.h"
#include "platform/TextCodec.h"

namespace db {

namespace {

constexpr const char* SEmptyQuery = "Empty query";
constexpr const char* SDatasetClosed = "Cannot perform this operation on a closed dataset";
constexpr const char* SInvalidConversion = "Invalid data conversion";
constexpr ISC_STATUS FetchEndOfCursor = 100;

// ---- reading a column's value as the library left it ----

int BaseType(const XSQLVAR& AVar) { return AVar.sqltype & ~1; }

bool IsNull(const XSQLVAR& AVar) {
  return (AVar.sqltype & 1) != 0 && AVar.sqlind != nullptr && *AVar.sqlind == -1;
}

template <typename T>
T ReadAs(const XSQLVAR& AVar) {
  T Value{};
  std::memcpy(&Value, AVar.sqldata, sizeof Value);
  return Value;
}

bool IsText(const XSQLVAR& AVar) {
  return BaseType(AVar) == SQL_TEXT || BaseType(AVar) == SQL_VARYING;
}

// The bytes of a text column, in the connection's character set. A fixed-length column keeps
// the blanks it was padded with.
std::string_view TextOf(const XSQLVAR& AVar) {
  if (BaseType(AVar) == SQL_VARYING) {
    const auto Length = std::clamp<ISC_SHORT>(ReadAs<ISC_SHORT>(AVar), 0, AVar.sqllen);
    return {AVar.sqldata + sizeof(ISC_SHORT), static_cast<std::size_t>(Length)};
  }
  return {AVar.sqldata, static_cast<std::size_t>(std::max<ISC_SHORT>(AVar.sqllen, 0))};
}

std::optional<std::int64_t> IntegerOf(const XSQLVAR& AVar) {
  switch (BaseType(AVar)) {
    case SQL_SHORT:
      return ReadAs<ISC_SHORT>(AVar);
    case SQL_LONG:
      return ReadAs<ISC_LONG>(AVar);
    case SQL_INT64:
      return ReadAs<ISC_INT64>(AVar);
    default:
      return std::nullopt;
  }
}

// An exact numeric as decimal text: the stored integer with the scale's digits after a point.
std::string FormatScaled(std::int64_t AValue, int AScale) {
  const bool Negative = AValue < 0;
  const std::uint64_t Magnitude =
      Negative ? 0 - static_cast<std::uint64_t>(AValue) : static_cast<std::uint64_t>(AValue);
  std::string Digits = std::to_string(Magnitude);
  if (AScale > 0) {
    Digits.append(static_cast<std::size_t>(AScale), '0');
  } else if (AScale < 0) {
    const auto Decimals = static_cast<std::size_t>(-AScale);
    if (Digits.size() <= Decimals) {
      Digits.insert(0, Decimals + 1 - Digits.size(), '0');
    }
    Digits.insert(Digits.size() - Decimals, 1, '.');
  }
  return Negative ? "-" + Digits : Digits;
}

template <typename TFloat>
std::string FormatFloat(TFloat AValue) {
  char Buffer[64];
  const auto Result = std::to_chars(std::begin(Buffer), std::end(Buffer), AValue);
  return {Buffer, Result.ptr};
}

std::string FormatDate(ISC_DATE ADate) {
  // Day numbers count from 17 November 1858; 1 January 1970 is day 40587.
  constexpr int UnixEpochDay = 40587;
  const std::chrono::year_month_day Date{
      std::chrono::sys_days{std::chrono::days{ADate - UnixEpochDay}}};
  char Buffer[32];
  std::snprintf(Buffer, sizeof Buffer, "%04d-%02u-%02u", static_cast<int>(Date.year()),
                static_cast<unsigned>(Date.month()), static_cast<unsigned>(Date.day()));
  return Buffer;
}

std::string FormatTime(ISC_TIME ATime) {
  constexpr ISC_TIME TicksPerSecond = 10000;
  const ISC_TIME Seconds = ATime / TicksPerSecond;
  char Buffer[32];
  std::snprintf(Buffer, sizeof Buffer, "%02u:%02u:%02u", Seconds / 3600, Seconds / 60 % 60,
                Seconds % 60);
  return Buffer;
}

std::string FormatValue(const XSQLVAR& AVar) {
  if (IsText(AVar)) {
    return platform::AnsiToUtf8(TextOf(AVar));
  }
  if (const auto Integer = IntegerOf(AVar)) {
    return FormatScaled(*Integer, AVar.sqlscale);
  }
  switch (BaseType(AVar)) {
    case SQL_FLOAT:
      return FormatFloat(ReadAs<float>(AVar));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return FormatFloat(ReadAs<double>(AVar));
    case SQL_TYPE_DATE:
      return FormatDate(ReadAs<ISC_DATE>(AVar));
    case SQL_TYPE_TIME:
      return FormatTime(ReadAs<ISC_TIME>(AVar));
    case SQL_TIMESTAMP: {
      const auto Stamp = ReadAs<ISC_TIMESTAMP>(AVar);
      return FormatDate(Stamp.timestamp_date) + " " + FormatTime(Stamp.timestamp_time);
    }
    case SQL_BOOLEAN:
      return ReadAs<FB_BOOLEAN>(AVar) != 0 ? "TRUE" : "FALSE";
    default:
      throw EConvertError(SInvalidConversion);
  }
}

std::int32_t ParseInteger(const std::string& AText) {
  const std::size_t First = AText.find_first_not_of(' ');
  const std::size_t Last = AText.find_last_not_of(' ');
  std::int32_t Value = 0;
  if (First != std::string::npos) {
    const char* Begin = AText.data() + First;
    const char* End = AText.data() + Last + 1;
    if (*Begin == '+' && End - Begin > 1 && Begin[1] != '-') {
      ++Begin;
    }
    const auto Result = std::from_chars(Begin, End, Value);
    if (Result.ec == std::errc() && Result.ptr == End) {
      return Value;
    }
  }
  throw EConvertError("'" + AText + "' is not a valid integer value");
}

std::int32_t IntegerValue(const XSQLVAR& AVar) {
  const auto Integer = IntegerOf(AVar);
  if (Integer && AVar.sqlscale == 0) {
    if (*Integer < std::numeric_limits<std::int32_t>::min() ||
        *Integer > std::numeric_limits<std::int32_t>::max()) {
      throw EConvertError(std::to_string(*Integer) + " is not a valid integer value");
    }
    return static_cast<std::int32_t>(*Integer);
  }
  if (IsText(AVar)) {
    return ParseInteger(platform::AnsiToUtf8(TextOf(AVar)));
  }
  throw EConvertError(SInvalidConversion);
}

// ---- preparing and running a statement ----

struct TPrepared {
  TStatementHandle Statement;
  TSqlda Output;
  TSqlda Input;
  long Type = 0;
};

TSqlda Describe(const TApi& AApi, decltype(TApi::isc_dsql_describe) ADescribe,
                TStatementHandle& AStatement, unsigned short ADialect, TSqlda ADescriptor) {
  CallChecked(AApi, ADescribe, AStatement.Get(), ADialect, ADescriptor.Get());
  if (!ADescriptor.Fits()) {
    ADescriptor = TSqlda(ADescriptor.Count());
    CallChecked(AApi, ADescribe, AStatement.Get(), ADialect, ADescriptor.Get());
  }
  ADescriptor.AllocateBuffers();
  return ADescriptor;
}

long StatementType(const TApi& AApi, TStatementHandle& AStatement) {
  const char Items[] = {isc_info_sql_stmt_type};
  std::vector<char> Answer(16, '\0');
  CallChecked(AApi, AApi.isc_dsql_sql_info, AStatement.Get(), static_cast<short>(sizeof Items),
              Items, static_cast<short>(Answer.size()), Answer.data());
  long Type = 0;
  return ReadInfoInteger(AApi, Answer, isc_info_sql_stmt_type, Type) ? Type : 0;
}

TPrepared Prepare(TIBDatabase& ADatabase, TIBTransaction& ATransaction, const std::string& ASQL) {
  const TApi& Api = ADatabase.Library().Api();
  const auto Dialect = static_cast<unsigned short>(ADatabase.SQLDialect());
  TPrepared Prepared{TStatementHandle(ADatabase.Impl().Library), TSqlda(), TSqlda(), 0};
  Prepared.Statement.Allocate(ADatabase.Impl().Attachment.Get());
  const std::string Text = platform::Utf8ToAnsi(ASQL);
  CallChecked(Api, Api.isc_dsql_prepare, ATransaction.Impl().Handle.Get(),
              Prepared.Statement.Get(), static_cast<unsigned short>(0), Text.c_str(), Dialect,
              static_cast<XSQLDA*>(nullptr));
  Prepared.Output =
      Describe(Api, Api.isc_dsql_describe, Prepared.Statement, Dialect, std::move(Prepared.Output));
  Prepared.Input = Describe(Api, Api.isc_dsql_describe_bind, Prepared.Statement, Dialect,
                            std::move(Prepared.Input));
  Prepared.Input.SetAllNull();
  Prepared.Type = StatementType(Api, Prepared.Statement);
  return Prepared;
}

bool HasCursor(long AType) {
  return AType == isc_info_sql_stmt_select || AType == isc_info_sql_stmt_select_for_upd;
}

// True when a row arrived, false at the end of the cursor.
bool Fetch(const TApi& AApi, TStatementHandle& AStatement, unsigned short ADialect,
           TSqlda& AOutput) {
  return CallChecked(AApi, AApi.isc_dsql_fetch, AStatement.Get(), ADialect,
                     static_cast<const XSQLDA*>(AOutput.Get())) != FetchEndOfCursor;
}

std::vector<std::string> FieldNamesOf(const TSqlda& AOutput) {
  std::vector<std::string> Names;
  for (const XSQLVAR& Var : AOutput.Vars()) {
    const auto Length = std::clamp<ISC_SHORT>(Var.aliasname_length, 0, sizeof Var.aliasname);
    Names.push_back(
        platform::AnsiToUtf8(std::string_view(Var.aliasname, static_cast<std::size_t>(Length))));
  }
  return Names;
}

// Runs the statement; with AKeepCursor the rows it returns stay readable in the query.
void Run(TIBQuery::TImpl& AImpl, const std::string& ASQL, bool AKeepCursor) {
  TIBDatabase* Database = AImpl.Database;
  if (Database == nullptr || !Database->Connected()) {
    throw EIBClientError(SDatabaseClosed);
  }
  TIBTransaction* Transaction = AImpl.Transaction;
  if (Transaction == nullptr || !Transaction->InTransaction()) {
    throw EIBClientError(STransactionNotActive);
  }
  if (ASQL.find_first_not_of(" \t\r\n") == std::string::npos) {
    throw EIBClientError(SEmptyQuery);
  }
  const TApi& Api = Database->Library().Api();
  const auto Dialect = static_cast<unsigned short>(Database->SQLDialect());
  isc_tr_handle* TransactionHandle = Transaction->Impl().Handle.Get();
  TPrepared Prepared = Prepare(*Database, *Transaction, ASQL);

  bool HasRow = false;
  if (HasCursor(Prepared.Type)) {
    CallChecked(Api, Api.isc_dsql_execute, TransactionHandle, Prepared.Statement.Get(), Dialect,
                static_cast<const XSQLDA*>(Prepared.Input.GetOrNull()));
    HasRow = AKeepCursor && Fetch(Api, Prepared.Statement, Dialect, Prepared.Output);
  } else {
    // A procedure's output parameters, if any, come back as a single row.
    CallChecked(Api, Api.isc_dsql_execute2, TransactionHandle, Prepared.Statement.Get(), Dialect,
                static_cast<const XSQLDA*>(Prepared.Input.GetOrNull()),
                static_cast<const XSQLDA*>(Prepared.Output.GetOrNull()));
    HasRow = Prepared.Output.Count() > 0;
  }
  if (!AKeepCursor) {
    return;  // the statement, and any cursor with it, is dropped here
  }
  AImpl.FieldNames = FieldNamesOf(Prepared.Output);
  AImpl.Statement = std::move(Prepared.Statement);
  AImpl.Output = std::move(Prepared.Output);
  AImpl.Eof = !HasRow;
  AImpl.Active = true;
  AImpl.HasCursor = HasCursor(Prepared.Type);
}

}  // namespace

TIBQuery::TIBQuery(TIBDatabase& ADatabase, TIBTransaction& ATransaction)
    : FDatabase(ADatabase),
      FTransaction(ATransaction),
      FImpl(std::make_unique<TImpl>(ADatabase.Impl().Library, &ADatabase, &ATransaction)) {
  ATransaction.AttachQuery(this);
}

TIBQuery::~TIBQuery() {
  Close();
  if (FImpl->Transaction != nullptr) {
    FImpl->Transaction->DetachQuery(this);
  }
}

void TIBQuery::SetSQL(std::string ASQL) {
  Close();
  FSQL = std::move(ASQL);
}

void TIBQuery::Open() {
  if (!Active()) {
    Run(*FImpl, FSQL, true);
  }
}

void TIBQuery::ExecSQL() {
  Close();
  Run(*FImpl, FSQL, false);
}

void TIBQuery::Close() noexcept {
  FImpl->Statement.Drop();
  FImpl->FieldNames.clear();
  FImpl->Active = false;
  FImpl->Eof = true;
  FImpl->HasCursor = false;
}

bool TIBQuery::Active() const { return FImpl->Active; }

bool TIBQuery::Eof() const { return FImpl->Eof; }

void TIBQuery::Next() {
  if (!Active()) {
    throw EIBClientError(SDatasetClosed);
  }
  if (FImpl->Eof) {
    return;
  }
  if (!FImpl->HasCursor) {
    FImpl->Eof = true;
    return;
  }
  const TIBDatabase& Database = *FImpl->Database;
  const auto Dialect = static_cast<unsigned short>(Database.SQLDialect());
  FImpl->Eof = !Fetch(Database.Library().Api(), FImpl->Statement, Dialect, FImpl->Output);
}

namespace {

// The current row's column; nullptr when there is no current row (every column reads NULL).
const XSQLVAR* FindField(const TIBQuery::TImpl& AImpl, std::string_view AName) {
  if (!AImpl.Active) {
    throw EIBClientError(SDatasetClosed);
  }
  const auto Found = std::find_if(AImpl.FieldNames.begin(), AImpl.FieldNames.end(),
                                  [&](const std::string& AField) {
                                    return platform::SameTextIgnoringCase(AField, AName);
                                  });
  if (Found == AImpl.FieldNames.end()) {
    throw EIBClientError("Field \"" + std::string(AName) + "\" not found");
  }
  if (AImpl.Eof) {
    return nullptr;
  }
  return &AImpl.Output.Vars()[static_cast<std::size_t>(Found - AImpl.FieldNames.begin())];
}

}  // namespace

std::string TIBQuery::FieldAsString(std::string_view AName) const {
  const XSQLVAR* Var = FindField(*FImpl, AName);
  return Var == nullptr || IsNull(*Var) ? std::string() : FormatValue(*Var);
}

std::int32_t TIBQuery::FieldAsInteger(std::string_view AName) const {
  const XSQLVAR* Var = FindField(*FImpl, AName);
  return Var == nullptr || IsNull(*Var) ? 0 : IntegerValue(*Var);
}

bool TIBQuery::FieldIsNull(std::string_view AName) const {
  const XSQLVAR* Var = FindField(*FImpl, AName);
  return Var == nullptr || IsNull(*Var);
}

}  // namespace db
