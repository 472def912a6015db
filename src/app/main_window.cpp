// The main window: start-up set-up, remembered settings, undo, the setting handler and the panels'
// operations.
#include "app/main_window.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/about_window.h"
#include "app/busy_work.h"
#include "app/controls.h"
#include "app/designer_dialog.h"
#include "app/dialogs.h"
#include "app/img_view_widget.h"
#include "app/picture_io.h"
#include "app/remembered_settings.h"
#include "app/resampler_lists.h"
#include "app/setting_controls.h"
#include "app/shell.h"
#include "app/shell_text.h"
#include "compose/editing_settings.h"
#include "raster/error.h"
#include "templates/finished_shot.h"
#include "templates/template_catalogue.h"

namespace mirelane {

TForm1::TForm1(Shell& shell, EditingState& state, LayerSources& sources, QWidget* parent)
    : QWidget(parent), shell_(shell), state_(state), sources_(sources), renderer_(&RenderTemplate) {
  setWindowTitle(QString::fromUtf8(kDesignTitle.data(), static_cast<qsizetype>(kDesignTitle.size())));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setFont(WindowFont(11));
  CreateControls();
  // The base size holds every control between the menu bar and the status line.
  const int frameHeight = MenuHeight() + StatusHeight();
  setMinimumSize(kClientWidth, kClientHeight + frameHeight);
  resize(kClientWidth, kClientHeight + frameHeight);
  LayOut();  // a hidden window gets no resize event until it is shown
  move(312, 222);
  refitTimer_ = new QTimer(this);
  refitTimer_->setSingleShot(true);
  refitTimer_->setInterval(200);
  connect(refitTimer_, &QTimer::timeout, this, [this] { RunReported(shell_, this, [this] { Rerender(); }); });
  SetToolTips();
  WireEvents();
  SetTabOrder();
  history_.Reset(CurrentSettings());
  ShowUndoState();
  // The first key press goes to the template panel, not to a button that opens a dialog.
  ApplyTempButton->setFocus();
}

TForm1::~TForm1() {
  // The children go after this body; a number field that loses the focus as it goes would still
  // report a change, to a window that is no longer one.
  QObject::disconnect(controls_, nullptr, this, nullptr);
}

TImgView32& TForm1::View() {
  return ImgView->View();
}

QString TForm1::StatusText() const {
  return StatusMessage->text();
}

bool TForm1::StatusIsWarning() const {
  return statusIsWarning_;
}

void TForm1::ShowStatus(const QString& text) {
  statusIsWarning_ = false;
  StatusIcon->hide();
  StatusMessage->setText(text);
  StatusMessage->setToolTip(text);
}

void TForm1::ShowWarnings(const std::vector<std::string>& warnings, const QString& lead) {
  if (warnings.empty()) {
    // A warning stays until the next render that has none; other news stays until replaced.
    if (statusIsWarning_) ShowStatus(QString());
    return;
  }
  QString text = lead + QString::fromStdString(warnings.front());
  if (warnings.size() > 1) text += QStringLiteral(" (and %1 more)").arg(warnings.size() - 1);
  QStringList all;
  for (const std::string& warning : warnings) all << lead + QString::fromStdString(warning);
  statusIsWarning_ = true;
  StatusIcon->show();
  StatusMessage->setText(text);
  StatusMessage->setToolTip(all.join(QLatin1Char('\n')));
}

void TForm1::ShowZoom() {
  FollowScreenScale();
  const double zoom = ImgView->Zoom();
  ZoomLabel->setText(QStringLiteral("%1 %").arg(static_cast<int>(std::lround(zoom * 100))));
  FitButton->setChecked(ImgView->FitMode());
  ActualSizeButton->setChecked(!ImgView->FitMode() && std::abs(zoom - 1.0) < 1e-9);
}

void TForm1::ShowUndoState() {
  UndoButton->setEnabled(history_.CanUndo());
  RedoButton->setEnabled(history_.CanRedo());
  UndoAction->setEnabled(history_.CanUndo());
  RedoAction->setEnabled(history_.CanRedo());
}

void TForm1::WireEvents() {
  connect(SaveButton, &QToolButton::clicked, this, &TForm1::SaveButtonClick);
  connect(AboutToolButton, &QToolButton::clicked, this, &TForm1::AboutToolButtonClick);
  connect(UndoButton, &QToolButton::clicked, this, &TForm1::UndoClick);
  connect(RedoButton, &QToolButton::clicked, this, &TForm1::RedoClick);
  connect(FitButton, &QToolButton::clicked, this, &TForm1::FitClick);
  connect(ActualSizeButton, &QToolButton::clicked, this, &TForm1::ActualSizeClick);
  connect(ImgView, &TImgViewWidget::ZoomChanged, this, &TForm1::ShowZoom);
  connect(TemplateUpDown, &THorizontalUpDown::Click, this, &TForm1::TemplateUpDownClick);
  connect(ApplyTempButton, &QPushButton::clicked, this, &TForm1::ApplyTempButtonClick);
  connect(DesignButton, &QPushButton::clicked, this, &TForm1::DesignButtonClick);
  connect(LayerSourceUpDown, &THorizontalUpDown::Click, this, &TForm1::LayerSourceUpDownClick);
  connect(LayerSourceImg, &TPictureBox::Click, this, &TForm1::LayerSourceImgClick);
  connect(LayerSourceImg, &TPictureBox::FileDropped, this, &TForm1::LayerSourceImgFileDropped);
  connect(LayerSourceColorSelect, &TColorSelect::Change, this, &TForm1::LayerSourceColorSelectChange);
}

void TForm1::FormCreate() {
  RunReported(shell_, this, [this] {
    // An empty, transparent base of the view's visible size and no layers.
    TImgView32& view = View();
    view.SetViewSize(ImgView->width(), ImgView->height());
    view.PrepareBase(view.ViewWidth(), view.ViewHeight());
    view.Layers().Clear();
    // An empty catalogue is said once, here; the window stays usable and Design… can make one.
    if (!TemplateIndexStep()) {
      const std::string message = NoTemplatesMessage(shell_.dataRoot);
      ReportError(shell_, this, message);
      ShowWarnings({message});  // still there once the box is closed
    }
    // The title from the executable's name.
    const std::string title = TitleFromExecutableName(shell_.executablePath.filename().string());
    shell_.title = title;
    setWindowTitle(QString::fromStdString(title));
  });
}

void TForm1::closeEvent(QCloseEvent* event) {
  StoreRemembered();
  // FormClose: the preview goes first, so nothing repaints it while the window closes.
  ImgView->hide();
  event->accept();
}

// Settings kept between runs.

void TForm1::ShowFirstShot() {
  RestoredSettings restored;
  if (shell_.settings != nullptr) {
    QSettings& settings = *shell_.settings;
    restored = RestoreSettings(settings, state_, sources_);
    lastSaveFileName_ = settings.value(QStringLiteral("Folders/LastSaveFile")).toString();
    lastSaveFilter_ = settings.value(QStringLiteral("Folders/LastSaveFilter"), lastSaveFilter_).toInt();
    lastOpenFolder_ = settings.value(QStringLiteral("Folders/LastOpenFolder")).toString();
    webpOptions_.Lossless =
        settings.value(QStringLiteral("Save/WebpLossless"), webpOptions_.Lossless).toBool();
    webpOptions_.Quality =
        std::clamp(settings.value(QStringLiteral("Save/WebpQuality"), webpOptions_.Quality).toInt(), 1, 100);
  }
  if (!restored.Found) {
    const std::filesystem::path examples = FindExamplesFolder(shell_.dataRoot);
    if (examples.empty() || FillSlotsFromExamples(examples, sources_) == 0) return;
  }
  RunReported(shell_, this, [this] {
    ShowSettings();
    Rerender();
  });
  history_.Reset(CurrentSettings());
  ShowUndoState();
  // Said over the window as it now stands: the slots already show their colours.
  if (!restored.GonePictures.empty()) {
    std::string message = "These pictures are gone since the last run; their slots use their colours now:";
    for (const std::string& gone : restored.GonePictures) message += "\n" + gone;
    ReportWarning(shell_, this, message);
  }
}

void TForm1::RestoreWindowGeometry() {
  if (shell_.settings == nullptr) return;
  const QSettings& settings = *shell_.settings;
  if (settings.contains(QStringLiteral("Window/Page")))
    SettingsPageControl->setCurrentIndex(std::clamp(settings.value(QStringLiteral("Window/Page")).toInt(), 0,
                                                    SettingsPageControl->count() - 1));
  if (settings.contains(QStringLiteral("Window/Geometry")))
    restoreGeometry(settings.value(QStringLiteral("Window/Geometry")).toByteArray());
}

void TForm1::StoreRemembered() {
  if (shell_.settings == nullptr) return;
  QSettings& settings = *shell_.settings;
  SettingsSnapshot now = CurrentSettings();
  // A template that failed to apply would show its error again at every start.
  now.State.TemplateIndex = appliedTemplate_;
  StoreSettings(settings, now.State, now.Sources);
  settings.setValue(QStringLiteral("Window/Geometry"), saveGeometry());
  settings.setValue(QStringLiteral("Window/Page"), SettingsPageControl->currentIndex());
  settings.setValue(QStringLiteral("Folders/LastSaveFile"), lastSaveFileName_);
  settings.setValue(QStringLiteral("Folders/LastSaveFilter"), lastSaveFilter_);
  settings.setValue(QStringLiteral("Folders/LastOpenFolder"), lastOpenFolder_);
  settings.setValue(QStringLiteral("Save/WebpLossless"), webpOptions_.Lossless);
  settings.setValue(QStringLiteral("Save/WebpQuality"), webpOptions_.Quality);
  settings.sync();
}

// Undo and redo.

void TForm1::Commit(std::string_view mergeKey) {
  history_.Record(CurrentSettings(), mergeKey);
  ShowUndoState();
}

void TForm1::UndoClick() {
  if (const std::optional<SettingsSnapshot> before = history_.Undo()) ApplySettings(*before);
  ShowUndoState();
}

void TForm1::RedoClick() {
  if (const std::optional<SettingsSnapshot> after = history_.Redo()) ApplySettings(*after);
  ShowUndoState();
}

void TForm1::ApplySettings(const SettingsSnapshot& snapshot) {
  const int32_t shownSlot = state_.CurrentSource;
  state_ = snapshot.State;
  state_.CurrentSource = shownSlot;
  sources_ = snapshot.Sources;
  RunReported(shell_, this, [this] {
    ShowSettings();
    Rerender();
  });
}

void TForm1::ShowSettings() {
  controls_->Show(state_);
  // Each panel that cannot show its file says so; the others and the render still go on.
  RunReported(shell_, this, [this] { ShowTemplatePanel(); });
  RunReported(shell_, this, [this] { ShowCurrentSlot(); });
}

namespace {

// The state of a render at scale times the output size; blur radii are in pixels, so scaled with
// the picture the draft looks like the shot.
EditingState ScaledState(const EditingState& state, double scale) {
  EditingState scaled = state;
  scaled.ReflectionBlur = static_cast<uint8_t>(std::min(255L, std::lround(state.ReflectionBlur * scale)));
  scaled.ShadowBlur = static_cast<uint8_t>(std::min(255L, std::lround(state.ShadowBlur * scale)));
  return scaled;
}

int32_t Scaled(int32_t side, double scale) {
  return std::max(1, static_cast<int32_t>(std::lround(side * scale)));
}

QString SizeText(int32_t width, int32_t height) {
  return QStringLiteral("%1 \u00D7 %2").arg(width).arg(height);
}

}  // namespace

double TForm1::ScreenScale() const {
  if (!ImgView->FitMode()) return 1.0;
  // No larger than a screen needs: the preview is at most the window's size.
  return std::clamp(ImgView->FitZoomFor(QSize(state_.OutputWidth, state_.OutputHeight)), 1.0, 8.0);
}

void TForm1::FollowScreenScale() {
  // While a slider is dragged the release renders anyway.
  if (draftShown_ || View().Bitmap().Empty() || std::abs(ScreenScale() - drawnScale_) < 0.01) return;
  refitTimer_->start();
}

void TForm1::Rerender() {
  const int32_t width = state_.OutputWidth, height = state_.OutputHeight;
  if (designedShot_.empty() && ListCatalogue(shell_.dataRoot, shell_.userData).empty()) {
    View().Layers().Clear();
    View().PrepareBase(0, 0);
    ImgView->SetNominalSize(QSize());
    RenderInfo->clear();
    return;
  }
  const double scale = ScreenScale();
  QElapsedTimer clock;
  clock.start();
  try {
    RenderAt(Scaled(width, scale), Scaled(height, scale), ScaledState(state_, scale), true);
  } catch (...) {
    ImgView->SetNominalSize(QSize());
    RenderInfo->clear();
    throw;
  }
  // Cleared only now: meanwhile the zoom shown still reads the size the preview stands for.
  ImgView->SetNominalSize(scale > 1.0 ? QSize(width, height) : QSize());
  drawnScale_ = scale;
  draftShown_ = false;
  if (designedShot_.empty()) appliedTemplate_ = state_.TemplateIndex;
  const QString time = QStringLiteral("%1 ms").arg(clock.elapsed());
  if (scale > 1.0) {
    RenderInfo->setText(QStringLiteral("Draft at screen size, %1 \u00B7 %2")
                            .arg(SizeText(Scaled(width, scale), Scaled(height, scale)), time));
    RenderInfo->setToolTip(QStringLiteral("The preview is drawn at the size it is shown; Save and Copy "
                                          "make the shot at %1")
                               .arg(SizeText(width, height)));
  } else {
    RenderInfo->setText(QStringLiteral("Rendered in %1").arg(time));
    RenderInfo->setToolTip(QStringLiteral("How long the last preview took to render"));
  }
  ShowWarnings(lastWarnings_);
}

void TForm1::RenderDraft() {
  const int32_t width = state_.OutputWidth;
  const int32_t height = state_.OutputHeight;
  // The preview shows the shot at its zoom; a render at that size is all it can show.
  const double scale = std::min(1.0, ImgView->Zoom());
  ImgView->SetNominalSize(QSize(width, height));
  draftShown_ = true;
  try {
    RenderAt(Scaled(width, scale), Scaled(height, scale), ScaledState(state_, scale), false);
  } catch (const std::exception&) {
    // The render at the release meets the same error and reports it once.
  }
}

void TForm1::RenderAt(int32_t width, int32_t height, const EditingState& state, bool busy) {
  TImgView32& view = View();
  RenderContext context{state, sources_, shell_.dataRoot};
  context.UserData = shell_.userData;
  context.ShotText = designedShot_;
  lastWarnings_.clear();
  WaitCursor wait;
  try {
    if (busy) {
      // The preview keeps its last picture while the stack is rebuilt on the worker thread.
      ImgView->SetFrozen(true);
      RunBusy(this, QStringLiteral("Rendering the shot..."),
              [&] { renderer_(view, width, height, context); });
      ImgView->SetFrozen(false);
    } else {
      renderer_(view, width, height, context);
    }
    lastWarnings_ = context.Warnings;
  } catch (...) {
    ImgView->SetFrozen(false);
    throw;
  }
}

void TForm1::StoreAndRerender(const std::function<void()>& store) {
  RunReported(shell_, this, [&] {
    store();
    Rerender();
  });
  Commit();
}

void TForm1::ToggleLayers(LayerGroup group, bool visible) {
  WaitCursor wait;
  TLayerCollection& layers = View().Layers();
  for (int i = 0; i < layers.Count(); ++i)
    if (layers[i].Group() == group) layers[i].SetVisible(visible);
}

// Template panel.

void TForm1::TemplateUpDownClick() {
  // Paging applies the template shown at once; unreadable ones are stepped over in the direction
  // of the click, and the status line says which and why.
  designedShot_.clear();
  const int direction = TemplateUpDown->Position() >= state_.TemplateIndex ? +1 : -1;
  std::vector<std::string> skipped;
  while (true) {
    const std::vector<CatalogueEntry> entries = ListCatalogue(shell_.dataRoot, shell_.userData);
    const int position = TemplateUpDown->Position();
    if (position < 1 || position > static_cast<int>(entries.size())) break;
    const std::string problem = TemplateProblem(entries[static_cast<size_t>(position) - 1]);
    if (problem.empty()) break;
    skipped.push_back(problem);
    const int next = position + direction;
    if (next < 1 || next > static_cast<int>(entries.size())) {
      // Only unreadable templates that way: back to where the click started.
      TemplateUpDown->SetPosition(state_.TemplateIndex);
      break;
    }
    TemplateUpDown->SetPosition(next);
  }
  RunReported(shell_, this, [this] {
    TemplateIndexStep();
    Rerender();
  });
  if (!skipped.empty()) ShowWarnings(skipped, QStringLiteral("Skipped: "));
  Commit();
}

bool TForm1::TemplateIndexStep() {
  // The stepper ends at the last template listed now: the folder may have changed since the
  // previous listing.
  const std::vector<CatalogueEntry> entries = ListCatalogue(shell_.dataRoot, shell_.userData);
  const auto count = static_cast<int>(entries.size());
  TemplateUpDown->SetRange(1, std::max(1, count));
  TemplateUpDown->setEnabled(count > 1);
  ApplyTempButton->setEnabled(count > 0);
  if (count == 0) {
    SetWrappedCaption(TemplateCaption, QStringLiteral("No templates"), 19);
    TemplateImage->SetPicture(TemplatePlaceholder(QSize(120, 90), false));
    TemplateImage->setToolTip(QString::fromStdString(NoTemplatesMessage(shell_.dataRoot)));
    return false;
  }
  state_.TemplateIndex = TemplateUpDown->Position();
  const CatalogueEntry& entry = entries[static_cast<size_t>(state_.TemplateIndex) - 1];
  SetWrappedCaption(TemplateCaption, QString::fromStdString(entry.Name), 19);
  // An unreadable template shows a warning sign with the reason; a missing preview only a frame.
  const std::string problem = TemplateProblem(entry);
  QImage preview;
  if (problem.empty()) {
    try {
      preview = ReadPictureImage(entry.PreviewPath);
    } catch (const std::exception&) {
    }
  }
  TemplateImage->SetPicture(preview.isNull() ? TemplatePlaceholder(QSize(120, 90), !problem.empty())
                                             : preview);
  TemplateImage->setToolTip(problem.empty()
                                ? (preview.isNull() ? QStringLiteral("This template has no preview picture")
                                                    : QStringLiteral("Preview of the template shown"))
                                : QString::fromStdString(problem));
  return true;
}

void TForm1::DesignButtonClick() {
  // The designed canvas takes the proportions of the size fields.
  TDesignDialog dialog(shell_, state_, sources_, this);
  connect(&dialog, &TDesignDialog::TemplateSaved, this, &TForm1::ShowSavedTemplate);
  connect(&dialog, &TDesignDialog::ShotUsed, this,
          [this, &dialog](const QString& text) { UseDesignedShot(text, dialog.Preview->Picture()); });
  dialog.exec();
}

void TForm1::ShowSavedTemplate(const QString& name) {
  // The saved template becomes the current one, and the preview its shot.
  const std::vector<CatalogueEntry> entries = ListCatalogue(shell_.dataRoot, shell_.userData);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].UserOwn || QString::fromStdString(entries[i].Name) != name) continue;
    designedShot_.clear();
    TemplateUpDown->SetRange(1, static_cast<int>(entries.size()));
    TemplateUpDown->SetPosition(static_cast<int>(i) + 1);
    RunReported(shell_, this, [this] {
      TemplateIndexStep();
      Rerender();
    });
    Commit();
    return;
  }
}

void TForm1::UseDesignedShot(const QString& text, const QImage& preview) {
  designedShot_ = text.toStdString();
  SetWrappedCaption(TemplateCaption, QStringLiteral("Designed shot"), 19);
  TemplateImage->SetPicture(preview.isNull() ? TemplatePlaceholder(QSize(120, 90), false) : preview);
  TemplateImage->setToolTip(
      QStringLiteral("The shot from the designer, not saved as a template; a template chosen replaces it"));
  ApplyTempButton->setEnabled(true);
  RunReported(shell_, this, [this] { Rerender(); });
}

void TForm1::ShowTemplatePanel() {
  if (!designedShot_.empty()) return;
  const auto count = static_cast<int>(ListCatalogue(shell_.dataRoot, shell_.userData).size());
  TemplateUpDown->SetRange(1, std::max(1, count));
  TemplateUpDown->SetPosition(state_.TemplateIndex);
  TemplateIndexStep();
}

void TForm1::ApplyTempButtonClick() {
  RunReported(shell_, this, [this] { Rerender(); });
}

// Layer source panel.

void TForm1::LayerSourceUpDownClick() {
  RunReported(shell_, this, [this] {
    state_.CurrentSource = LayerSourceUpDown->Position();
    const std::string_view caption = SourceCaption(state_.CurrentSource);
    LayerSourceCaption->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    ShowCurrentSlot();
  });
}

void TForm1::OpenArtwork(const QString& fileName) {
  constexpr SourceIndex kFront = 2;
  LayerSourceUpDown->SetPosition(kFront);
  LayerSourceUpDownClick();
  LoadSlotPicture(fileName);
}

void TForm1::ShowCurrentSlot() {
  const LayerSource& slot = sources_[state_.CurrentSource];
  // Read first: a picture that cannot be read leaves the panel as it was.
  if (slot.UseColor || slot.PicturePath.empty()) {
    LayerSourceImg->ClearPicture();
    LayerSourceImg->setToolTip(kSlotPictureTip);
  } else {
    LayerSourceImg->SetPicture(ReadSlotThumbnail(slot.PicturePath));
  }
  LayerSourceColorSelect->SetColorValue(slot.Color);
  LayerSourcePanel->SetCaptionFill(QColorFromTColor(slot.Color));
}

QImage TForm1::ReadSlotThumbnail(const std::string& file) {
  // The panel shows a small picture; what a large one would keep in memory is given back at once.
  constexpr int kThumbnailSide = 512;
  QImage picture;
  TColourNote colour;
  lastColourWarning_.clear();
  // A large picture takes seconds to decode: the window shows that it is busy meanwhile.
  NamingFile(file, [&] {
    RunBusy(
        this, QStringLiteral("Loading %1...").arg(QStringFromPath(std::filesystem::path(file).filename())),
        [&] {
          picture = ReadPictureImage(file, &colour);
          if (picture.width() > kThumbnailSide || picture.height() > kThumbnailSide) {
            picture =
                picture.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
          }
        });
  });
  LayerSourceImg->setToolTip(kSlotPictureTip + QStringLiteral("\n\n") + ColourNoteText(colour));
  lastColourWarning_ = QString::fromStdString(colour.Warning);
  return picture;
}

void TForm1::LayerSourceImgClick() {
  const std::optional<QString> file = shell_.dialogs.OpenPicture(this, QStringLiteral("Choose Picture"),
                                                                 PictureOpenFilter(), lastOpenFolder_);
  if (!file) return;
  lastOpenFolder_ = QFileInfo(*file).absolutePath();
  LoadSlotPicture(*file);
}

void TForm1::LayerSourceImgFileDropped(const QString& fileName) {
  LoadSlotPicture(fileName);
}

void TForm1::LoadSlotPicture(const QString& fileName) {
  RunReported(shell_, this, [&] {
    LayerSource& slot = sources_[state_.CurrentSource];
    slot.PicturePath = PathFromQString(fileName).string();
    LayerSourceImg->SetPicture(ReadSlotThumbnail(slot.PicturePath));
    slot.UseColor = false;
    Rerender();
  });
  // A profile passed over is said once, when the picture is chosen; the tooltip keeps saying it.
  if (!lastColourWarning_.isEmpty())
    shell_.dialogs.ShowError(this, QString::fromStdString(shell_.title), lastColourWarning_);
  Commit();
}

void TForm1::LayerSourceColorSelectChange() {
  StoreAndRerender([this] {
    LayerSource& slot = sources_[state_.CurrentSource];
    slot.Color = LayerSourceColorSelect->ColorValue();
    slot.UseColor = true;
    ShowCurrentSlot();
  });
}

// Setting controls.

void TForm1::SettingChanged(const EditingSetting* setting, int64_t value, bool finished) {
  setting->Set(state_, value);
  if (!finished) {
    // While a slider is dragged: drafts at the preview's size; the release renders in full.
    RenderDraft();
    return;
  }
  switch (setting->Effect) {
    case SettingEffect::Render:
      RunReported(shell_, this, [this] { Rerender(); });
      break;
    case SettingEffect::SaveOnly:
      break;
    case SettingEffect::ShowReflections:
      ToggleLayers(LayerGroup::Reflection, value != 0);
      break;
    case SettingEffect::ShowShadow:
      ToggleLayers(LayerGroup::Shadow, value != 0);
      break;
  }
  // Typing into a number field is one step of undo, not one per digit.
  Commit(setting->Place == SettingPlace::OutputSize ? setting->Range.Name : std::string_view());
}

// Tool bar.

void TForm1::FitClick() {
  ImgView->SetFit();
  ShowZoom();
}

void TForm1::ActualSizeClick() {
  ImgView->SetZoom(1.0);
  ShowZoom();
}

void TForm1::AboutToolButtonClick() {
  if (aboutWindow_ == nullptr) return;
  aboutWindow_->ShowCentredOn(this);
}

}  // namespace mirelane
