// The forwarding fbclient.dll seen from a Windows program, through ibase.h's Windows view: the
// file names it turns into Unix ones, and values that cross the border in both directions
// (status vectors, handles, XSQLDA).

#include <ibase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "AbiLayout.h"
#include "db/QuotedLiteral.h"
#include "platform/DynamicLibrary.h"
#include "platform/win/WindowsApi.h"
#include "testsupport/TempFolder.h"

namespace {

struct TClient {
  platform::TDynamicLibrary Library = platform::TDynamicLibrary::Load("fbclient.dll");

  template <typename TFunction>
  TFunction* Find(const char* AName) const {
    return reinterpret_cast<TFunction*>(Library.FindSymbol(AName));
  }

#define WINE_FBCLIENT_TEST_ENTRY(Name) decltype(&::Name) Name = Find<decltype(::Name)>(#Name);
  WINE_FBCLIENT_TEST_ENTRY(isc_attach_database)
  WINE_FBCLIENT_TEST_ENTRY(isc_detach_database)
  WINE_FBCLIENT_TEST_ENTRY(isc_database_info)
  WINE_FBCLIENT_TEST_ENTRY(isc_start_multiple)
  WINE_FBCLIENT_TEST_ENTRY(isc_commit_transaction)
  WINE_FBCLIENT_TEST_ENTRY(isc_dsql_allocate_statement)
  WINE_FBCLIENT_TEST_ENTRY(isc_dsql_prepare)
  WINE_FBCLIENT_TEST_ENTRY(isc_dsql_execute)
  WINE_FBCLIENT_TEST_ENTRY(isc_dsql_fetch)
  WINE_FBCLIENT_TEST_ENTRY(isc_dsql_free_statement)
  WINE_FBCLIENT_TEST_ENTRY(isc_dsql_execute_immediate)
  WINE_FBCLIENT_TEST_ENTRY(fb_interpret)
  WINE_FBCLIENT_TEST_ENTRY(isc_sqlcode)
  WINE_FBCLIENT_TEST_ENTRY(isc_vax_integer)
#undef WINE_FBCLIENT_TEST_ENTRY

  // Every message of a status vector, one per line.
  std::string Messages(const ISC_STATUS* AStatus) const {
    std::string Text;
    char Buffer[512];
    const ISC_STATUS* Next = AStatus;
    while (fb_interpret(Buffer, sizeof Buffer, &Next) > 0) {
      Text += Buffer;
      Text += '\n';
    }
    return Text;
  }
};

constexpr char SysdbaParams[] = {isc_dpb_version1, isc_dpb_user_name, 6,
                                 'S', 'Y', 'S', 'D', 'B', 'A'};

// A file name as the program hands it to the library: in the ANSI code page. Empty when the code
// page lacks one of its characters.
std::string AnsiName(const std::filesystem::path& APath) {
  const std::wstring& Wide = APath.native();
  BOOL Lossy = FALSE;
  const int Size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.data(),
                                       static_cast<int>(Wide.size()), nullptr, 0, nullptr, &Lossy);
  std::string Ansi(static_cast<std::size_t>(Size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.data(), static_cast<int>(Wide.size()),
                      Ansi.data(), Size, nullptr, &Lossy);
  return Lossy ? std::string() : Ansi;
}

class ForwarderTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Client.Library.IsLoaded())
        << "fbclient.dll: is WINEDLLPATH set to the folder of fbclient.dll.so?";
  }

  // Creates a database by the Windows name AFile (ANSI), the way the program does: the path in a
  // CREATE DATABASE literal, run without an attachment. Returns the attachment it leaves open.
  isc_db_handle Create(const std::string& AStatementTemplate, const std::string& AFile) {
    std::string Statement = AStatementTemplate;
    Statement.replace(Statement.find("%s"), 2, db::QuotedLiteral(AFile));
    ISC_STATUS_ARRAY Status{};
    isc_db_handle Attachment = 0;
    isc_tr_handle NoTransaction = 0;
    // An explicit length over a buffer that goes on: only that many bytes are the statement.
    const std::string Buffer = Statement + "garbage after the statement";
    if (Client.isc_dsql_execute_immediate(Status, &Attachment, &NoTransaction,
                                          static_cast<unsigned short>(Statement.size()),
                                          Buffer.c_str(), 3, nullptr) != 0) {
      ADD_FAILURE() << Statement << ":\n" << Client.Messages(Status);
    }
    return Attachment;
  }

  void Detach(isc_db_handle& AAttachment) {
    ISC_STATUS_ARRAY Status{};
    EXPECT_EQ(Client.isc_detach_database(Status, &AAttachment), 0) << Client.Messages(Status);
  }

  TClient Client;
  testsupport::TTempFolder Folder;
};

// The folder names go to the library in ANSI, as the program hands them over; é and à are in
// every Windows code page of the Latin alphabets.
TEST_F(ForwarderTest, CreatesAndAttachesByWindowsFileName) {
  struct TCase {
    const char8_t* FolderName;
    const char* Statement;
  };
  const TCase Cases[] = {
      {u8"plain", "CREATE DATABASE %s USER 'SYSDBA'"},
      {u8"it's quoted", "CREATE DATABASE %s USER 'SYSDBA'"},
      {u8"d\u00e9j\u00e0 vu", "CREATE DATABASE %s USER 'SYSDBA'"},
      {u8"lower case", "  create\n schema %s user 'SYSDBA' page_size 8192"},
  };
  for (const TCase& Case : Cases) {
    const std::filesystem::path CaseFolder = Folder.Path() / Case.FolderName;
    SCOPED_TRACE(CaseFolder.string());
    ASSERT_TRUE(std::filesystem::create_directory(CaseFolder));
    const std::string File = AnsiName(CaseFolder / "Demo.fdb");
    ASSERT_FALSE(File.empty()) << "the code page lacks a character of the name";

    isc_db_handle Attachment = Create(Case.Statement, File);
    EXPECT_NE(Attachment, 0u);
    Detach(Attachment);
    EXPECT_TRUE(std::filesystem::is_regular_file(CaseFolder / "Demo.fdb"));

    // Another letter case, as Windows allows: Wine finds the file that is there.
    std::string OtherCase = File;
    OtherCase.replace(OtherCase.size() - 8, 8, "DEMO.FDB");
    ISC_STATUS_ARRAY Status{};
    ASSERT_EQ(Client.isc_attach_database(Status, 0, OtherCase.c_str(), &Attachment,
                                          sizeof SysdbaParams, SysdbaParams),
              0)
        << Client.Messages(Status);
    const char Items[] = {isc_info_db_sql_dialect, isc_info_end};
    char Answer[16]{};
    ASSERT_EQ(Client.isc_database_info(Status, &Attachment, sizeof Items, Items, sizeof Answer,
                                       Answer),
              0);
    ASSERT_EQ(Answer[0], isc_info_db_sql_dialect);
    const ISC_LONG Length = Client.isc_vax_integer(Answer + 1, 2);
    EXPECT_EQ(Client.isc_vax_integer(Answer + 3, static_cast<short>(Length)), 3);
    Detach(Attachment);
  }
}

// A missing folder and a name Windows cannot hold too: Wine has no Unix name for them, and the
// engine must still fail on a file, not take "C:" for a server.
TEST_F(ForwarderTest, ErrorsComeBackThroughTheStatusVector) {
  for (const char* Missing : {"missing.fdb", "no folder\\missing.fdb", "missing?.fdb"}) {
    SCOPED_TRACE(Missing);
    const std::string File = AnsiName(Folder.Path()) + "\\" + Missing;
    ISC_STATUS_ARRAY Status{};
    isc_db_handle Attachment = 0;
    EXPECT_NE(Client.isc_attach_database(Status, 0, File.c_str(), &Attachment,
                                         sizeof SysdbaParams, SysdbaParams),
              0);
    EXPECT_EQ(Attachment, 0u);
    EXPECT_EQ(Client.isc_sqlcode(Status), -902);
    // The engine tried the Unix name; its text names the file as the program did.
    const std::string Messages = Client.Messages(Status);
    EXPECT_NE(Messages.find("I/O error during \"open\" operation for file \"" + File + "\""),
              std::string::npos)
        << Messages;
  }
}

// Prepare, execute and fetch through an XSQLDA that the Windows side lays out and the Linux
// library fills, in a transaction started from a Windows-side transaction block.
TEST_F(ForwarderTest, QueriesThroughWindowsSideDescriptors) {
  const std::string File = AnsiName(Folder.Path() / "query.fdb");
  isc_db_handle Attachment = Create("CREATE DATABASE %s USER 'SYSDBA'", File);
  ASSERT_NE(Attachment, 0u);
  ISC_STATUS_ARRAY Status{};
  isc_tr_handle Transaction = 0;
  wine_fbclient_abi::TTransactionBlock Block{&Attachment, 0, nullptr};
  ASSERT_EQ(Client.isc_start_multiple(Status, &Transaction, 1, &Block), 0)
      << Client.Messages(Status);

  isc_stmt_handle Statement = 0;
  ASSERT_EQ(Client.isc_dsql_allocate_statement(Status, &Attachment, &Statement), 0);
  std::vector<char> DescriptorBytes(XSQLDA_LENGTH(3));
  auto* Output = reinterpret_cast<XSQLDA*>(DescriptorBytes.data());
  Output->version = SQLDA_VERSION1;
  Output->sqln = 3;
  ASSERT_EQ(Client.isc_dsql_prepare(Status, &Transaction, &Statement, 0,
                                    "SELECT CAST(-1234567 AS INTEGER) AS NUMBER_COLUMN, "
                                    "CAST('abc' AS VARCHAR(10)) AS TEXT_COLUMN, "
                                    "CAST(NULL AS INTEGER) AS NULL_COLUMN FROM RDB$DATABASE",
                                    3, Output),
            0)
      << Client.Messages(Status);
  ASSERT_EQ(Output->sqld, 3);
  EXPECT_EQ(std::string_view(Output->sqlvar[0].aliasname,
                             static_cast<std::size_t>(Output->sqlvar[0].aliasname_length)),
            "NUMBER_COLUMN");
  EXPECT_EQ(Output->sqlvar[0].sqltype & ~1, SQL_LONG);
  EXPECT_EQ(Output->sqlvar[1].sqltype & ~1, SQL_VARYING);
  EXPECT_EQ(Output->sqlvar[1].sqllen, 10);
  EXPECT_EQ(Output->sqlvar[2].sqltype, SQL_LONG | 1);

  ISC_LONG Number = 0;
  char Text[2 + 10]{};
  ISC_LONG Null = 0;
  ISC_SHORT NullIndicator = 0;
  Output->sqlvar[0].sqldata = reinterpret_cast<ISC_SCHAR*>(&Number);
  Output->sqlvar[1].sqldata = Text;
  Output->sqlvar[2].sqldata = reinterpret_cast<ISC_SCHAR*>(&Null);
  Output->sqlvar[2].sqlind = &NullIndicator;
  ASSERT_EQ(Client.isc_dsql_execute(Status, &Transaction, &Statement, SQLDA_VERSION1, nullptr), 0)
      << Client.Messages(Status);
  ASSERT_EQ(Client.isc_dsql_fetch(Status, &Statement, SQLDA_VERSION1, Output), 0)
      << Client.Messages(Status);
  EXPECT_EQ(Number, -1234567);
  EXPECT_EQ(NullIndicator, -1);
  short TextLength = 0;
  std::memcpy(&TextLength, Text, sizeof TextLength);
  EXPECT_EQ(std::string_view(Text + 2, static_cast<std::size_t>(TextLength)), "abc");
  EXPECT_EQ(Client.isc_dsql_fetch(Status, &Statement, SQLDA_VERSION1, Output), 100);

  EXPECT_EQ(Client.isc_dsql_free_statement(Status, &Statement, DSQL_drop), 0);
  EXPECT_EQ(Client.isc_commit_transaction(Status, &Transaction), 0);
  Detach(Attachment);
}

}  // namespace
