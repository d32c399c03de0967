#include "package/EmbeddedResources.h"

#include "package/EmbeddedResourceTable.h"

namespace package {
namespace {

class TEmbeddedResourceSource final : public TResourceSource {
public:
  [[nodiscard]] std::optional<TResourceBytes> FindResource(std::string_view AType,
                                                           int AId) const override {
    for (const embedded::TEmbeddedResource& Resource : embedded::ResourceTable()) {
      if (Resource.FType == AType && Resource.FId == AId) {
        return Resource.FBytes;
      }
    }
    return std::nullopt;
  }
};

}  // namespace

const TResourceSource& EmbeddedResources() {
  static const TEmbeddedResourceSource Source;
  return Source;
}

}  // namespace package
