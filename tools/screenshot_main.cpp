// Grabs pictures of the application's windows for tools/screenshot.sh: the main window at its
// smallest (once with the Reflection page) and enlarged to 1600 x 1000, showing the first template
// rendered with the sample artwork as a first start does, the About window, and a start with an
// empty Templates folder. Not installed. Usage: mirelane-creator-screenshot OUTPUT.png EXAMPLES_FOLDER
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/about_window.h"
#include "app/application_start.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/remembered_settings.h"
#include "app/shell.h"
#include "compose/layer_source.h"
#include "templates/data_root.h"

namespace {

// No one answers dialogs here: errors go to the terminal and every question is cancelled.
class ConsoleDialogs : public mirelane::Dialogs {
 public:
  std::optional<QString> OpenPicture(QWidget*, const QString&, const QString&, const QString&) override {
    return std::nullopt;
  }
  std::optional<mirelane::SaveDialogAnswer> SavePicture(QWidget*,
                                                        const mirelane::SaveDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<mirelane::TWebpOptions> ChooseWebpOptions(QWidget*, const mirelane::TWebpOptions&) override {
    return std::nullopt;
  }
  mirelane::TransparentSaveChoice AskTransparentSave(QWidget*, const QString&) override {
    return mirelane::TransparentSaveChoice::Cancel;
  }
  std::optional<QColor> ChooseColor(QWidget*, const QColor&) override { return std::nullopt; }
  void ShowError(QWidget*, const QString& caption, const QString& text) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    ++errors;
  }
  void ShowWarning(QWidget*, const QString& caption, const QString& text) override {
    std::fprintf(stderr, "%s: warning: %s\n", qPrintable(caption), qPrintable(text));
  }
  bool OpenAddress(const QString&) override { return false; }
  int errors = 0;
};

// Lets the window's timers run, as a user who waits a moment would see it.
void Wait(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// A copy of the installation whose Templates folder is empty: every other data folder is linked.
std::filesystem::path InstallationWithoutTemplates(const std::filesystem::path& dataRoot,
                                                   const std::filesystem::path& into) {
  namespace fs = std::filesystem;
  fs::create_directories(into / "Templates");
  for (const fs::directory_entry& entry : fs::directory_iterator(dataRoot))
    if (entry.is_directory() && entry.path().filename() != "Templates")
      fs::create_directory_symlink(entry.path(), into / entry.path().filename());
  return into / "mirelane-creator";
}

}  // namespace

int main(int argc, char** argv) {
  // No user templates either: the pictures show what the installation brings.
  QTemporaryDir userData;
  qputenv("XDG_DATA_HOME", QFile::encodeName(userData.path()));
  QApplication application(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT.png EXAMPLES_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path output = argv[1];
  ConsoleDialogs dialogs;
  // Named as the real program, so the title is the one users see.
  const std::filesystem::path executable =
      std::filesystem::path(mirelane::PathFromQString(QCoreApplication::applicationDirPath())) /
      "mirelane-creator";
  const std::filesystem::path examples = argv[2];
  // A settings file of its own: the pictures show a first start, whatever the user's settings.
  QTemporaryDir settingsFolder;
  QSettings settings(settingsFolder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
  const auto grab = [&](QWidget& window, const std::string& suffix) {
    const std::filesystem::path file = output.parent_path() / (output.stem().string() + suffix + ".png");
    QApplication::processEvents();
    if (!window.grab().save(QString::fromStdString(file.string()))) {
      std::fprintf(stderr, "cannot write %s\n", file.c_str());
      ++dialogs.errors;
    }
    std::printf("%s\n", file.c_str());
  };
  const int shown = mirelane::RunApplication(
      dialogs, executable, &settings,
      [&](mirelane::TForm1& mainWindow, mirelane::TForm2& aboutWindow, mirelane::LayerSources& sources) {
        // Slots the installation's sample artwork left empty take the given folder's pictures.
        if (mirelane::FillSlotsFromExamples(examples, sources) > 0) mainWindow.ApplyTempButtonClick();
        // The panel shows slot 1 as a user who had just chosen it would see it.
        mainWindow.LayerSourceUpDownClick();
        grab(mainWindow, "");
        // The page with the most sliders, each with its number.
        mainWindow.SettingsPageControl->setCurrentWidget(mainWindow.ReflectionPage);
        grab(mainWindow, "-reflection");
        mainWindow.SettingsPageControl->setCurrentWidget(mainWindow.ObjectPage);
        mainWindow.resize(1600, 1000);
        Wait(600);  // the preview is drawn again at the size shown once the window has settled
        grab(mainWindow, "-large");
        mainWindow.resize(mirelane::TForm1::kClientWidth, mirelane::TForm1::kClientHeight);
        aboutWindow.show();
        grab(aboutWindow, "-about");
        aboutWindow.AboutPageControl->setCurrentIndex(1);
        grab(aboutWindow, "-libraries");
        return dialogs.errors == 0 ? 0 : 1;
      });
  // The empty start reports its one message; that is what the picture is for, not a failure.
  const int errorsBefore = dialogs.errors;
  QTemporaryDir emptyInstall;
  QSettings emptySettings(emptyInstall.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
  mirelane::RunApplication(dialogs,
                           InstallationWithoutTemplates(
                               mirelane::FindDataRoot(executable),
                               mirelane::PathFromQString(emptyInstall.filePath(QStringLiteral("install")))),
                           &emptySettings,
                           [&](mirelane::TForm1& mainWindow, mirelane::TForm2&, mirelane::LayerSources&) {
                             grab(mainWindow, "-no-templates");
                             return 0;
                           });
  if (dialogs.errors != errorsBefore + 1) {
    std::fprintf(stderr, "the start without templates gave %d messages, not one\n",
                 dialogs.errors - errorsBefore);
    return 1;
  }
  return shown;
}
