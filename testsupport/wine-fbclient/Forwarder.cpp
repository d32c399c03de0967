// fbclient.dll for Wine, for tests only: each export is called by a Windows program with the
// Windows x64 convention and calls the same function of the Linux client library (System V), so
// that the Windows build's database tests run against the real embedded engine.
//
// This file is compiled by the host's g++, not by winegcc: winegcc defines _WIN32 and turns
// __stdcall into ms_abi, which would give ibase.h's declarations (and so the types of the
// pointers into the Linux library) the Windows convention. Here ibase.h is the Linux library's
// own header, and only the exports carry ms_abi.

#include <dlfcn.h>
#include <ibase.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AbiLayout.h"
#include "Forwarder.h"
#include "db/FbEntryPoints.h"
#include "db/QuotedLiteral.h"

namespace {

struct TLinuxClient {
  void* Handle = nullptr;
#define WINE_FBCLIENT_DECLARE(Name) decltype(&::Name) Name = nullptr;
  DB_FB_ENTRY_POINTS(WINE_FBCLIENT_DECLARE)
#undef WINE_FBCLIENT_DECLARE
};

// Filled while Wine loads this module (DllMain), before any export can be reached; the module
// is never unloaded.
TLinuxClient Client;

// The Unix names handed to the engine, each with the Windows name it stands for. The engine's
// messages name a file by what it was given, and on Windows that is the program's own name:
// fb_interpret puts it back.
class TNameBook {
public:
  void Remember(std::string AUnix, std::string AWindows) {
    const std::lock_guard<std::mutex> Lock(FMutex);
    for (const auto& Entry : FEntries) {
      if (Entry.first == AUnix) {
        return;
      }
    }
    FEntries.emplace_back(std::move(AUnix), std::move(AWindows));
    // Longest first, so that a name that begins another does not take its place.
    std::stable_sort(FEntries.begin(), FEntries.end(), [](const auto& A, const auto& B) {
      return A.first.size() > B.first.size();
    });
  }

  [[nodiscard]] std::string WithWindowsNames(std::string AText) const {
    const std::lock_guard<std::mutex> Lock(FMutex);
    for (const auto& [Unix, Windows] : FEntries) {
      for (std::size_t At = AText.find(Unix); At != std::string::npos;
           At = AText.find(Unix, At + Windows.size())) {
        AText.replace(At, Unix.size(), Windows);
      }
    }
    return AText;
  }

private:
  mutable std::mutex FMutex;
  std::vector<std::pair<std::string, std::string>> FEntries;
};

TNameBook Names;

struct TFreeDeleter {
  void operator()(char* AText) const noexcept { std::free(AText); }
};

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

// A name the embedded engine would take for a local file: a drive letter, a folder of the
// current drive, or a relative name. "host:path" and other remote forms are the server's
// business and are left alone (the test programs never use them).
bool IsLocalWindowsName(std::string_view AName) {
  const std::size_t Colon = AName.find(':');
  return Colon == std::string_view::npos ||
         (Colon == 1 && std::isalpha(static_cast<unsigned char>(AName[0])) != 0);
}

// The Unix name of a local Windows file name in the ANSI code page; nothing for a remote one.
std::optional<std::string> UnixFileName(std::string_view AName) {
  if (AName.empty() || !IsLocalWindowsName(AName)) {
    return std::nullopt;
  }
  const std::unique_ptr<char, TFreeDeleter> Unix(
      WineUnixFileName(AName.data(), static_cast<int>(AName.size())));
  if (!Unix) {
    // A name Windows cannot hold ("?" where the code page lacks a letter): on Windows the
    // engine fails to open or make it. Here it gets a name under /dev/null, which fails the
    // same way, one of its own so that the messages get the right name back.
    static constexpr char Digits[] = "0123456789abcdef";
    std::string Nowhere = "/dev/null/";
    for (const char C : AName) {
      Nowhere += Digits[static_cast<unsigned char>(C) >> 4];
      Nowhere += Digits[static_cast<unsigned char>(C) & 15];
    }
    Names.Remember(Nowhere, std::string(AName));
    return Nowhere;
  }
  // Wine answers through the prefix's drive links ("<prefix>/dosdevices/c:/users/..."), and the
  // engine takes the part before such a colon for a host name. The real name of the deepest
  // folder that exists has none.
  const std::string Name(Unix.get());
  for (std::size_t Slash = Name.rfind('/'); Slash != std::string::npos && Slash > 0;
       Slash = Name.rfind('/', Slash - 1)) {
    const std::unique_ptr<char, TFreeDeleter> Folder(
        realpath(Name.substr(0, Slash).c_str(), nullptr));
    if (Folder) {
      std::string Real = std::string(Folder.get()) + Name.substr(Slash);
      Names.Remember(Real, std::string(AName));
      return Real;
    }
  }
  Names.Remember(Name, std::string(AName));
  return Name;
}

std::string_view TextOf(const char* AText, unsigned ALength) {
  if (AText == nullptr) {
    return {};
  }
  return ALength == 0 ? std::string_view(AText) : std::string_view(AText, ALength);
}

// Consumes AWord (letter case ignored) and the blanks after it, if the text starts with both.
bool ConsumeKeyword(std::string_view& AText, std::string_view AWord) {
  if (AText.size() <= AWord.size()) {
    return false;
  }
  for (std::size_t I = 0; I < AWord.size(); ++I) {
    if (std::toupper(static_cast<unsigned char>(AText[I])) != AWord[I]) {
      return false;
    }
  }
  if (!IsBlank(AText[AWord.size()])) {
    return false;
  }
  AText.remove_prefix(AWord.size());
  while (!AText.empty() && IsBlank(AText.front())) {
    AText.remove_prefix(1);
  }
  return true;
}

// "CREATE DATABASE '<file>' ..." (or SCHEMA) with the file name made a Unix one; nothing for any
// other statement, or when the name has no Unix counterpart.
std::optional<std::string> WithUnixDatabaseFile(std::string_view AStatement) {
  std::string_view Rest = AStatement;
  while (!Rest.empty() && IsBlank(Rest.front())) {
    Rest.remove_prefix(1);
  }
  if (!ConsumeKeyword(Rest, "CREATE") ||
      !(ConsumeKeyword(Rest, "DATABASE") || ConsumeKeyword(Rest, "SCHEMA")) ||
      Rest.empty() || Rest.front() != '\'') {
    return std::nullopt;
  }
  const std::size_t LiteralBegin = AStatement.size() - Rest.size();
  std::string Name;
  std::size_t I = 1;
  for (;; ++I) {
    if (I == Rest.size()) {
      return std::nullopt;  // unterminated: the engine reports it
    }
    if (Rest[I] == '\'') {
      if (I + 1 < Rest.size() && Rest[I + 1] == '\'') {
        Name += '\'';
        ++I;
        continue;
      }
      break;
    }
    Name += Rest[I];
  }
  const std::optional<std::string> Unix = UnixFileName(Name);
  if (!Unix) {
    return std::nullopt;
  }
  return std::string(AStatement.substr(0, LiteralBegin)) + db::QuotedLiteral(*Unix) +
         std::string(Rest.substr(I + 1));
}

}  // namespace

extern "C" {

int WineFbclientOpen(void) {
  void* Handle = dlopen("libfbclient.so.2", RTLD_NOW | RTLD_LOCAL);
  if (Handle == nullptr) {
    std::fprintf(stderr, "fbclient.dll (Wine forwarder): %s\n", dlerror());
    return 0;
  }
  TLinuxClient Loaded;
  Loaded.Handle = Handle;
  bool Complete = true;
#define WINE_FBCLIENT_RESOLVE(Name)                                                         \
  Loaded.Name = reinterpret_cast<decltype(&::Name)>(dlsym(Handle, #Name));                  \
  if (Loaded.Name == nullptr) {                                                             \
    std::fprintf(stderr, "fbclient.dll (Wine forwarder): libfbclient.so.2 lacks %s\n", #Name); \
    Complete = false;                                                                       \
  }
  DB_FB_ENTRY_POINTS(WINE_FBCLIENT_RESOLVE)
#undef WINE_FBCLIENT_RESOLVE
  if (!Complete) {
    dlclose(Handle);
    return 0;
  }
  Client = Loaded;
  return 1;
}

}  // extern "C"

// The exports named in fbclient.spec. Their parameter lists are ibase.h's; the compiler
// converts between the two conventions in each call.
#define WINE_FBCLIENT_EXPORT extern "C" __attribute__((ms_abi, visibility("default")))

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_attach_database(ISC_STATUS* AStatus, short ANameLength,
                                                           const ISC_SCHAR* AName,
                                                           isc_db_handle* AAttachment,
                                                           short AParamsLength,
                                                           const ISC_SCHAR* AParams) noexcept {
  if (const std::optional<std::string> Unix =
          UnixFileName(TextOf(AName, static_cast<unsigned short>(ANameLength)))) {
    return Client.isc_attach_database(AStatus, 0, Unix->c_str(), AAttachment, AParamsLength,
                                      AParams);
  }
  return Client.isc_attach_database(AStatus, ANameLength, AName, AAttachment, AParamsLength,
                                    AParams);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_detach_database(ISC_STATUS* AStatus,
                                                           isc_db_handle* AAttachment) noexcept {
  return Client.isc_detach_database(AStatus, AAttachment);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_database_info(ISC_STATUS* AStatus,
                                                         isc_db_handle* AAttachment,
                                                         short AItemsLength,
                                                         const ISC_SCHAR* AItems,
                                                         short ABufferLength,
                                                         ISC_SCHAR* ABuffer) noexcept {
  return Client.isc_database_info(AStatus, AAttachment, AItemsLength, AItems, ABufferLength,
                                  ABuffer);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_start_multiple(ISC_STATUS* AStatus,
                                                          isc_tr_handle* ATransaction,
                                                          short ACount, void* ABlocks) noexcept {
  return Client.isc_start_multiple(AStatus, ATransaction, ACount, ABlocks);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_commit_transaction(
    ISC_STATUS* AStatus, isc_tr_handle* ATransaction) noexcept {
  return Client.isc_commit_transaction(AStatus, ATransaction);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_rollback_transaction(
    ISC_STATUS* AStatus, isc_tr_handle* ATransaction) noexcept {
  return Client.isc_rollback_transaction(AStatus, ATransaction);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_commit_retaining(ISC_STATUS* AStatus,
                                                            isc_tr_handle* ATransaction) noexcept {
  return Client.isc_commit_retaining(AStatus, ATransaction);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_rollback_retaining(
    ISC_STATUS* AStatus, isc_tr_handle* ATransaction) noexcept {
  return Client.isc_rollback_retaining(AStatus, ATransaction);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_allocate_statement(
    ISC_STATUS* AStatus, isc_db_handle* AAttachment, isc_stmt_handle* AStatement) noexcept {
  return Client.isc_dsql_allocate_statement(AStatus, AAttachment, AStatement);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_prepare(ISC_STATUS* AStatus,
                                                        isc_tr_handle* ATransaction,
                                                        isc_stmt_handle* AStatement,
                                                        unsigned short ALength,
                                                        const ISC_SCHAR* ASql,
                                                        unsigned short ADialect,
                                                        XSQLDA* AOutput) noexcept {
  return Client.isc_dsql_prepare(AStatus, ATransaction, AStatement, ALength, ASql, ADialect,
                                 AOutput);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_describe(ISC_STATUS* AStatus,
                                                         isc_stmt_handle* AStatement,
                                                         unsigned short AVersion,
                                                         XSQLDA* AOutput) noexcept {
  return Client.isc_dsql_describe(AStatus, AStatement, AVersion, AOutput);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_describe_bind(ISC_STATUS* AStatus,
                                                              isc_stmt_handle* AStatement,
                                                              unsigned short AVersion,
                                                              XSQLDA* AInput) noexcept {
  return Client.isc_dsql_describe_bind(AStatus, AStatement, AVersion, AInput);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_execute(ISC_STATUS* AStatus,
                                                        isc_tr_handle* ATransaction,
                                                        isc_stmt_handle* AStatement,
                                                        unsigned short AVersion,
                                                        const XSQLDA* AInput) noexcept {
  return Client.isc_dsql_execute(AStatus, ATransaction, AStatement, AVersion, AInput);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_execute2(ISC_STATUS* AStatus,
                                                         isc_tr_handle* ATransaction,
                                                         isc_stmt_handle* AStatement,
                                                         unsigned short AVersion,
                                                         const XSQLDA* AInput,
                                                         const XSQLDA* AOutput) noexcept {
  return Client.isc_dsql_execute2(AStatus, ATransaction, AStatement, AVersion, AInput, AOutput);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_fetch(ISC_STATUS* AStatus,
                                                      isc_stmt_handle* AStatement,
                                                      unsigned short AVersion,
                                                      const XSQLDA* AOutput) noexcept {
  return Client.isc_dsql_fetch(AStatus, AStatement, AVersion, AOutput);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_free_statement(ISC_STATUS* AStatus,
                                                               isc_stmt_handle* AStatement,
                                                               unsigned short AOption) noexcept {
  return Client.isc_dsql_free_statement(AStatus, AStatement, AOption);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_sql_info(ISC_STATUS* AStatus,
                                                         isc_stmt_handle* AStatement,
                                                         short AItemsLength,
                                                         const ISC_SCHAR* AItems,
                                                         short ABufferLength,
                                                         ISC_SCHAR* ABuffer) noexcept {
  return Client.isc_dsql_sql_info(AStatus, AStatement, AItemsLength, AItems, ABufferLength,
                                  ABuffer);
}

WINE_FBCLIENT_EXPORT ISC_STATUS Forward_isc_dsql_execute_immediate(
    ISC_STATUS* AStatus, isc_db_handle* AAttachment, isc_tr_handle* ATransaction,
    unsigned short ALength, const ISC_SCHAR* ASql, unsigned short ADialect,
    const XSQLDA* AInput) noexcept {
  if (const std::optional<std::string> Unix = WithUnixDatabaseFile(TextOf(ASql, ALength))) {
    return Client.isc_dsql_execute_immediate(AStatus, AAttachment, ATransaction, 0, Unix->c_str(),
                                             ADialect, AInput);
  }
  return Client.isc_dsql_execute_immediate(AStatus, AAttachment, ATransaction, ALength, ASql,
                                           ADialect, AInput);
}

WINE_FBCLIENT_EXPORT ISC_LONG Forward_fb_interpret(ISC_SCHAR* ABuffer, unsigned int ASize,
                                                  const ISC_STATUS** AVector) noexcept {
  const ISC_LONG Length = Client.fb_interpret(ABuffer, ASize, AVector);
  if (Length <= 0 || ASize == 0) {
    return Length;
  }
  const std::string Text = Names.WithWindowsNames(std::string(ABuffer));
  const std::size_t Kept = std::min<std::size_t>(Text.size(), ASize - 1);
  std::memcpy(ABuffer, Text.data(), Kept);
  ABuffer[Kept] = '\0';
  return static_cast<ISC_LONG>(Kept);
}

WINE_FBCLIENT_EXPORT ISC_LONG Forward_isc_sqlcode(const ISC_STATUS* AStatus) noexcept {
  return Client.isc_sqlcode(AStatus);
}

WINE_FBCLIENT_EXPORT ISC_LONG Forward_isc_vax_integer(const ISC_SCHAR* ABytes,
                                                     short ALength) noexcept {
  return Client.isc_vax_integer(ABytes, ALength);
}
