#include "app/win/ufrmMainWindow.h"
#include "package/EmbeddedResources.h"

// The command line and the executable's path come from Windows itself, in UTF-16.
int main() { return app::RunProgram(package::EmbeddedResources()); }
