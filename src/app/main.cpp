// Program entry: the application title, the main window with its set-up, the About window,
// then the event loop.
#include <QApplication>
#include <QSettings>

#include "app/application_start.h"
#include "app/controls.h"
#include "app/dialogs.h"
#include "app/main_window.h"
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
  // A picture named on the command line (the desktop's "Open with") goes into the FRONT slot.
  const QStringList arguments = QCoreApplication::arguments();
  const QString artwork = arguments.size() > 1 ? arguments.at(1) : QString();
  return mirelane::RunApplication(
      dialogs, executable, &settings,
      [&artwork](mirelane::TForm1& window, mirelane::TForm2&, mirelane::LayerSources&) {
        if (!artwork.isEmpty()) window.OpenArtwork(artwork);
        return QApplication::exec();
      });
}
