// package_check <folder>: loads update.inf and update.sql from the folder exactly as the wizard
// loads its embedded copies, and fails when the wizard would refuse them. The build runs it
// before embedding the folder, so that a broken package never ships.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "package/UpdatePackage.h"

namespace {

namespace fs = std::filesystem;

using TBytes = std::vector<std::uint8_t>;

bool ReadWholeFile(const fs::path& APath, TBytes& ABytes) {
  std::ifstream Stream(APath, std::ios::binary);
  std::error_code Error;
  const std::uintmax_t Size = fs::file_size(APath, Error);
  if (!Stream || Error) {
    return false;
  }
  ABytes.resize(static_cast<size_t>(Size));
  Stream.read(reinterpret_cast<char*>(ABytes.data()), static_cast<std::streamsize>(ABytes.size()));
  return Stream.gcount() == static_cast<std::streamsize>(ABytes.size());
}

class TFolderResources final : public package::TResourceSource {
public:
  void Add(std::string_view AType, int AId, TBytes ABytes) {
    FResources[{std::string(AType), AId}] = std::move(ABytes);
  }

  [[nodiscard]] std::optional<package::TResourceBytes> FindResource(std::string_view AType,
                                                                    int AId) const override {
    const auto It = FResources.find({std::string(AType), AId});
    if (It == FResources.end()) {
      return std::nullopt;
    }
    return package::TResourceBytes(It->second);
  }

private:
  std::map<std::pair<std::string, int>, TBytes> FResources;
};

// LoadUpdateInfo answers only yes or no; the fields it filled before giving up tell why.
std::string Diagnose(const package::TUpdatePackage& APackage) {
  auto Incomplete = [](const package::TEBDataVaseVersion& AVersion) {
    return AVersion.MajorVersion == package::VersionNotGiven ||
           AVersion.MinorVersion == package::VersionNotGiven ||
           AVersion.BuildVersion == package::VersionNotGiven;
  };
  if (Incomplete(APackage.FFromBDVer)) {
    return "[FromKvornInfo] does not give MajorVersion, MinorVersion and BuildVersion";
  }
  if (Incomplete(APackage.FToBDVer)) {
    return "[ToKvornInfo] does not give MajorVersion, MinorVersion and BuildVersion";
  }
  if (APackage.FDBVerifTables.empty()) {
    return "[FromDBVerif] tablescount is missing, not a number or not positive";
  }
  if (APackage.FDBVerifTables.back().empty()) {
    return "[FromDBVerif] t" + std::to_string(APackage.FDBVerifTables.size() - 1) +
           " is missing or empty";
  }
  return "the loader rejected it";
}

int CheckFolder(const fs::path& AFolder) {
  TFolderResources Resources;
  const std::pair<fs::path, std::pair<std::string_view, int>> Files[] = {
      {AFolder / "update.inf", {package::DescriptorResourceType, package::DescriptorResourceId}},
      {AFolder / "update.sql", {package::ScriptResourceType, package::ScriptResourceId}}};
  for (const auto& [Path, Resource] : Files) {
    TBytes Bytes;
    if (!ReadWholeFile(Path, Bytes)) {
      std::cerr << "error: the update package in " << AFolder << " is unusable: cannot read "
                << Path << "\n";
      return 1;
    }
    Resources.Add(Resource.first, Resource.second, std::move(Bytes));
  }
  package::TUpdatePackage Package;
  if (!package::LoadUpdateInfo(Resources, Package)) {
    std::cerr << "error: the update package in " << AFolder
              << " is unusable: " << Diagnose(Package) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int AArgCount, char** AArgs) {
  if (AArgCount != 2) {
    std::cerr << "usage: package_check <folder with update.inf and update.sql>\n";
    return 2;
  }
  try {
    return CheckFolder(AArgs[1]);
  } catch (const std::exception& AError) {
    std::cerr << "error: checking the update package in " << AArgs[1] << " failed: "
              << AError.what() << "\n";
    return 1;
  }
}
