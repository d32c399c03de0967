#pragma once

#include <span>
#include <string_view>

#include "package/UpdatePackage.h"

// Shared between the lookup and the source file that the build generates from the package folder.
namespace package::embedded {

struct TEmbeddedResource {
  std::string_view FType;
  int FId;
  TResourceBytes FBytes;
};

[[nodiscard]] std::span<const TEmbeddedResource> ResourceTable();

}  // namespace package::embedded
