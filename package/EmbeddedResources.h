#pragma once

#include "package/UpdatePackage.h"

namespace package {

// The update package this build carries: the descriptor ("INF" 1000) and the script
// ("SCRIPT" 1001), compiled into the program after the build has loaded and accepted them.
[[nodiscard]] const TResourceSource& EmbeddedResources();

}  // namespace package
