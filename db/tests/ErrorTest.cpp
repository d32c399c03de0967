#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/IBDatabase.h"
#include "db/IBErrors.h"
#include "db/IBStatus.h"
#include "db/tests/DemoFixture.h"
#include "testsupport/CaughtError.h"

namespace dbtest {
namespace {

using testsupport::CatchError;
using testsupport::TCaughtError;

TEST(StatusTextTest, JoinsTheEntriesAndDropsOneFinalFullStop) {
  struct TCase {
    std::vector<std::string> Texts;
    std::string Message;
  };
  const std::vector<TCase> Cases = {
      {{}, ""},
      {{"one"}, "one"},
      {{"one."}, "one"},
      {{"one.."}, "one."},
      {{"first.", "second"}, "first.\r\nsecond"},
      {{"first", "second."}, "first\r\nsecond"},
      {{"first", "second. "}, "first\r\nsecond. "},
      {{"."}, ""},
  };
  for (const TCase& Case : Cases) {
    EXPECT_EQ(db::JoinStatusTexts(Case.Texts), Case.Message);
  }
}

// A user without rights on a table gets SQL code -551, which has an error class of its own.
TEST_F(DemoDatabaseTest, APermissionErrorIsARoleError) {
  Database.SetDatabaseName(Path);
  Database.Params().assign({"user_name=GUEST"});
  Database.Open();
  db::TIBTransaction Transaction(Database);
  Transaction.StartTransaction();
  db::TIBQuery Query(Database, Transaction);
  Query.SetSQL("SELECT S_PARAM FROM SYS_VAR");
  long SQLCode = 0;
  EXPECT_EQ(CatchError([&] {
              try {
                Query.Open();
              } catch (const db::EIBError& AError) {
                SQLCode = AError.SQLCode();
                throw;
              }
            }),
            (TCaughtError{"EIBInterBaseRoleError", "no permission for SELECT access to TABLE SYS_VAR"}));
  EXPECT_EQ(SQLCode, -551);
}

}  // namespace
}  // namespace dbtest
