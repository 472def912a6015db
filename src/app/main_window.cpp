// The main window: layout of its controls, start-up set-up and the event operations.
#include "app/main_window.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
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

namespace mirelane {

namespace {

const QString kSlotPictureTip = QStringLiteral(
    "Click, press Enter or Space, or drop a picture file here to give this slot a picture (Ctrl+O)");

constexpr int kSettingsTop = 416;

QFont PixelFont(const QFont& base, int pixelSize) {
  QFont font = base;
  font.setPixelSize(pixelSize);
  return font;
}

QFrame* AddRaisedFrame(QWidget* parent, int left, int top, int width, int height) {
  auto* frame = new QFrame(parent);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setGeometry(left, top, width, height);
  return frame;
}

}  // namespace

TForm1::TForm1(Shell& shell, EditingState& state, LayerSources& sources, QWidget* parent)
    : QWidget(parent), shell_(shell), state_(state), sources_(sources), renderer_(&RenderTemplate) {
  setWindowTitle(QString::fromUtf8(kDesignTitle.data(), static_cast<qsizetype>(kDesignTitle.size())));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setMinimumSize(kClientWidth, kClientHeight);
  resize(kClientWidth, kClientHeight);
  move(312, 222);
  setFont(WindowFont(11));
  CreateControls();
  SetToolTips();
  WireEvents();
  SetTabOrder();
  history_.Reset(CurrentSettings());
  ShowUndoState();
}

TForm1::~TForm1() = default;

TImgView32& TForm1::View() {
  return ImgView->View();
}

QLabel* TForm1::AddLabel(QWidget* parent, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->adjustSize();
  label->move(left, top);
  return label;
}

void TForm1::CreateControls() {
  sToolBar1 = new QToolBar(this);
  sToolBar1->setGeometry(0, 0, kClientWidth, 49);
  sToolBar1->setMovable(false);
  sToolBar1->setIconSize(QSize(16, 16));
  sToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  SaveButton = new QToolButton(sToolBar1);
  SaveButton->setText(QStringLiteral("Save picture"));
  SaveButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  SaveButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  // 67 x 36 unless the caption needs more in the font at hand.
  SaveButton->setFixedSize(std::max(67, SaveButton->fontMetrics().horizontalAdvance(SaveButton->text()) + 10),
                           36);
  sToolBar1->addWidget(SaveButton);
  AboutToolButton = new QToolButton(sToolBar1);
  AboutToolButton->setText(QStringLiteral("About..."));
  AboutToolButton->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
  AboutToolButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  AboutToolButton->setFixedSize(67, 36);
  sToolBar1->addWidget(AboutToolButton);
  CreateToolButtons();

  TemplatePanel = new QFrame(this);
  TemplatePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  TemplatePanel->setGeometry(8, 64, 153, 249);
  TemplateCaption = new QLabel(QStringLiteral("BOX1"), TemplatePanel);
  TemplateCaption->setFont(PixelFont(font(), 19));
  // Two lines of the full size fit above the bevel.
  TemplateCaption->setGeometry(8, 4, 137, 48);
  TemplateBevel = AddRaisedFrame(TemplatePanel, 8, 56, 137, 185);
  TemplateImage = new TPictureBox(TemplatePanel);
  TemplateImage->setGeometry(16, 104, 120, 90);
  ApplyTempButton = new QPushButton(QStringLiteral("APPLY >>"), TemplatePanel);
  ApplyTempButton->setGeometry(40, 208, 99, 25);
  TemplateUpDown = new THorizontalUpDown(1, 1, 1, this);
  TemplateUpDown->setGeometry(8, 320, 153, 33);
  DesignButton = new QPushButton(QStringLiteral("Design") + QChar(0x2026), this);
  DesignButton->setGeometry(8, 362, 153, 25);
  DesignButton->setToolTip(
      QStringLiteral("Design a shot of your own: a box, book, case, disc or card, turned and "
                     "tilted, in your artwork's proportions"));

  ImgView = new TImgViewWidget(this);
  ImgView->setGeometry(168, 64, 297, 297);

  LayerSourcePanel = new TCaptionPanel(QStringLiteral("Click to load image"), this);
  LayerSourcePanel->setFont(PixelFont(font(), 15));
  LayerSourcePanel->setGeometry(472, 64, 153, 249);
  LayerSourceCaption = new QLabel(QStringLiteral("BACKGROUND"), LayerSourcePanel);
  LayerSourceCaption->setFont(PixelFont(font(), 19));
  LayerSourceCaption->setGeometry(8, 16, 137, 24);
  LayerSourceBevel = AddRaisedFrame(LayerSourcePanel, 8, 56, 137, 129);
  LayerSourceBevel->setAttribute(Qt::WA_TransparentForMouseEvents);
  LayerSourceImg = new TPictureBox(LayerSourcePanel);
  LayerSourceImg->setGeometry(16, 64, 121, 113);
  LayerSourceImg->setCursor(Qt::PointingHandCursor);
  LayerSourceImg->setToolTip(kSlotPictureTip);
  LayerSourceImg->SetAcceptsFiles(true);
  // Reachable by Tab like any other control; Enter or Space opens the chooser.
  LayerSourceImg->setFocusPolicy(Qt::StrongFocus);
  // The bevel is drawn first, so the picture area stays above it.
  LayerSourceImg->raise();
  LayerSourcePanel->SetCaptionArea(LayerSourceImg->geometry());
  connect(LayerSourceImg, &TPictureBox::PictureChanged, this,
          [this] { LayerSourcePanel->SetCaptionShown(LayerSourceImg->Picture().isNull()); });
  LayerSourceColorSelect = new TColorSelect(shell_.dialogs, 40, sources_[1].Color, LayerSourcePanel);
  LayerSourceColorSelect->setGeometry(48, 192, 57, 49);
  LayerSourcePanel->SetCaptionFill(QColorFromTColor(sources_[1].Color));
  LayerSourceUpDown = new THorizontalUpDown(1, kSourceCount, 1, this);
  LayerSourceUpDown->setGeometry(472, 320, 153, 33);

  sPanel2 = new QFrame(this);
  sPanel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  sPanel2->setGeometry(168, 360, 297, 57);
  OptionsPanel = new QWidget(this);
  // The effect pages start right below the boxes and would take the clicks of whatever overlaps them.
  OptionsPanel->setGeometry(480, 357, 145, kSettingsTop - 357);

  SettingsPageControl = new QTabWidget(this);
  SettingsPageControl->setGeometry(0, kSettingsTop, kClientWidth, 105);
  ReflectionPage = new QWidget;
  ShadowPage = new QWidget;
  ObjectPage = new QWidget;
  SettingsPageControl->addTab(ReflectionPage, QStringLiteral("Reflection"));
  SettingsPageControl->addTab(ShadowPage, QStringLiteral("Shadow"));
  SettingsPageControl->addTab(ObjectPage, QStringLiteral("Object"));
  SettingsPageControl->setCurrentWidget(ObjectPage);

  controls_ = new SettingControls(shell_.dialogs, state_,
                                  {sPanel2, OptionsPanel, ReflectionPage, ShadowPage, ObjectPage}, this);
  connect(controls_, &SettingControls::Changed, this, &TForm1::SettingChanged);
  auto* resamplerLists = new ResamplerListBoxes(this, View());
  ResamplerClassNamesList = resamplerLists->Resamplers();
  KernelClassNamesList = resamplerLists->Kernels();

  Place(sToolBar1, false, false, true, false);
  Place(ImgView, false, false, true, true);
  Place(LayerSourcePanel, true, false, false, false);
  Place(LayerSourceUpDown, true, false, false, false);
  Place(sPanel2, false, true, true, false);
  Place(OptionsPanel, true, true, false, false);
  Place(SettingsPageControl, false, true, true, false);
}

void TForm1::CreateToolButtons() {
  const auto addButton = [this](const QString& text, QStyle::StandardPixmap icon, const QString& tip) {
    auto* button = new QToolButton(sToolBar1);
    button->setText(text);
    button->setIcon(style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(std::max(67, button->fontMetrics().horizontalAdvance(text) + 10), 36);
    button->setToolTip(tip);
    sToolBar1->addWidget(button);
    return button;
  };
  sToolBar1->addSeparator();
  UndoButton = addButton(QStringLiteral("Undo"), QStyle::SP_ArrowBack,
                         QStringLiteral("Undo the last change (Ctrl+Z)"));
  RedoButton = addButton(QStringLiteral("Redo"), QStyle::SP_ArrowForward,
                         QStringLiteral("Redo the change undone (Ctrl+Shift+Z)"));
  sToolBar1->addSeparator();
  FitButton = addButton(QStringLiteral("Fit"), QStyle::SP_TitleBarMaxButton,
                        QStringLiteral("Show the whole shot as large as the preview allows (Ctrl+0)"));
  ActualSizeButton = addButton(QStringLiteral("100 %"), QStyle::SP_TitleBarNormalButton,
                               QStringLiteral("Show the shot pixel for pixel (Ctrl+1); Ctrl+wheel zooms"));
  FitButton->setCheckable(true);
  ActualSizeButton->setCheckable(true);
  ZoomLabel = new QLabel(sToolBar1);
  ZoomLabel->setToolTip(QStringLiteral("The preview's zoom; Ctrl+wheel over the preview zooms in and out"));
  ZoomLabel->setMinimumWidth(60);
  ZoomLabel->setAlignment(Qt::AlignCenter);
  sToolBar1->addWidget(ZoomLabel);
  SaveButton->setToolTip(
      QStringLiteral("Save the shot as a picture file (Ctrl+Shift+S; Ctrl+S saves again)"));
  AboutToolButton->setToolTip(QStringLiteral("About this program and the libraries it uses"));
}

void TForm1::SetToolTips() {
  const auto tip = [](QWidget* widget, const QString& text) { widget->setToolTip(text); };
  tip(TemplateImage, QStringLiteral("Preview of the template shown"));
  tip(ApplyTempButton, QStringLiteral("Render the shot with this template"));
  tip(TemplateUpDown->PreviousButton(), QStringLiteral("Previous template; the shot follows at once"));
  tip(TemplateUpDown->NextButton(), QStringLiteral("Next template; the shot follows at once"));
  tip(ImgView, QStringLiteral("The shot; Ctrl+wheel zooms, Ctrl+0 fits it, Ctrl+1 shows it at 100 %"));
  tip(LayerSourceColorSelect, QStringLiteral("Give this slot a solid colour instead of a picture"));
  tip(LayerSourceUpDown->PreviousButton(), QStringLiteral("Previous layer source slot"));
  tip(LayerSourceUpDown->NextButton(), QStringLiteral("Next layer source slot"));
}

void TForm1::Place(QWidget* widget, bool followRight, bool followBottom, bool growWidth, bool growHeight) {
  placements_.push_back({widget, widget->geometry(), followRight, followBottom, growWidth, growHeight});
}

void TForm1::LayOut() {
  const int extraWidth = std::max(0, width() - kClientWidth);
  const int extraHeight = std::max(0, height() - kClientHeight);
  for (const Placement& p : placements_) {
    QRect r = p.design;
    if (p.followRight) r.translate(extraWidth, 0);
    if (p.followBottom) r.translate(0, extraHeight);
    if (p.growWidth) r.setWidth(r.width() + extraWidth);
    if (p.growHeight) r.setHeight(r.height() + extraHeight);
    p.widget->setGeometry(r);
  }
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void TForm1::SetTabOrder() {
  // Top left to bottom right: the template panel, the layer source panel, the size fields and
  // boxes, then the effect pages.
  std::vector<QWidget*> order = {ApplyTempButton,
                                 TemplateUpDown->PreviousButton(),
                                 TemplateUpDown->NextButton(),
                                 LayerSourceImg,
                                 LayerSourceColorSelect,
                                 LayerSourceUpDown->PreviousButton(),
                                 LayerSourceUpDown->NextButton()};
  for (SettingPlace place : {SettingPlace::OutputSize, SettingPlace::Options}) {
    const std::vector<QWidget*> controls = controls_->TabOrder(place);
    order.insert(order.end(), controls.begin(), controls.end());
  }
  order.push_back(SettingsPageControl);
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TForm1::ShowZoom() {
  const double zoom = ImgView->Zoom();
  ZoomLabel->setText(QStringLiteral("%1 %").arg(static_cast<int>(std::lround(zoom * 100))));
  FitButton->setChecked(ImgView->FitMode());
  ActualSizeButton->setChecked(!ImgView->FitMode() && std::abs(zoom - 1.0) < 1e-9);
}

void TForm1::ShowUndoState() {
  UndoButton->setEnabled(history_.CanUndo());
  RedoButton->setEnabled(history_.CanRedo());
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
  const auto addShortcut = [this](QKeySequence keys, void (TForm1::*operation)()) {
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this, operation);
  };
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveAgainClick);
  addShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &TForm1::SaveButtonClick);
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::LayerSourceImgClick);
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_C), &TForm1::CopyClick);
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm1::UndoClick);
  addShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TForm1::RedoClick);
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &TForm1::RedoClick);
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), &TForm1::FitClick);
  addShortcut(QKeySequence(Qt::CTRL | Qt::Key_1), &TForm1::ActualSizeClick);
}

void TForm1::FormCreate() {
  RunReported(shell_, this, [this] {
    // An empty, transparent base of the view's visible size and no layers.
    TImgView32& view = View();
    view.SetViewSize(ImgView->width(), ImgView->height());
    view.PrepareBase(view.ViewWidth(), view.ViewHeight());
    view.Layers().Clear();
    // The template panel shows the first template; it throws on an empty listing.
    TemplateIndexStep();
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
    lastSaveFilter_ = settings.value(QStringLiteral("Folders/LastSaveFilter"), 0).toInt();
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
  if (!restored.GonePictures.empty()) {
    std::string message = "These pictures are gone since the last run; their slots use their colours now:";
    for (const std::string& gone : restored.GonePictures) message += "\n" + gone;
    ReportError(shell_, this, message);
  }
  RunReported(shell_, this, [this] {
    ShowSettings();
    Rerender();
  });
  history_.Reset(CurrentSettings());
  ShowUndoState();
}

void TForm1::RestoreWindowGeometry() {
  if (shell_.settings == nullptr || !shell_.settings->contains(QStringLiteral("Window/Geometry"))) return;
  restoreGeometry(shell_.settings->value(QStringLiteral("Window/Geometry")).toByteArray());
}

void TForm1::StoreRemembered() {
  if (shell_.settings == nullptr) return;
  QSettings& settings = *shell_.settings;
  const SettingsSnapshot now = CurrentSettings();
  StoreSettings(settings, now.State, now.Sources);
  settings.setValue(QStringLiteral("Window/Geometry"), saveGeometry());
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

void TForm1::Rerender() {
  ImgView->SetNominalSize(QSize());
  RenderAt(state_.OutputWidth, state_.OutputHeight, state_, true);
}

void TForm1::RenderDraft() {
  const int32_t width = state_.OutputWidth;
  const int32_t height = state_.OutputHeight;
  // The preview shows the shot at its zoom; a render at that size is all it can show.
  const double scale = std::min(1.0, ImgView->Zoom());
  const int32_t draftWidth = std::max(1, static_cast<int32_t>(std::lround(width * scale)));
  const int32_t draftHeight = std::max(1, static_cast<int32_t>(std::lround(height * scale)));
  EditingState draft = state_;
  // Blur radii are in pixels: scaled with the picture, the draft looks like the shot.
  draft.ReflectionBlur = static_cast<uint8_t>(std::lround(state_.ReflectionBlur * scale));
  draft.ShadowBlur = static_cast<uint8_t>(std::lround(state_.ShadowBlur * scale));
  ImgView->SetNominalSize(QSize(width, height));
  try {
    RenderAt(draftWidth, draftHeight, draft, false);
  } catch (const std::exception&) {
    // The render at the release meets the same error and reports it once.
  }
}

void TForm1::RenderAt(int32_t width, int32_t height, const EditingState& state, bool busy) {
  TImgView32& view = View();
  RenderContext context{state, sources_, shell_.dataRoot};
  context.UserData = shell_.userData;
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
  // Paging applies the template shown at once.
  RunReported(shell_, this, [this] {
    TemplateIndexStep();
    Rerender();
  });
  Commit();
}

void TForm1::TemplateIndexStep() {
  // The stepper ends at the last template listed now: the folder may have changed since the
  // previous listing. An empty folder keeps one position, whose failure is then reported.
  const auto count = static_cast<int>(ListCatalogue(shell_.dataRoot, shell_.userData).size());
  TemplateUpDown->SetRange(1, std::max(1, count));
  state_.TemplateIndex = TemplateUpDown->Position();
  const TemplateEntry entry = TemplateAt(shell_.dataRoot, state_.TemplateIndex, shell_.userData);
  TemplateImage->SetPicture(ReadPictureImage(entry.PreviewPath));
  SetWrappedCaption(TemplateCaption, QString::fromStdString(entry.Name), 19);
}

void TForm1::DesignButtonClick() {
  // The designed canvas takes the proportions of the size fields.
  TDesignDialog dialog(shell_, state_, sources_, this);
  connect(&dialog, &TDesignDialog::TemplateSaved, this, &TForm1::ShowSavedTemplate);
  dialog.exec();
}

void TForm1::ShowSavedTemplate(const QString& name) {
  RunReported(shell_, this, [&] {
    const std::vector<CatalogueEntry> entries = ListCatalogue(shell_.dataRoot, shell_.userData);
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!entries[i].UserOwn || QString::fromStdString(entries[i].Name) != name) continue;
      TemplateUpDown->SetRange(1, static_cast<int>(entries.size()));
      TemplateUpDown->SetPosition(static_cast<int>(i) + 1);
      TemplateIndexStep();
      return;
    }
  });
}

void TForm1::ShowTemplatePanel() {
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

std::unique_ptr<TBitmap32> TForm1::ShotPicture() {
  return FinishedShot(View(), state_);
}

namespace {

bool HasTransparentParts(const TBitmap32& picture) {
  const TColor32* pixel = picture.Bits();
  for (size_t i = 0; i < picture.PixelCount(); ++i) {
    if (AlphaOf(pixel[i]) != 0xFF) return true;
  }
  return false;
}

// JPEG and BMP files, which the usual viewers show without their alpha.
bool KeepsNoTransparency(const QString& fileName) {
  try {
    const TSaveFormat format = SaveFormatFor(PathFromQString(fileName).string());
    return format == TSaveFormat::Jpeg || format == TSaveFormat::Bmp;
  } catch (const std::exception&) {
    return false;  // no writer takes the name; the save says so
  }
}

QString WithSuffix(const QString& fileName, const QString& suffix) {
  const QFileInfo file(fileName);
  return file.dir().filePath(file.completeBaseName() + u'.' + suffix);
}

}  // namespace

void TForm1::SaveButtonClick() {
  RunReported(shell_, this, [this] { SaveShot(true); });
}

void TForm1::SaveAgainClick() {
  RunReported(shell_, this, [this] { SaveShot(lastSavedFile_.isEmpty()); });
}

std::optional<QString> TForm1::AskSaveName(const TBitmap32& picture) {
  const QStringList filters = {QStringLiteral("JPEG Image File (*.jpg)"),
                               QStringLiteral("PNG Image File (*.png)"), QStringLiteral("Bitmaps (*.bmp)"),
                               QStringLiteral("WebP Image File (*.webp)")};
  constexpr int kPngFilter = 1;
  constexpr int kWebpFilter = 3;
  SaveDialogRequest request;
  request.nameFilters = filters;
  request.selectedFilter = std::clamp(lastSaveFilter_, 0, static_cast<int>(filters.size()) - 1);
  request.defaultSuffix = FilterSuffix(filters[request.selectedFilter]);
  request.proposedFileName = lastSaveFileName_;
  const std::optional<SaveDialogAnswer> answer = shell_.dialogs.SavePicture(this, request);
  if (!answer) return std::nullopt;
  int filter = std::clamp(answer->selectedFilter, 0, static_cast<int>(filters.size()) - 1);
  QString file = WithFilterSuffix(answer->fileName, filters[filter]);
  // JPEG and BMP turn the transparent parts black: say so, and offer the formats that keep them.
  if (KeepsNoTransparency(file) && HasTransparentParts(picture)) {
    switch (shell_.dialogs.AskTransparentSave(this, file)) {
      case TransparentSaveChoice::Cancel:
        return std::nullopt;
      case TransparentSaveChoice::KeepFormat:
        break;
      case TransparentSaveChoice::Png:
        file = WithSuffix(file, QStringLiteral("png"));
        filter = kPngFilter;
        break;
      case TransparentSaveChoice::Webp:
        file = WithSuffix(file, QStringLiteral("webp"));
        filter = kWebpFilter;
        break;
    }
  }
  // The next save starts in the same folder with the same format.
  lastSaveFileName_ = file;
  lastSaveFilter_ = filter;
  return file;
}

void TForm1::SaveShot(bool askName) {
  const std::unique_ptr<TBitmap32> picture = ShotPicture();
  const std::optional<QString> file =
      askName ? AskSaveName(*picture) : std::optional<QString>(lastSavedFile_);
  if (!file) return;
  const std::filesystem::path path = PathFromQString(*file);
  NamingFile(path, [&] {
    TSaveQuality quality;
    if (SaveFormatFor(path.string()) == TSaveFormat::Webp) {
      if (askName) {
        const std::optional<TWebpOptions> choice = shell_.dialogs.ChooseWebpOptions(this, webpOptions_);
        if (!choice) return;
        webpOptions_ = *choice;
      }
      quality.Webp = webpOptions_;
    }
    RunBusy(this, QStringLiteral("Saving %1...").arg(QFileInfo(*file).fileName()),
            [&] { mirelane::SaveShot(*picture, path.string(), state_, quality); });
    lastSavedFile_ = *file;
  });
}

void TForm1::CopyClick() {
  RunReported(shell_, this, [this] {
    const std::unique_ptr<TBitmap32> picture = ShotPicture();
    const QImage image = ImageFromBitmap(*picture);
    auto* data = new QMimeData;
    data->setImageData(image);
    // PNG keeps the alpha for every program that pastes it.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);
  });
}

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
