// Replays every input the fuzzers were seeded with or found a fault with through the same
// property the fuzz target checks, so that a fixed fault stays fixed in the ordinary builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/FuzzProperties.h"

namespace fuzz {
namespace {

namespace fs = std::filesystem;

struct TBrokenProperty : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void ThrowOnFailure(std::string_view AProperty, std::string_view AWhat) {
  throw TBrokenProperty(std::string(AProperty) + ": " + std::string(AWhat));
}

std::vector<std::uint8_t> ReadBytes(const fs::path& APath) {
  std::ifstream Stream(APath, std::ios::binary);
  return {std::istreambuf_iterator<char>(Stream), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> InputsOf(std::string_view AProperty) {
  std::vector<fs::path> Inputs;
  for (const char* Kind : {"corpus", "regressions"}) {
    const fs::path Folder = fs::path(DBUPDATE_FUZZ_DIR) / Kind / AProperty;
    if (!fs::is_directory(Folder)) continue;
    for (const fs::directory_entry& Entry : fs::directory_iterator(Folder)) {
      if (Entry.is_regular_file()) Inputs.push_back(Entry.path());
    }
  }
  std::sort(Inputs.begin(), Inputs.end());
  return Inputs;
}

}  // namespace

void PrintTo(const TProperty& AProperty, std::ostream* AStream) { *AStream << AProperty.FName; }

namespace {

class FuzzRegressionTest : public testing::TestWithParam<TProperty> {};

TEST_P(FuzzRegressionTest, KeptInputsKeepTheProperty) {
  SetFailureHandler(&ThrowOnFailure);
  const std::vector<fs::path> Inputs = InputsOf(GetParam().FName);
  // Every target has its seeds; an empty list would mean the folders moved and nothing runs.
  EXPECT_FALSE(Inputs.empty());
  for (const fs::path& Input : Inputs) {
    const std::vector<std::uint8_t> Bytes = ReadBytes(Input);
    try {
      GetParam().FCheck(Bytes);
    } catch (const TBrokenProperty& AError) {
      ADD_FAILURE() << Input << ": " << AError.what();
    }
  }
  std::setlocale(LC_ALL, "C");
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressionTest, testing::ValuesIn(Properties().begin(), Properties().end()),
                         [](const testing::TestParamInfo<TProperty>& AInfo) {
                           return std::string(AInfo.param.FName);
                         });

}  // namespace
}  // namespace fuzz
