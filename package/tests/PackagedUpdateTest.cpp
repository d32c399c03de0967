#include <gtest/gtest.h>

#include "package/EmbeddedResources.h"
#include "package/UpdatePackage.h"

namespace package {
namespace {

std::string TextOf(TResourceBytes ABytes) {
  return {reinterpret_cast<const char*>(ABytes.data()), ABytes.size()};
}

std::string ResourceText(std::string_view AType, int AId) {
  const std::optional<TResourceBytes> Bytes = EmbeddedResources().FindResource(AType, AId);
  return Bytes ? TextOf(*Bytes) : "<missing>";
}

TEST(PackagedUpdate, DescriptorIsTheUpdateTo121) {
  EXPECT_EQ(ResourceText(DescriptorResourceType, DescriptorResourceId),
            "[General]\r\n"
            "UpdTitle=DataBase Struct Error Fixed (Version 1.2.1)\r\n"
            "UpdDescription=\r\n"
            "\r\n"
            "[FromKvornInfo]\r\n"
            "MajorVersion=1\r\n"
            "MinorVersion=2\r\n"
            "BuildVersion=1\r\n"
            "\r\n"
            "[ToKvornInfo]\r\n"
            "MajorVersion=1\r\n"
            "MinorVersion=2\r\n"
            "BuildVersion=1\r\n"
            "\r\n"
            "[FromDBVerif]\r\n"
            "tablescount=21\r\n"
            "t0=CFG_LOCAL\r\n"
            "t1=SYS_VAR\r\n"
            "t2=T_BASE_PARAM\r\n"
            "t3=T_CASE\r\n"
            "t4=T_CLASS\r\n"
            "t5=T_ELEMENT_ANALOG\r\n"
            "t6=T_ELEMENT_AVAIL\r\n"
            "t7=T_ELEMENT_SUPPLIER\r\n"
            "t8=T_ELEMENT_TYPE\r\n"
            "t9=T_MAKER\r\n"
            "t10=T_NOTE\r\n"
            "t11=T_PARAM\r\n"
            "t12=T_PIN\r\n"
            "t13=T_PROJECT\r\n"
            "t14=T_PROJECT_ITEM\r\n"
            "t15=T_PSP\r\n"
            "t16=T_PSP_ITEM\r\n"
            "t17=T_STORAGE\r\n"
            "t18=T_SUPPLIER\r\n"
            "t19=T_UNIT\r\n"
            "t20=T_FAVORITES\r\n");
}

class PackagedUpdateTest : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(LoadUpdateInfo(EmbeddedResources(), FPackage)); }
  TUpdatePackage FPackage;
};

TEST_F(PackagedUpdateTest, LoadsWithItsTitleVersionsAndTables) {
  EXPECT_TRUE(FPackage.FGeneralUpdInfo);
  EXPECT_EQ(FPackage.FUpdTitle, "DataBase Struct Error Fixed (Version 1.2.1)");
  EXPECT_EQ(FPackage.FUpdDescription, "");
  EXPECT_EQ(FPackage.FFromBDVer, (TEBDataVaseVersion{1, 2, 1}));
  EXPECT_EQ(FPackage.FToBDVer, (TEBDataVaseVersion{1, 2, 1}));
  EXPECT_EQ(FPackage.FDBVerifTables,
            (std::vector<std::string>{
                "CFG_LOCAL", "SYS_VAR", "T_BASE_PARAM", "T_CASE", "T_CLASS", "T_ELEMENT_ANALOG",
                "T_ELEMENT_AVAIL", "T_ELEMENT_SUPPLIER", "T_ELEMENT_TYPE", "T_MAKER", "T_NOTE",
                "T_PARAM", "T_PIN", "T_PROJECT", "T_PROJECT_ITEM", "T_PSP", "T_PSP_ITEM",
                "T_STORAGE", "T_SUPPLIER", "T_UNIT", "T_FAVORITES"}));
}

TEST_F(PackagedUpdateTest, ScriptHasFifteenExactBlocks) {
  ASSERT_EQ(FPackage.FScriptBlock.size(), 15u);
  EXPECT_EQ(FPackage.FScriptBlock[0],
            "/* ------ DB Error Fixed Ver 1.2.1 ------ */\r\n"
            "\r\n"
            "ALTER TABLE T_PROJECT\r\n"
            "ADD ICONID INTEGER;\r\n"
            "\r\n");
  EXPECT_EQ(FPackage.FScriptBlock[1], "\r\n\r\nalter table T_PROJECT\r\nalter ID position 1;\r\n\r\n");
  EXPECT_EQ(FPackage.FScriptBlock[10],
            "\r\n\r\nalter table T_PROJECT\r\nalter ICONID position 10;\r\n\r\n");
  EXPECT_EQ(FPackage.FScriptBlock[13],
            "\r\n\r\nalter table T_PROJECT\r\nalter U_TIMESTAMP position 13;\r\n\r\n");
  EXPECT_EQ(FPackage.FScriptBlock[14],
            "\r\n"
            "\r\n"
            "SET TERM ^ ;\r\n"
            "CREATE OR ALTER procedure INSERT_PROJECT (\r\n"
            "    I_S_NAME varchar(255) not null,\r\n"
            "    I_S_DESCRIPTION varchar(16384),\r\n"
            "    I_V_COUNTDEV_SCHEDULED integer,\r\n"
            "    I_V_COUNTDEV_COMPLETE integer,\r\n"
            "    I_S_CATEGORY varchar(255),\r\n"
            "    I_D_BEGIN date,\r\n"
            "    I_D_END date,\r\n"
            "    I_F_PROGRESS numeric(1,0),\r\n"
            "    I_ICONID integer,\r\n"
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
            "  insert into T_PROJECT (ID, S_NAME, S_DESCRIPTION, V_COUNTDEV_SCHEDULED, "
            "V_COUNTDEV_COMPLETE,\r\n"
            "  S_CATEGORY, D_BEGIN, D_END, F_PROGRESS, ICONID, V_FLAG, C_TIMESTAMP, U_TIMESTAMP)\r\n"
            "  values (:TMP_ID, :I_S_NAME, :I_S_DESCRIPTION, :I_V_COUNTDEV_SCHEDULED, "
            ":I_V_COUNTDEV_COMPLETE,\r\n"
            "  :I_S_CATEGORY, :I_D_BEGIN, :I_D_END, :I_F_PROGRESS, :I_ICONID, :I_V_FLAG, "
            ":I_C_TIMESTAMP, NULL);\r\n"
            "\r\n"
            "  /* Return ID */\r\n"
            "  O_ID = TMP_ID;\r\n"
            "\r\n"
            "  suspend;\r\n"
            "end\r\n"
            "^\r\n"
            "SET TERM ; ^\r\n");
}

// The blocks joined again give back the resource, with the one CR LF that rebuilding the text
// adds after its last line: the resource itself ends without a break.
TEST_F(PackagedUpdateTest, BlocksJoinBackIntoTheScript) {
  std::string Joined;
  for (size_t I = 0; I < FPackage.FScriptBlock.size(); ++I) {
    Joined += (I == 0 ? "" : "--block--") + FPackage.FScriptBlock[I];
  }
  EXPECT_EQ(Joined, ResourceText(ScriptResourceType, ScriptResourceId) + "\r\n");
}

}  // namespace
}  // namespace package
