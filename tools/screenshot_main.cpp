// Grabs pictures of the application's windows for tools/screenshot.sh: the main window after
// rendering the first template with the sample artwork, and the About window. Not installed.
// Usage: mirelane-creator-screenshot OUTPUT.png EXAMPLES_FOLDER
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/about_window.h"
#include "app/application_start.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/shell.h"
#include "compose/layer_source.h"

namespace {

// No one answers dialogs here: errors go to the terminal and every question is cancelled.
class ConsoleDialogs : public mirelane::Dialogs {
 public:
  std::optional<QString> OpenPicture(QWidget*, const QString&, const QString&) override {
    return std::nullopt;
  }
  std::optional<mirelane::SaveDialogAnswer> SavePicture(QWidget*,
                                                        const mirelane::SaveDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<mirelane::TWebpOptions> ChooseWebpOptions(QWidget*, const mirelane::TWebpOptions&) override {
    return std::nullopt;
  }
  std::optional<QColor> ChooseColor(QWidget*, const QColor&) override { return std::nullopt; }
  void ShowError(QWidget*, const QString& caption, const QString& text) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    ++errors;
  }
  void OpenAddress(const QString&) override {}
  int errors = 0;
};

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// Puts every sample picture whose name is a slot keyword (front.png, disc2.jpg, ...) into its slot.
void FillSlotsFromExamples(const std::filesystem::path& folder, mirelane::LayerSources& sources) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file()) continue;
    const mirelane::SourceIndex slot = mirelane::SourceIndexOf(Lower(entry.path().stem().string()));
    if (slot < 1) continue;
    sources[slot].PicturePath = entry.path().string();
    sources[slot].UseColor = false;
    std::printf("slot %s: %s\n", std::string(mirelane::SourceKeyword(slot)).c_str(), entry.path().c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
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
  return mirelane::RunApplication(
      dialogs, executable,
      [&](mirelane::TForm1& mainWindow, mirelane::TForm2& aboutWindow, mirelane::LayerSources& sources) {
        FillSlotsFromExamples(examples, sources);
        // The panel shows slot 1 as a user who had just chosen it would see it.
        mainWindow.LayerSourceUpDownClick();
        mainWindow.ApplyTempButtonClick();
        QApplication::processEvents();
        if (!mainWindow.grab().save(QString::fromStdString(output.string()))) {
          std::fprintf(stderr, "cannot write %s\n", output.c_str());
          return 1;
        }
        aboutWindow.show();
        QApplication::processEvents();
        const std::filesystem::path aboutOutput =
            output.parent_path() / (output.stem().string() + "-about.png");
        aboutWindow.grab().save(QString::fromStdString(aboutOutput.string()));
        aboutWindow.AboutPageControl->setCurrentIndex(1);
        QApplication::processEvents();
        const std::filesystem::path librariesOutput =
            output.parent_path() / (output.stem().string() + "-libraries.png");
        aboutWindow.grab().save(QString::fromStdString(librariesOutput.string()));
        std::printf("%s\n%s\n%s\n", output.c_str(), aboutOutput.c_str(), librariesOutput.c_str());
        return dialogs.errors == 0 ? 0 : 1;
      });
}
