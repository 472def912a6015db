// Scripted dialogs, test data and the main-window fixture of the GUI tests.
#include "app_fixture.h"

#include <QTest>
#include <chrono>
#include <fstream>

#include "picture/picture_writer.h"
#include "templates/render_template.h"

namespace mirelane::testing {

namespace fs = std::filesystem;

namespace {

std::optional<QString> TakeAnswer(std::deque<QString>& answers) {
  if (answers.empty()) return std::nullopt;
  const QString answer = answers.front();
  answers.pop_front();
  if (answer.isNull()) return std::nullopt;
  return std::optional<QString>(answer);
}

}  // namespace

std::optional<QString> ScriptedDialogs::OpenPicture(QWidget*, const QString& title, const QString& nameFilter,
                                                    const QString& folder) {
  openTitles.push_back(title);
  openFolders.push_back(folder);
  openFilters.push_back(nameFilter);
  return TakeAnswer(openAnswers);
}

std::optional<SaveDialogAnswer> ScriptedDialogs::SavePicture(QWidget*, const SaveDialogRequest& request) {
  saveRequests.push_back(request);
  int filter = request.selectedFilter;
  if (!saveFilterAnswers.empty()) {
    filter = saveFilterAnswers.front();
    saveFilterAnswers.pop_front();
  }
  const std::optional<QString> name = TakeAnswer(saveAnswers);
  if (!name) return std::nullopt;
  return SaveDialogAnswer{*name, filter};
}

std::optional<TWebpOptions> ScriptedDialogs::ChooseWebpOptions(QWidget*, const TWebpOptions& initial) {
  webpPresets.push_back(initial);
  if (webpAnswers.empty()) return std::nullopt;
  auto answer = webpAnswers.front();
  webpAnswers.pop_front();
  return answer;
}

std::optional<QColor> ScriptedDialogs::ChooseColor(QWidget*, const QColor& initial) {
  colorPresets.push_back(initial);
  if (colorAnswers.empty()) return std::nullopt;
  auto answer = colorAnswers.front();
  colorAnswers.pop_front();
  return answer;
}

void ScriptedDialogs::ShowError(QWidget*, const QString& caption, const QString& text) {
  errors.emplace_back(caption, text);
  waitCursorAtError.push_back(WaitCursorShown());
  if (whileReported) whileReported();
}

void ScriptedDialogs::ShowWarning(QWidget*, const QString& caption, const QString& text) {
  warnings.emplace_back(caption, text);
  if (whileReported) whileReported();
}

bool ScriptedDialogs::OpenAddress(const QString& address) {
  openedAddresses.push_back(address);
  return browserOpens;
}

TransparentSaveChoice ScriptedDialogs::AskTransparentSave(QWidget*, const QString& fileName) {
  transparentWarnings.push_back(fileName);
  if (transparentAnswers.empty()) return TransparentSaveChoice::KeepFormat;
  const TransparentSaveChoice answer = transparentAnswers.front();
  transparentAnswers.pop_front();
  return answer;
}

bool WaitCursorShown() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

std::unique_ptr<TBitmap32> HalfAndHalf(int32_t width, int32_t height) {
  auto picture = std::make_unique<TBitmap32>(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) picture->PixelAt(x, y) = x < width / 2 ? 0xFFFF0000u : 0xFF0000FFu;
  }
  return picture;
}

void WriteTestPicture(const fs::path& file, const TBitmap32& picture) {
  SavePicture(picture, file.string(), 96);
}

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
}

std::string TemplateText(const std::vector<std::pair<std::string, std::string>>& layers) {
  std::string text = "[Image]\nwidth=100\nheight=75\n";
  int number = 1;
  for (const auto& [type, source] : layers) {
    text += "\n[Layer" + std::to_string(number++) + "]\ntype=" + type + "\nsource=" + source + "\n";
    text += "A.X=30\nA.Y=10\nB.X=70\nB.Y=12\nC.X=70\nC.Y=60\nD.X=30\nD.Y=58\n";
  }
  return text;
}

void AppTest::SetUp() {
  root_ = fs::temp_directory_path() /
          ("mirelane_app_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(root_);
}

void AppTest::TearDown() {
  form_.reset();
  fs::remove_all(root_);
}

void AppTest::MakeStandardData() {
  fs::create_directories(root_ / "Templates");
  fs::create_directories(root_ / "Pics");
  fs::create_directories(root_ / "Data");
  fs::create_directories(root_ / "custom");
  const std::string scene = TemplateText({{"shadow", "none"},
                                          {"reflection", "FRONT"},
                                          {"blurshade", "right"},
                                          {"normal", "FRONT"},
                                          {"normal", "SIDE"}});
  WriteText(root_ / "Templates" / "BOX1.ini", scene);
  WriteText(root_ / "Templates" / "BOX2.ini", scene);
  WriteText(root_ / "Templates" / "CD1.ini", TemplateText({{"normal", "DISC"}}));
  for (const char* name : {"BOX1", "BOX2", "CD1"}) {
    WriteTestPicture(root_ / "Pics" / (std::string(name) + ".jpg"), *HalfAndHalf(40, 30));
  }
  WriteText(root_ / "Data" / "About.dat", "Mirelane Creator\r\nline two\r\n");
  WriteText(root_ / "Data" / "LinkAdr.dat", "https://example.org/mirelane\nignored\n");
  WriteTestPicture(root_ / "Data" / "Logo.jpg", *HalfAndHalf(60, 15));
}

void AppTest::CreateWindow(const std::string& executableName) {
  shell_ = std::make_unique<Shell>(Shell{dialogs_, std::string(kDesignTitle), root_ / executableName, root_});
  form_ = std::make_unique<TForm1>(*shell_, state_, sources_);
  form_->SetRenderer([this](TImgView32& view, int32_t width, int32_t height, RenderContext& context) {
    ++renders_;
    lastWidth_ = width;
    lastHeight_ = height;
    lastRenderedState_ = context.State;
    waitCursorDuringRender_ = WaitCursorShown();
    RenderTemplate(view, width, height, context);
  });
  form_->FormCreate();
}

void AppTest::ClickMouseUp(QWidget* widget) {
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

}  // namespace mirelane::testing
