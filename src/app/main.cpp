// Program entry: the application title, the main window with its set-up, the About window,
// then the event loop.
#include <QApplication>
#include <QSettings>

#include "app/application_start.h"
#include "app/controls.h"
#include "app/dialogs.h"
#include "app/shell.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("mirelane-creator"));
  QApplication::setWindowIcon(mirelane::ApplicationIcon());
  QCoreApplication::setOrganizationName(QStringLiteral("Mirelane"));
  QCoreApplication::setApplicationName(QStringLiteral("Mirelane Creator"));
  QSettings settings;
  mirelane::QtDialogs dialogs;
  const std::filesystem::path executable = mirelane::PathFromQString(QCoreApplication::applicationFilePath());
  return mirelane::RunApplication(
      dialogs, executable, &settings,
      [](mirelane::TForm1&, mirelane::TForm2&, mirelane::LayerSources&) { return QApplication::exec(); });
}
