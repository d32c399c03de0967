#include "testsupport/TempFolder.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace testsupport {

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
      throw std::system_error(Error, "create_directory " + Candidate.string());
    }
  }
  throw std::runtime_error("no free temporary folder name under " + Base.string());
}

TTempFolder::~TTempFolder() {
  std::error_code Ignored;
  std::filesystem::remove_all(FPath, Ignored);
}

std::string TTempFolder::File(const std::string& AName) const { return (FPath / AName).string(); }

}  // namespace testsupport
