#include "app/qt/ufrmMainWindow.h"
#include "package/EmbeddedResources.h"

int main(int argc, char** argv) { return app::RunProgram(argc, argv, package::EmbeddedResources()); }
