#include <QApplication>

#include "app/qt/ufrmMainWindow.h"
#include "package/EmbeddedResources.h"

int main(int argc, char** argv) {
  // Taken before Qt removes its own options from argv: the debug switch counts only as the
  // very first argument the program was given.
  std::vector<std::string> Arguments;
  for (int I = 1; I < argc; ++I) {
    Arguments.emplace_back(argv[I]);
  }
  QApplication Application(argc, argv);
  return app::RunWizard(app::TStartOptions{package::EmbeddedResources(), Arguments,
                                           QCoreApplication::applicationFilePath().toStdString()});
}
