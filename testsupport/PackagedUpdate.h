#pragma once

#include "package/EmbeddedResources.h"
#include "package/UpdatePackage.h"

namespace testsupport {

// Whether this build embeds the update 1.2.1 that the program ships with. A build may embed
// another package (see DBUPDATE_PACKAGE_DIR); tests about what 1.2.1 in particular does to a
// database skip themselves then. The header needs the target to link package_resources.
[[nodiscard]] inline bool EmbedsUpdate121() {
  package::TUpdatePackage Package;
  return package::LoadUpdateInfo(package::EmbeddedResources(), Package) &&
         Package.FUpdTitle == "DataBase Struct Error Fixed (Version 1.2.1)" &&
         Package.FFromBDVer == package::TEBDataVaseVersion{1, 2, 1} &&
         Package.FToBDVer == package::TEBDataVaseVersion{1, 2, 1};
}

inline constexpr const char* SAboutUpdate121 =
    "this test is about the update 1.2.1, and this build embeds another package";

}  // namespace testsupport
