#include "tools/DemoDatabase.h"

#include "db/IBCreate.h"

namespace demodb {

namespace {

struct TTableDefinition {
  const char* Name;
  const char* Columns;
};

// T_PROJECT deliberately lacks ICONID and keeps its columns in the order the fix replaces.
const TTableDefinition Tables[] = {
    {"CFG_LOCAL", "ID INTEGER NOT NULL PRIMARY KEY, S_PARAM VARCHAR(64), S_VALUE VARCHAR(255)"},
    {"SYS_VAR",
     "ID INTEGER, S_PARAM VARCHAR(64), V_INTEGER INTEGER, V_FLOAT DOUBLE PRECISION, "
     "V_STRING VARCHAR(255), V_TIMESTAMP TIMESTAMP"},
    {"T_BASE_PARAM", "ID INTEGER NOT NULL PRIMARY KEY, S_NAME VARCHAR(255), UNITID INTEGER"},
    {"T_CASE", "ID INTEGER NOT NULL PRIMARY KEY, S_NAME VARCHAR(64), V_PINCOUNT INTEGER"},
    {"T_CLASS", "ID INTEGER NOT NULL PRIMARY KEY, PARENTID INTEGER, S_NAME VARCHAR(255)"},
    {"T_ELEMENT_ANALOG", "ID INTEGER NOT NULL PRIMARY KEY, ELEMENTID INTEGER, ANALOGID INTEGER"},
    {"T_ELEMENT_AVAIL",
     "ID INTEGER NOT NULL PRIMARY KEY, ELEMENTID INTEGER, STORAGEID INTEGER, V_COUNT INTEGER"},
    {"T_ELEMENT_SUPPLIER",
     "ID INTEGER NOT NULL PRIMARY KEY, ELEMENTID INTEGER, SUPPLIERID INTEGER, "
     "F_PRICE NUMERIC(15,2)"},
    {"T_ELEMENT_TYPE",
     "ID INTEGER NOT NULL PRIMARY KEY, CLASSID INTEGER, MAKERID INTEGER, CASEID INTEGER, "
     "S_NAME VARCHAR(255)"},
    {"T_MAKER", "ID INTEGER NOT NULL PRIMARY KEY, S_NAME VARCHAR(255), S_COUNTRY VARCHAR(64)"},
    {"T_NOTE", "ID INTEGER NOT NULL PRIMARY KEY, S_TEXT VARCHAR(4096), C_TIMESTAMP TIMESTAMP"},
    {"T_PARAM",
     "ID INTEGER NOT NULL PRIMARY KEY, ELEMENTID INTEGER, BASEPARAMID INTEGER, "
     "S_VALUE VARCHAR(255)"},
    {"T_PIN", "ID INTEGER NOT NULL PRIMARY KEY, CASEID INTEGER, V_NUMBER INTEGER, S_NAME VARCHAR(32)"},
    {"T_PROJECT",
     "ID INTEGER NOT NULL PRIMARY KEY, S_NAME VARCHAR(255) NOT NULL, V_FLAG INTEGER, "
     "S_DESCRIPTION VARCHAR(16384), D_END DATE, D_BEGIN DATE, V_COUNTDEV_COMPLETE INTEGER, "
     "V_COUNTDEV_SCHEDULED INTEGER, C_TIMESTAMP TIMESTAMP, F_PROGRESS NUMERIC(1,0), "
     "S_CATEGORY VARCHAR(255), U_TIMESTAMP TIMESTAMP"},
    {"T_PROJECT_ITEM",
     "ID INTEGER NOT NULL PRIMARY KEY, PROJECTID INTEGER, ELEMENTID INTEGER, V_COUNT INTEGER"},
    {"T_PSP", "ID INTEGER NOT NULL PRIMARY KEY, S_NAME VARCHAR(255), D_DATE DATE"},
    {"T_PSP_ITEM", "ID INTEGER NOT NULL PRIMARY KEY, PSPID INTEGER, ELEMENTID INTEGER, V_COUNT INTEGER"},
    {"T_STORAGE", "ID INTEGER NOT NULL PRIMARY KEY, PARENTID INTEGER, S_NAME VARCHAR(255)"},
    {"T_SUPPLIER", "ID INTEGER NOT NULL PRIMARY KEY, S_NAME VARCHAR(255), S_URL VARCHAR(255)"},
    {"T_UNIT", "ID INTEGER NOT NULL PRIMARY KEY, S_NAME VARCHAR(32), S_SHORTNAME VARCHAR(16)"},
    {"T_FAVORITES", "ID INTEGER NOT NULL PRIMARY KEY, ELEMENTID INTEGER, V_ORDER INTEGER"},
};

// The procedure as version 1.2.1 shipped it, before ICONID existed.
constexpr const char* OldInsertProject =
    "CREATE OR ALTER procedure INSERT_PROJECT (\r\n"
    "    I_S_NAME varchar(255) not null,\r\n"
    "    I_S_DESCRIPTION varchar(16384),\r\n"
    "    I_V_COUNTDEV_SCHEDULED integer,\r\n"
    "    I_V_COUNTDEV_COMPLETE integer,\r\n"
    "    I_S_CATEGORY varchar(255),\r\n"
    "    I_D_BEGIN date,\r\n"
    "    I_D_END date,\r\n"
    "    I_F_PROGRESS numeric(1,0),\r\n"
    "    I_V_FLAG integer,\r\n"
    "    I_C_TIMESTAMP timestamp) \r\n"
    "returns (\r\n"
    "    O_ID integer) \r\n"
    "as\r\n"
    "declare variable TMP_ID integer;\r\n"
    "begin\r\n"
    "  /* Generate new ID */\r\n"
    "  select gen_id(gen_t_project_id,1) from rdb$database\r\n"
    "  into :TMP_ID;\r\n"
    "\r\n"
    "  /* Insert new item */\r\n"
    "  insert into T_PROJECT (ID, S_NAME, S_DESCRIPTION, V_COUNTDEV_SCHEDULED, V_COUNTDEV_COMPLETE,\r\n"
    "    S_CATEGORY, D_BEGIN, D_END, F_PROGRESS, V_FLAG, C_TIMESTAMP, U_TIMESTAMP)\r\n"
    "  values (:TMP_ID, :I_S_NAME, :I_S_DESCRIPTION, :I_V_COUNTDEV_SCHEDULED, :I_V_COUNTDEV_COMPLETE,\r\n"
    "    :I_S_CATEGORY, :I_D_BEGIN, :I_D_END, :I_F_PROGRESS, :I_V_FLAG, :I_C_TIMESTAMP, NULL);\r\n"
    "\r\n"
    "  /* Return ID */\r\n"
    "  O_ID = TMP_ID;\r\n"
    "  suspend;\r\n"
    "end";

const char* const Data[] = {
    "INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER, V_STRING, V_TIMESTAMP) "
    "VALUES (1, 'DBID', NULL, '{6F1C2A4E-93B7-4D05-8E2A-5C7D1B3F9A60}', CURRENT_TIMESTAMP)",
    "INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) VALUES (2, 'MAJORVERSION', 1)",
    "INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) VALUES (3, 'MINORVERSION', 2)",
    "INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) VALUES (4, 'BUILDVERSION', 1)",
    "INSERT INTO CFG_LOCAL (ID, S_PARAM, S_VALUE) VALUES (1, 'LASTSTORAGE', '1')",
    "INSERT INTO T_UNIT (ID, S_NAME, S_SHORTNAME) VALUES (1, 'Ohm', 'Ohm')",
    "INSERT INTO T_UNIT (ID, S_NAME, S_SHORTNAME) VALUES (2, 'Farad', 'F')",
    "INSERT INTO T_STORAGE (ID, PARENTID, S_NAME) VALUES (1, NULL, 'Main shelf')",
    "INSERT INTO T_MAKER (ID, S_NAME, S_COUNTRY) VALUES (1, 'Generic', NULL)",
    "EXECUTE PROCEDURE INSERT_PROJECT('Power supply', 'Bench supply, 0-30 V', 5, 2, 'Lab', "
    "'2011-03-01', '2011-06-30', 0, 0, '2011-02-20 10:15:00')",
    "EXECUTE PROCEDURE INSERT_PROJECT('Clock', NULL, 1, 0, NULL, NULL, NULL, NULL, 1, NULL)",
};

}  // namespace

const std::vector<std::string>& DemoTableNames() {
  static const std::vector<std::string> Names = [] {
    std::vector<std::string> Result;
    for (const TTableDefinition& Table : Tables) {
      Result.emplace_back(Table.Name);
    }
    return Result;
  }();
  return Names;
}

void CreateDemoDatabase(const std::shared_ptr<const db::TIBClientLibrary>& ALibrary,
                        const std::string& APath, int ADialect) {
  db::CreateDatabase(ALibrary, APath, ADialect);
  db::TIBDatabase Database(ALibrary);
  Database.SetDatabaseName(APath);
  Database.Params().push_back("user_name=SYSDBA");
  Database.SetSQLDialect(ADialect);
  Database.Open();

  db::TIBTransaction Transaction(Database);
  Transaction.StartTransaction();
  db::TIBQuery Query(Database, Transaction);
  const auto Execute = [&](const std::string& AStatement) {
    Query.SetSQL(AStatement);
    Query.ExecSQL();
  };
  for (const TTableDefinition& Table : Tables) {
    Execute(std::string("CREATE TABLE ") + Table.Name + " (" + Table.Columns + ")");
  }
  Execute("CREATE GENERATOR gen_t_project_id");
  Transaction.Commit();

  Transaction.StartTransaction();
  Execute(OldInsertProject);
  Transaction.Commit();

  Transaction.StartTransaction();
  for (const char* Statement : Data) {
    Execute(Statement);
  }
  Transaction.Commit();
  Database.Close();
}

}  // namespace demodb
