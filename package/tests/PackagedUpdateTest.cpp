#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "package/EmbeddedResources.h"
#include "package/TextLines.h"
#include "package/UpdatePackage.h"
#include "testsupport/PackagedUpdate.h"

namespace package {
namespace {

std::string TextOf(TResourceBytes ABytes) {
  return {reinterpret_cast<const char*>(ABytes.data()), ABytes.size()};
}

std::string ResourceText(std::string_view AType, int AId) {
  const std::optional<TResourceBytes> Bytes = EmbeddedResources().FindResource(AType, AId);
  return Bytes ? TextOf(*Bytes) : "<missing>";
}

// Read now, not when the build embedded it: a package folder edited after the build shows here.
std::string PackageFileText(const std::string& AName) {
  std::ifstream Stream(std::filesystem::path(DBUPDATE_PACKAGE_DIR) / AName, std::ios::binary);
  std::ostringstream Text;
  Text << Stream.rdbuf();
  return Stream ? Text.str() : "<cannot read " + AName + ">";
}

TEST(PackagedUpdate, EmbeddedResourcesAreThePackageFilesByteForByte) {
  EXPECT_EQ(ResourceText(DescriptorResourceType, DescriptorResourceId), PackageFileText("update.inf"));
  EXPECT_EQ(ResourceText(ScriptResourceType, ScriptResourceId), PackageFileText("update.sql"));
}

class PackagedUpdateTest : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(LoadUpdateInfo(EmbeddedResources(), FPackage)); }
  TUpdatePackage FPackage;
};

TEST_F(PackagedUpdateTest, LoadsWithItsTitleVersionsAndTables) {
  if (!testsupport::EmbedsUpdate121()) GTEST_SKIP() << testsupport::SAboutUpdate121;
  EXPECT_TRUE(FPackage.FGeneralUpdInfo);
  EXPECT_EQ(FPackage.FUpdDescription, "");
  EXPECT_EQ(FPackage.FDBVerifTables,
            (std::vector<std::string>{
                "CFG_LOCAL", "SYS_VAR", "T_BASE_PARAM", "T_CASE", "T_CLASS", "T_ELEMENT_ANALOG",
                "T_ELEMENT_AVAIL", "T_ELEMENT_SUPPLIER", "T_ELEMENT_TYPE", "T_MAKER", "T_NOTE",
                "T_PARAM", "T_PIN", "T_PROJECT", "T_PROJECT_ITEM", "T_PSP", "T_PSP_ITEM",
                "T_STORAGE", "T_SUPPLIER", "T_UNIT", "T_FAVORITES"}));
  EXPECT_EQ(FPackage.FScriptBlock.size(), 15u);
}

// The blocks joined again give back the script as text with CR LF after every line, its last
// line included; no block keeps a separator, so the cuts are exactly at the separators.
TEST_F(PackagedUpdateTest, BlocksJoinBackIntoTheScript) {
  std::string Joined;
  for (size_t I = 0; I < FPackage.FScriptBlock.size(); ++I) {
    EXPECT_EQ(FPackage.FScriptBlock[I].find("--block--"), std::string::npos) << "block " << I;
    Joined += (I == 0 ? "" : "--block--") + FPackage.FScriptBlock[I];
  }
  const std::optional<TResourceBytes> Script = EmbeddedResources().FindResource(ScriptResourceType, ScriptResourceId);
  ASSERT_TRUE(Script);
  EXPECT_EQ(Joined, JoinLines(SplitLines(DecodeText(*Script))));
}

}  // namespace
}  // namespace package
