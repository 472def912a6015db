// The program's start-up once Qt is running: the shell, the editing state, the layer sources and
// both windows, made and wired in the order the program needs. The program and the screenshot tool share it.
#pragma once

#include <filesystem>
#include <functional>

#include "app/dialogs.h"
#include "compose/layer_source.h"

class QSettings;

namespace mirelane {

class TForm1;
class TForm2;

// Needs a QApplication. The data folders are found from the executable's path; settings holds what
// is remembered between runs (none: nothing is). Calls whileShown once the main window is shown
// with its first shot and returns its result; the windows live until then.
int RunApplication(
    Dialogs& dialogs, const std::filesystem::path& executable, QSettings* settings,
    const std::function<int(TForm1& mainWindow, TForm2& aboutWindow, LayerSources& sources)>& whileShown);

}  // namespace mirelane
