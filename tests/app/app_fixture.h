// Shared set-up of the GUI tests: a temporary data root with small templates, preview pictures
// and About files, scripted dialogs, and a main window that counts its renders.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QCursor>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/about_window.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/setting_controls.h"
#include "app/shell.h"
#include "compose/editing_state.h"
#include "compose/layer_source.h"
#include "raster/bitmap32.h"

namespace mirelane::testing {

// Answers every dialog from a script and records what was asked.
class ScriptedDialogs : public Dialogs {
 public:
  std::optional<QString> OpenPicture(QWidget*, const QString& title, const QString& nameFilter,
                                     const QString& folder) override;
  std::optional<SaveDialogAnswer> SavePicture(QWidget*, const SaveDialogRequest& request) override;
  std::optional<TWebpOptions> ChooseWebpOptions(QWidget*, const TWebpOptions& initial) override;
  TransparentSaveChoice AskTransparentSave(QWidget*, const QString& fileName) override;
  std::optional<QColor> ChooseColor(QWidget*, const QColor& initial) override;
  void ShowError(QWidget*, const QString& caption, const QString& text) override;
  void ShowWarning(QWidget*, const QString& caption, const QString& text) override;
  bool OpenAddress(const QString& address) override;

  // A null QString stands for the user cancelling; an empty script cancels too.
  std::deque<QString> openAnswers;
  std::deque<QString> saveAnswers;
  // The filter chosen with each save answer; without one the proposed filter is kept.
  std::deque<int> saveFilterAnswers;
  std::deque<std::optional<QColor>> colorAnswers;
  std::deque<std::optional<TWebpOptions>> webpAnswers;
  // Answers to the transparent-save warning; without one the user keeps the chosen format.
  std::deque<TransparentSaveChoice> transparentAnswers;
  bool browserOpens = true;
  // Runs while an error or warning box is up, to see the window behind it.
  std::function<void()> whileReported;

  std::vector<std::pair<QString, QString>> errors;    // caption, text
  std::vector<std::pair<QString, QString>> warnings;  // caption, text
  std::vector<bool> waitCursorAtError;                // was the wait cursor still set when reported
  std::vector<QString> openTitles;
  std::vector<QString> openFilters;
  std::vector<QString> openFolders;
  std::vector<QString> transparentWarnings;  // the file name each warning named
  std::vector<SaveDialogRequest> saveRequests;
  std::vector<TWebpOptions> webpPresets;
  std::vector<QColor> colorPresets;
  std::vector<QString> openedAddresses;
};

// True while the application-wide cursor is the wait cursor.
bool WaitCursorShown();

// A small opaque test picture: left half red, right half blue.
std::unique_ptr<TBitmap32> HalfAndHalf(int32_t width, int32_t height);
void WriteTestPicture(const std::filesystem::path& file, const TBitmap32& picture);
void WriteText(const std::filesystem::path& file, const std::string& text);

// A template of a 100 x 75 canvas with the given layers, each "type source" on the same face.
std::string TemplateText(const std::vector<std::pair<std::string, std::string>>& layers);

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The standard data root: BOX1, BOX2 and CD1 with previews, and the three About files.
  void MakeStandardData();
  // Creates the window with its set-up, counting renders.
  void CreateWindow(const std::string& executableName = "mirelane-creator");
  void ClickMouseUp(QWidget* widget);

  std::filesystem::path root_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<Shell> shell_;
  EditingState state_;
  LayerSources sources_;
  std::unique_ptr<TForm1> form_;
  int renders_ = 0;
  int32_t lastWidth_ = 0;
  int32_t lastHeight_ = 0;
  EditingState lastRenderedState_;  // the state the last render read
  bool waitCursorDuringRender_ = false;
};

}  // namespace mirelane::testing
