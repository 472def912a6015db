// Program entry: the application title, the main window with its set-up, the About window,
// then the event loop.
#include <QApplication>

#include "app/about_window.h"
#include "app/controls.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/shell.h"
#include "app/shell_text.h"
#include "compose/editing_state.h"
#include "compose/layer_source.h"
#include "templates/data_root.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("mirelane-creator"));
  QApplication::setWindowIcon(mirelane::ApplicationIcon());
  mirelane::QtDialogs dialogs;
  const std::filesystem::path executable = mirelane::PathFromQString(QCoreApplication::applicationFilePath());
  mirelane::Shell shell{dialogs, std::string(mirelane::kDesignTitle), executable,
                        mirelane::FindDataRoot(executable)};
  mirelane::EditingState state;
  mirelane::LayerSources sources;

  mirelane::TForm1 mainWindow(shell, state, sources);
  mainWindow.FormCreate();
  mirelane::TForm2 aboutWindow(shell, &mainWindow);
  aboutWindow.FormCreate();
  mainWindow.SetAboutWindow(&aboutWindow);
  mainWindow.show();
  return QApplication::exec();
}
