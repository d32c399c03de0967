#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "package/UpdatePackage.h"

namespace app::testing {

// An update package made of texts in memory.
class TMemoryResources : public package::TResourceSource {
public:
  TMemoryResources(const std::string& ADescriptor, const std::string& AScript) {
    Add(std::string(package::DescriptorResourceType), package::DescriptorResourceId, ADescriptor);
    Add(std::string(package::ScriptResourceType), package::ScriptResourceId, AScript);
  }
  void Add(const std::string& AType, int AId, const std::string& ABytes) {
    FResources[{AType, AId}] = std::vector<std::uint8_t>(ABytes.begin(), ABytes.end());
  }
  [[nodiscard]] std::optional<package::TResourceBytes> FindResource(std::string_view AType, int AId) const override {
    const auto Found = FResources.find({std::string(AType), AId});
    if (Found == FResources.end()) {
      return std::nullopt;
    }
    return package::TResourceBytes(Found->second);
  }

private:
  std::map<std::pair<std::string, int>, std::vector<std::uint8_t>> FResources;
};

}  // namespace app::testing
