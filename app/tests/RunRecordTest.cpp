#include "app/RunRecord.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(RunRecord, NamesTheBackupAndNothingOutsideTheDatabasesFolder) {
  EXPECT_EQ(RunRecordFile("/data/client.fdb"), "/data/client.fdb.update-in-progress");
  EXPECT_EQ(ParseRunRecord(FormatRunRecord("kvorn_201475_839.tmp")), "kvorn_201475_839.tmp");
  EXPECT_EQ(ParseRunRecord(FormatRunRecord("копия базы.tmp")), "копия базы.tmp");

  const std::string Written = FormatRunRecord("kvorn_201475_839.tmp");
  for (const std::string& NotARecord :
       {std::string(), std::string("backup=kvorn_201475_839.tmp\n"), Written.substr(0, Written.size() - 1),
        FormatRunRecord(""), FormatRunRecord(".."), FormatRunRecord("../kvorn.tmp"), FormatRunRecord("/etc/passwd"),
        FormatRunRecord("C:kvorn.tmp"), FormatRunRecord("sub\\kvorn.tmp"), FormatRunRecord(std::string("a\0b", 3))}) {
    EXPECT_EQ(ParseRunRecord(NotARecord), std::nullopt) << NotARecord;
  }
}

}  // namespace
}  // namespace app
