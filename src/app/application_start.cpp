// The program's start-up sequence, shared by the program and the screenshot tool.
#include "app/application_start.h"

#include <string>

#include <QStandardPaths>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/shell.h"
#include "app/shell_text.h"
#include "compose/editing_state.h"
#include "templates/data_root.h"

namespace mirelane {

int RunApplication(
    Dialogs& dialogs, const std::filesystem::path& executable, QSettings* settings,
    const std::function<int(TForm1& mainWindow, TForm2& aboutWindow, LayerSources& sources)>& whileShown) {
  Shell shell{dialogs, std::string(kDesignTitle), executable, FindDataRoot(executable), settings};
  // The user's own templates, by the platform's rule for user data (on Linux the same folder that
  // mirelane-render lists: $XDG_DATA_HOME or ~/.local/share, then mirelane-creator).
  const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!userData.isEmpty())
    shell.userData = std::filesystem::path(userData.toStdString()) / "mirelane-creator";
  EditingState state;
  LayerSources sources;

  TForm1 mainWindow(shell, state, sources);
  mainWindow.FormCreate();
  TForm2 aboutWindow(shell, &mainWindow);
  aboutWindow.FormCreate();
  mainWindow.SetAboutWindow(&aboutWindow);
  mainWindow.RestoreWindowGeometry();
  mainWindow.show();
  mainWindow.ShowFirstShot();
  return whileShown(mainWindow, aboutWindow, sources);
}

}  // namespace mirelane
