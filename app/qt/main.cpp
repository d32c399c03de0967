#include <QApplication>

#include "app/qt/ufrmMainWindow.h"
#include "package/EmbeddedResources.h"

int main(int argc, char** argv) {
  QApplication Application(argc, argv);
  std::vector<std::string> Arguments;
  for (int I = 1; I < argc; ++I) {
    Arguments.emplace_back(argv[I]);
  }
  return app::RunWizard(app::TStartOptions{package::EmbeddedResources(), Arguments,
                                           QCoreApplication::applicationFilePath().toStdString()});
}
