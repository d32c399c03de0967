#include "testsupport/TempFolder.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace testsupport {

std::filesystem::path PathOf(const std::string& AUtf8Path) {
  std::u8string Text;
  Text.reserve(AUtf8Path.size());
  for (const char C : AUtf8Path) {
    Text.push_back(static_cast<char8_t>(C));
  }
  return std::filesystem::path(Text);
}

std::string Utf8Of(const std::filesystem::path& APath) {
  std::string Text;
  for (const char8_t C : APath.u8string()) {
    Text.push_back(static_cast<char>(C));
  }
  return Text;
}

// A random name that create_directory refuses when it is taken: the same on every system,
// where mkdtemp is only POSIX's.
TTempFolder::TTempFolder() {
  std::random_device Seed;
  std::mt19937_64 Random(Seed());
  const auto Base = std::filesystem::temp_directory_path();
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    const auto Candidate = Base / ("dbupdate-test-" + std::to_string(Random() % 1'000'000'000'000ULL));
    std::error_code Error;
    if (std::filesystem::create_directory(Candidate, Error)) {
      FPath = Candidate;
      return;
    }
    if (Error) {
      throw std::system_error(Error, "create_directory " + Utf8Of(Candidate));
    }
  }
  throw std::runtime_error("no free temporary folder name under " + Utf8Of(Base));
}

TTempFolder::~TTempFolder() {
  std::error_code Ignored;
  std::filesystem::remove_all(FPath, Ignored);
}

std::string TTempFolder::File(const std::string& AName) const { return Utf8Of(FPath / PathOf(AName)); }

}  // namespace testsupport
