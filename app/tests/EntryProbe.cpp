// The program's own entry, run with a watcher that prints what the window's debug label says
// once the window is up, and then ends the program.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>

#include "app/qt/ufrmMainWindow.h"
#include "package/EmbeddedResources.h"

namespace {

void WatchTheWindow() {
  QTimer::singleShot(0, [] {
    for (QWidget* Window : QApplication::topLevelWidgets()) {
      if (Window->objectName() == QLatin1String("frmMain")) {
        const auto* Label = Window->findChild<QLabel*>(QStringLiteral("DebugMode_Label"));
        std::printf("debug label: [%s]\n", qPrintable(Label->text()));
      }
    }
    QCoreApplication::exit(0);
  });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchTheWindow)

int main(int argc, char** argv) { return app::RunProgram(argc, argv, package::EmbeddedResources()); }
