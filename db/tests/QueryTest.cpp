#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "db/IBDatabase.h"
#include "db/IBErrors.h"
#include "db/tests/DemoFixture.h"
#include "testsupport/CaughtError.h"
#include "testsupport/FixtureDatabase.h"

namespace dbtest {
namespace {

using testsupport::CatchError;
using testsupport::TCaughtError;

class QueryTest : public DemoDatabaseTest {
protected:
  void SetUp() override {
    OpenDemo();
    Transaction.StartTransaction();
  }

  // Opens "SELECT <expression> AS V FROM RDB$DATABASE": one row, one column named V.
  void OpenValue(const std::string& AExpression) {
    Query.SetSQL("SELECT " + AExpression + " AS V FROM RDB$DATABASE");
    Query.Open();
  }

  db::TIBTransaction Transaction{Database};
  db::TIBQuery Query{Database, Transaction};
};

TEST_F(QueryTest, ReadsTheServiceVariablesWithTheWizardsStatement) {
  Query.SetSQL("SELECT ID, S_PARAM, V_INTEGER, V_FLOAT, V_STRING, V_TIMESTAMP FROM SYS_VAR;");
  std::vector<std::pair<std::string, std::int32_t>> Rows;
  for (Query.Open(); !Query.Eof(); Query.Next()) {
    Rows.emplace_back(Query.FieldAsString("S_PARAM"), Query.FieldAsInteger("V_INTEGER"));
  }
  const std::vector<std::pair<std::string, std::int32_t>> Expected = {
      {"DBID", 0}, {"MAJORVERSION", 1}, {"MINORVERSION", 2}, {"BUILDVERSION", 1}};
  EXPECT_EQ(Rows, Expected);
  EXPECT_TRUE(Query.Eof());
  Query.Next();
  EXPECT_TRUE(Query.Eof());
}

TEST_F(QueryTest, ReadsColumnsAsText) {
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"CAST('AB' AS CHAR(5))", "AB   "},
      {"CAST('AB  ' AS VARCHAR(5))", "AB  "},
      {"CAST(NULL AS INTEGER)", ""},
      {"CAST(NULL AS VARCHAR(5))", ""},
      {"CAST(-32768 AS SMALLINT)", "-32768"},
      {"CAST(2147483647 AS INTEGER)", "2147483647"},
      {"CAST(-9000000000 AS BIGINT)", "-9000000000"},
      {"CAST(123.45 AS NUMERIC(9,2))", "123.45"},
      {"CAST(-0.05 AS NUMERIC(18,2))", "-0.05"},
      {"CAST(1 AS NUMERIC(1,0))", "1"},
      {"CAST(1.5 AS DOUBLE PRECISION)", "1.5"},
      {"CAST(0.25 AS FLOAT)", "0.25"},
      {"CAST('2011-03-01' AS DATE)", "2011-03-01"},
      {"CAST('10:15:30' AS TIME)", "10:15:30"},
      {"CAST('1858-11-16 23:59:59' AS TIMESTAMP)", "1858-11-16 23:59:59"},
      {"TRUE", "TRUE"},
  };
  for (const auto& [Expression, Expected] : Cases) {
    SCOPED_TRACE(Expression);
    OpenValue(Expression);
    EXPECT_EQ(Query.FieldAsString("V"), Expected);
  }
}

TEST_F(QueryTest, ReadsIntegersAndRefusesWhatIsNoInteger) {
  const std::vector<std::pair<std::string, std::int32_t>> Integers = {
      {"CAST(NULL AS INTEGER)", 0},        {"CAST(NULL AS VARCHAR(3))", 0},
      {"CAST(-42 AS SMALLINT)", -42},      {"CAST(7 AS BIGINT)", 7},
      {"CAST(1 AS NUMERIC(1,0))", 1},      {"'42'", 42},
      {"CAST('-42' AS CHAR(6))", -42},
  };
  for (const auto& [Expression, Expected] : Integers) {
    SCOPED_TRACE(Expression);
    OpenValue(Expression);
    EXPECT_EQ(Query.FieldAsInteger("V"), Expected);
  }
  const std::vector<std::pair<std::string, std::string>> Refused = {
      {"'abc'", "'abc' is not a valid integer value"},
      {"'12abc'", "'12abc' is not a valid integer value"},
      {"CAST(9000000000 AS BIGINT)", "9000000000 is not a valid integer value"},
      {"CAST(1.5 AS NUMERIC(9,2))", "Invalid data conversion"},
      {"CAST(1.5 AS DOUBLE PRECISION)", "Invalid data conversion"},
      {"CAST('2011-03-01' AS DATE)", "Invalid data conversion"},
  };
  for (const auto& [Expression, Message] : Refused) {
    SCOPED_TRACE(Expression);
    OpenValue(Expression);
    EXPECT_EQ(CatchError([&] { (void)Query.FieldAsInteger("V"); }),
              (TCaughtError{"EConvertError", Message}));
  }
}

TEST_F(QueryTest, FindsColumnsByNameInAnyLetterCase) {
  Query.SetSQL("SELECT S_PARAM, V_INTEGER AS \"Major\" FROM SYS_VAR WHERE ID = 2");
  Query.Open();
  EXPECT_EQ(Query.FieldAsString("s_param"), "MAJORVERSION");
  EXPECT_EQ(Query.FieldAsInteger("major"), 1);
  EXPECT_EQ(Query.FieldAsInteger("MAJOR"), 1);
  EXPECT_EQ(CatchError([&] { (void)Query.FieldAsString("V_INTEGER"); }),
            (TCaughtError{"EIBClientError", "Field \"V_INTEGER\" not found"}));
}

TEST_F(QueryTest, AnEmptyResultIsAtItsEndAtOnce) {
  Query.SetSQL("SELECT S_PARAM FROM SYS_VAR WHERE ID < 0");
  Query.Open();
  EXPECT_TRUE(Query.Active());
  EXPECT_TRUE(Query.Eof());
}

TEST_F(QueryTest, ExecutesSchemaStatementsAndSendsParametersAsNull) {
  Query.SetSQL("ALTER TABLE T_PROJECT ADD ICONID INTEGER");
  Query.ExecSQL();
  Query.SetSQL("INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) VALUES (9, ?, ?)");
  Query.ExecSQL();
  EXPECT_FALSE(Query.Active());
  Transaction.Commit();

  Transaction.StartTransaction();
  Query.SetSQL("SELECT COUNT(*) AS N FROM SYS_VAR WHERE ID = 9 AND S_PARAM IS NULL AND V_INTEGER IS NULL");
  Query.Open();
  EXPECT_EQ(Query.FieldAsInteger("N"), 1);

  Query.SetSQL("ALTER TABLE T_PROJECT ADD ICONID INTEGER");
  EXPECT_EQ(CatchError([&] { Query.ExecSQL(); }),
            (TCaughtError{"EIBInterBaseError",
                          "unsuccessful metadata update\r\n"
                          "ALTER TABLE T_PROJECT failed\r\n"
                          "violation of PRIMARY or UNIQUE KEY constraint \"RDB$INDEX_15\" on table "
                          "\"RDB$RELATION_FIELDS\"\r\n"
                          "Problematic key value is (\"RDB$FIELD_NAME\" = 'ICONID', "
                          "\"RDB$RELATION_NAME\" = 'T_PROJECT')"}));
}

TEST_F(QueryTest, AProcedureCallReturnsItsOutputParametersAsOneRow) {
  Query.SetSQL(
      "EXECUTE PROCEDURE INSERT_PROJECT('Tester', NULL, 1, 0, NULL, NULL, NULL, NULL, 0, NULL)");
  Query.Open();
  ASSERT_FALSE(Query.Eof());
  EXPECT_EQ(Query.FieldAsInteger("O_ID"), 3);  // the demo made projects 1 and 2
  Query.Next();
  EXPECT_TRUE(Query.Eof());
}

}  // namespace
}  // namespace dbtest
