#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "testsupport/FileBytes.h"
#include "testsupport/TempFolder.h"

namespace platform::testing {

// Bytes no file system stores as holes, and more than one slice of a copy.
inline std::string RandomBytes(std::size_t ASize) {
  std::mt19937 Random(7);
  std::string Bytes(ASize, '\0');
  std::generate(Bytes.begin(), Bytes.end(), [&] { return static_cast<char>(Random()); });
  return Bytes;
}

// A fresh folder for the files of one test, named by their names.
class TFileTestFolder {
protected:
  std::string PathOf(const std::string& AName) const { return FFolder.File(AName); }
  void Write(const std::string& AName, const std::string& ABytes) const {
    testsupport::WriteFileBytes(PathOf(AName), ABytes);
  }
  std::string Read(const std::string& AName) const { return testsupport::ReadFileBytes(PathOf(AName)); }
  std::vector<std::string> Files() const {
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(FFolder.Path())) {
      Names.push_back(testsupport::Utf8Of(Entry.path().filename()));
    }
    return Names;
  }

  testsupport::TTempFolder FFolder;
};

}  // namespace platform::testing
