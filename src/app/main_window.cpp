// The main window: layout of its controls, start-up set-up and the event operations.
#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "app/about_window.h"
#include "app/controls.h"
#include "app/dialogs.h"
#include "app/img_view_widget.h"
#include "app/picture_io.h"
#include "app/shell.h"
#include "app/shell_text.h"
#include "compose/editing_settings.h"
#include "compose/resampler_selection.h"

namespace mirelane {

namespace {

// The size fields' bounds are the settings table's (width and height share them).
const int kMinimumSize = SettingOfField("OutputWidth").Range.Min;
const int kMaximumSize = SettingOfField("OutputWidth").Range.Max;
constexpr int kSettingsTop = 416;

QFont PixelFont(const QFont& base, int pixelSize) {
  QFont font = base;
  font.setPixelSize(pixelSize);
  return font;
}

// A slider over the named setting's range from the settings table.
TTrackBar* AddTrackBar(QWidget* page, int left, int top, int width, int height, std::string_view field,
                       int position) {
  const SettingRange& range = SettingOfField(field).Range;
  auto* bar = new TTrackBar(range.Min, range.Max, position, page);
  bar->setGeometry(left, top, width, height);
  return bar;
}

QCheckBox* AddCheckBox(QWidget* parent, const QString& text, int left, int top, bool checked) {
  auto* box = new QCheckBox(text, parent);
  box->setChecked(checked);
  box->adjustSize();
  box->move(left, top);
  return box;
}

TSpinEdit* AddSpinEdit(QWidget* parent, int left, int top, std::string_view setting, int value) {
  const SettingRange& range = SettingOfField(setting).Range;
  auto* field = new TSpinEdit(range.Min, range.Max, value, parent);
  field->setGeometry(left, top, 49, 21);
  return field;
}

// Lays the boxes one under the other in equal rows filling top to bottom (exclusive).
void StackBoxes(std::initializer_list<QCheckBox*> boxes, int top, int bottom) {
  const int row = (bottom - top) / static_cast<int>(boxes.size());
  for (QCheckBox* box : boxes) {
    box->setGeometry(box->x(), top, box->width(), row);
    top += row;
  }
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
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  move(312, 222);
  setFont(WindowFont(11));
  CreateControls();
  WireEvents();
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
  LayerSourceImg->setToolTip(QStringLiteral("Click or drop a picture file here"));
  LayerSourceImg->SetAcceptsFiles(true);
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
  AddLabel(sPanel2, QStringLiteral("Width:"), 8, 19);
  WidthSpinEdit = AddSpinEdit(sPanel2, 48, 16, "OutputWidth", state_.OutputWidth);
  AddLabel(sPanel2, QStringLiteral("Height:"), 104, 19);
  HeightSpinEdit = AddSpinEdit(sPanel2, 144, 16, "OutputHeight", state_.OutputHeight);
  AddLabel(sPanel2, QStringLiteral("DPI:"), 208, 19);
  DpiSpinEdit = AddSpinEdit(sPanel2, 232, 16, "OutputDpi", state_.OutputDpi);

  TrBckCheckBox =
      AddCheckBox(this, QStringLiteral("Transparent background"), 480, 360, state_.TransparentBackground);
  TrBckCheckBox->setFocusPolicy(Qt::ClickFocus);
  LarDiAreaCheckBox = AddCheckBox(this, QStringLiteral("Large disc area"), 480, 384, state_.LargeDiscArea);
  FlipCheckBox = AddCheckBox(this, QStringLiteral("Flip when saved"), 480, 408, state_.FlipWhenSaved);
  // The effect pages start right below the boxes and would take the clicks of whatever overlaps them.
  StackBoxes({TrBckCheckBox, LarDiAreaCheckBox, FlipCheckBox}, 357, kSettingsTop);

  ResamplerClassNamesList = new QComboBox(this);
  ResamplerClassNamesList->setGeometry(0, 360, 145, 21);
  ResamplerClassNamesList->hide();
  KernelClassNamesList = new QComboBox(this);
  KernelClassNamesList->setGeometry(0, 384, 145, 21);
  KernelClassNamesList->hide();

  SettingsPageControl = new QTabWidget(this);
  SettingsPageControl->setGeometry(0, kSettingsTop, kClientWidth, 105);
  ReflectionPage = new QWidget;
  ShadowPage = new QWidget;
  ObjectPage = new QWidget;
  SettingsPageControl->addTab(ReflectionPage, QStringLiteral("Reflection"));
  SettingsPageControl->addTab(ShadowPage, QStringLiteral("Shadow"));
  SettingsPageControl->addTab(ObjectPage, QStringLiteral("Object"));
  SettingsPageControl->setCurrentWidget(ObjectPage);

  ShowReflectionCheckBox = AddCheckBox(ReflectionPage, QStringLiteral("Show"), 8, 8, state_.ShowReflection);
  FadeReflectionCheckBox = AddCheckBox(ReflectionPage, QStringLiteral("Fade"), 8, 40, state_.ReflectionFade);
  AddLabel(ReflectionPage, QStringLiteral("Opacity"), 112, 8);
  OpacityReflectionTrackBar =
      AddTrackBar(ReflectionPage, 160, 4, 150, 25, "ReflectionOpacity", state_.ReflectionOpacity);
  AddLabel(ReflectionPage, QStringLiteral("Length"), 112, 40);
  ReflectionLengthTrackBar =
      AddTrackBar(ReflectionPage, 160, 35, 150, 25, "ReflectionLength", state_.ReflectionLength);
  AddLabel(ReflectionPage, QStringLiteral("Brightness"), 360, 8);
  ReflectionBrightnessTrackBar =
      AddTrackBar(ReflectionPage, 424, 5, 150, 25, "ReflectionBrightness", state_.ReflectionBrightness);
  AddLabel(ReflectionPage, QStringLiteral("Blur reflections"), 339, 40);
  BlurReflectionTrackBar =
      AddTrackBar(ReflectionPage, 424, 35, 150, 25, "ReflectionBlur", state_.ReflectionBlur);

  ShowShadowCheckBox = AddCheckBox(ShadowPage, QStringLiteral("Show"), 8, 32, state_.ShowShadow);
  AddLabel(ShadowPage, QStringLiteral("Density"), 238, 8);
  ShadowDensityTrackBar = AddTrackBar(ShadowPage, 280, 4, 150, 28, "ShadowDensity", state_.ShadowDensity);
  ShadowColorSelect = new TColorSelect(shell_.dialogs, 25, state_.ShadowColor, ShadowPage);
  ShadowColorSelect->setGeometry(432, 0, 41, 33);
  AddLabel(ShadowPage, QStringLiteral("Blur shadow"), 214, 53);
  BlurShadowTrackBar = AddTrackBar(ShadowPage, 280, 49, 150, 25, "ShadowBlur", state_.ShadowBlur);

  AddLabel(ObjectPage, QStringLiteral("Shading"), 40, 8);
  ObjectShadingTrackBar = AddTrackBar(ObjectPage, 104, 8, 150, 25, "ObjectShading", state_.ObjectShading);
  ObjectShadingColorSelect = new TColorSelect(shell_.dialogs, 25, state_.ShadingColor, ObjectPage);
  ObjectShadingColorSelect->setGeometry(256, 0, 41, 33);
  AddLabel(ObjectPage, QStringLiteral("Highlights"), 40, 48);
  ObjectHighlightTrackBar =
      AddTrackBar(ObjectPage, 104, 48, 150, 25, "ObjectHighlight", state_.ObjectHighlight);
  ObjectHighlightColorSelect = new TColorSelect(shell_.dialogs, 25, state_.HighlightColor, ObjectPage);
  ObjectHighlightColorSelect->setGeometry(256, 40, 41, 33);
}

void TForm1::WireEvents() {
  // A drag stores and renders once, at the release; each key press or wheel turn at once.
  const auto connectSlider = [this](TTrackBar* bar, void (TForm1::*store)()) {
    connect(bar, &TTrackBar::MouseUp, this, store);
    connect(bar, &TTrackBar::KeyOrWheelMove, this, store);
  };
  connect(SaveButton, &QToolButton::clicked, this, &TForm1::SaveButtonClick);
  connect(AboutToolButton, &QToolButton::clicked, this, &TForm1::AboutToolButtonClick);
  connect(TemplateUpDown, &THorizontalUpDown::Click, this, &TForm1::TemplateUpDownClick);
  connect(ApplyTempButton, &QPushButton::clicked, this, &TForm1::ApplyTempButtonClick);
  connect(LayerSourceUpDown, &THorizontalUpDown::Click, this, &TForm1::LayerSourceUpDownClick);
  connect(LayerSourceImg, &TPictureBox::Click, this, &TForm1::LayerSourceImgClick);
  connect(LayerSourceImg, &TPictureBox::FileDropped, this, &TForm1::LayerSourceImgFileDropped);
  connect(LayerSourceColorSelect, &TColorSelect::Change, this, &TForm1::LayerSourceColorSelectChange);
  connect(WidthSpinEdit, &TSpinEdit::Change, this, &TForm1::WidthSpinEditChange);
  connect(HeightSpinEdit, &TSpinEdit::Change, this, &TForm1::HeightSpinEditChange);
  auto* saveShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
  connect(saveShortcut, &QShortcut::activated, this, &TForm1::SaveButtonClick);
  connect(ShowReflectionCheckBox, &QCheckBox::clicked, this, &TForm1::ShowReflectionCheckBoxClick);
  connect(FadeReflectionCheckBox, &QCheckBox::clicked, this, &TForm1::FadeReflectionCheckBoxClick);
  connect(OpacityReflectionTrackBar, &QSlider::valueChanged, this, &TForm1::OpacityReflectionTrackBarChange);
  connectSlider(OpacityReflectionTrackBar, &TForm1::OpacityReflectionTrackBarMouseUp);
  connectSlider(BlurReflectionTrackBar, &TForm1::BlurReflectionTrackBarMouseUp);
  connectSlider(ReflectionBrightnessTrackBar, &TForm1::ReflectionBrightnessTrackBarMouseUp);
  connectSlider(ReflectionLengthTrackBar, &TForm1::ReflectionLengthTrackBarMouseUp);
  connect(ShadowDensityTrackBar, &QSlider::valueChanged, this, &TForm1::ShadowDensityTrackBarChange);
  connectSlider(ShadowDensityTrackBar, &TForm1::ShadowDensityTrackBarMouseUp);
  connect(ShadowColorSelect, &TColorSelect::Change, this, &TForm1::ShadowColorSelectChange);
  connectSlider(BlurShadowTrackBar, &TForm1::BlurShadowTrackBarMouseUp);
  connect(ShowShadowCheckBox, &QCheckBox::clicked, this, &TForm1::ShowShadowCheckBoxClick);
  connect(ObjectShadingTrackBar, &QSlider::valueChanged, this, &TForm1::ObjectShadingTrackBarChange);
  connectSlider(ObjectShadingTrackBar, &TForm1::ObjectShadingTrackBarMouseUp);
  connect(ObjectHighlightTrackBar, &QSlider::valueChanged, this, &TForm1::ObjectHighlightTrackBarChange);
  connectSlider(ObjectHighlightTrackBar, &TForm1::ObjectHighlightTrackBarMouseUp);
  connect(ObjectShadingColorSelect, &TColorSelect::Change, this, &TForm1::ObjectShadingColorSelectChange);
  connect(ObjectHighlightColorSelect, &TColorSelect::Change, this, &TForm1::ObjectHighlightColorSelectChange);
  connect(TrBckCheckBox, &QCheckBox::clicked, this, &TForm1::TrBckCheckBoxClick);
  connect(LarDiAreaCheckBox, &QCheckBox::clicked, this, &TForm1::LarDiAreaCheckBoxClick);
  connect(ResamplerClassNamesList, &QComboBox::activated, this, &TForm1::ResamplerClassNamesListChange);
  connect(KernelClassNamesList, &QComboBox::activated, this, &TForm1::KernelClassNamesListChange);
}

void TForm1::FormCreate() {
  RunReported(shell_, this, [this] {
    // a. An empty, transparent base of the view's visible size and no layers.
    TImgView32& view = View();
    view.SetViewSize(ImgView->width(), ImgView->height());
    view.PrepareBase(view.ViewWidth(), view.ViewHeight());
    view.Layers().Clear();
    // b. The hidden resampler and kernel lists; selecting from the program runs no handler.
    resamplerLists_ = FillResamplerLists();
    {
      const QSignalBlocker blockResamplers(ResamplerClassNamesList);
      const QSignalBlocker blockKernels(KernelClassNamesList);
      ResamplerClassNamesList->clear();
      for (const std::string& name : resamplerLists_.ResamplerNames)
        ResamplerClassNamesList->addItem(QString::fromStdString(name));
      KernelClassNamesList->clear();
      for (const std::string& name : resamplerLists_.KernelNames)
        KernelClassNamesList->addItem(QString::fromStdString(name));
      ResamplerClassNamesList->setCurrentIndex(resamplerLists_.ResamplerIndex);
      KernelClassNamesList->setCurrentIndex(resamplerLists_.KernelIndex);
    }
    // c. No scene layers yet: the stack was just cleared.
    // d. The template panel shows the first template; it throws on an empty listing.
    TemplateIndexStep();
    // e. The title from the executable's name.
    const std::string title = TitleFromExecutableName(shell_.executablePath.filename().string());
    shell_.title = title;
    setWindowTitle(QString::fromStdString(title));
    // f. The skinned look is not part of this build: Qt's own style is the look.
  });
}

void TForm1::closeEvent(QCloseEvent* event) {
  // FormClose: the preview goes first, so nothing repaints it while the window closes.
  ImgView->hide();
  event->accept();
}

int32_t TForm1::RenderSize(const QSpinBox* field) const {
  return std::clamp(ReadNumberField(field->text().toStdString(), kMinimumSize), kMinimumSize, kMaximumSize);
}

void TForm1::Rerender() {
  TImgView32& view = View();
  state_.OutputWidth = RenderSize(WidthSpinEdit);
  state_.OutputHeight = RenderSize(HeightSpinEdit);
  RenderContext context{state_, sources_, shell_.dataRoot};
  WaitCursor wait;
  renderer_(view, state_.OutputWidth, state_.OutputHeight, context);
}

void TForm1::StoreAndRerender(const std::function<void()>& store) {
  RunReported(shell_, this, [&] {
    store();
    Rerender();
  });
}

void TForm1::ToggleLayers(LayerGroup group, bool visible) {
  WaitCursor wait;
  TLayerCollection& layers = View().Layers();
  for (int i = 0; i < layers.Count(); ++i)
    if (layers[i].Group() == group) layers[i].SetVisible(visible);
}

// Template panel.

void TForm1::TemplateUpDownClick() {
  RunReported(shell_, this, [this] { TemplateIndexStep(); });
}

void TForm1::TemplateIndexStep() {
  // The stepper ends at the last template listed now: the folder may have changed since the
  // previous listing. An empty folder keeps one position, whose failure is then reported.
  const auto count = static_cast<int>(ListFiles(shell_.dataRoot / "Templates").size());
  TemplateUpDown->SetRange(1, std::max(1, count));
  state_.TemplateIndex = TemplateUpDown->Position();
  const TemplateEntry entry = TemplateAt(shell_.dataRoot, state_.TemplateIndex);
  TemplateImage->SetPicture(ReadPictureImage(entry.PreviewPath));
  SetWrappedCaption(TemplateCaption, QString::fromStdString(entry.Name), 19);
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

void TForm1::ShowCurrentSlot() {
  const LayerSource& slot = sources_[state_.CurrentSource];
  // Read first: a picture that cannot be read leaves the panel as it was.
  if (slot.UseColor || slot.PicturePath.empty()) {
    LayerSourceImg->ClearPicture();
  } else {
    LayerSourceImg->SetPicture(ReadPictureImage(slot.PicturePath));
  }
  LayerSourceColorSelect->SetColorValue(slot.Color);
  LayerSourcePanel->SetCaptionFill(QColorFromTColor(slot.Color));
}

void TForm1::LayerSourceImgClick() {
  const std::optional<QString> file =
      shell_.dialogs.OpenPicture(this, QStringLiteral("Choose Picture"), PictureOpenFilter());
  if (!file) return;
  LoadSlotPicture(*file);
}

void TForm1::LayerSourceImgFileDropped(const QString& fileName) {
  LoadSlotPicture(fileName);
}

void TForm1::LoadSlotPicture(const QString& fileName) {
  RunReported(shell_, this, [&] {
    LayerSource& slot = sources_[state_.CurrentSource];
    slot.PicturePath = PathFromQString(fileName).string();
    LayerSourceImg->SetPicture(ReadPictureImage(slot.PicturePath));
    slot.UseColor = false;
    Rerender();
  });
}

void TForm1::LayerSourceColorSelectChange() {
  StoreAndRerender([this] {
    LayerSource& slot = sources_[state_.CurrentSource];
    slot.Color = LayerSourceColorSelect->ColorValue();
    slot.UseColor = true;
    ShowCurrentSlot();
  });
}

// Size fields and option boxes.

void TForm1::WidthSpinEditChange() {
  if (ReadNumberField(WidthSpinEdit->text().toStdString(), kMinimumSize) < kMinimumSize) return;
  RunReported(shell_, this, [this] { Rerender(); });
}

void TForm1::HeightSpinEditChange() {
  if (ReadNumberField(HeightSpinEdit->text().toStdString(), kMinimumSize) < kMinimumSize) return;
  RunReported(shell_, this, [this] { Rerender(); });
}

void TForm1::TrBckCheckBoxClick() {
  StoreAndRerender([this] { state_.TransparentBackground = TrBckCheckBox->isChecked(); });
}

void TForm1::LarDiAreaCheckBoxClick() {
  StoreAndRerender([this] { state_.LargeDiscArea = LarDiAreaCheckBox->isChecked(); });
}

// Reflection page.

void TForm1::ShowReflectionCheckBoxClick() {
  state_.ShowReflection = ShowReflectionCheckBox->isChecked();
  ToggleLayers(LayerGroup::Reflection, state_.ShowReflection);
}

void TForm1::FadeReflectionCheckBoxClick() {
  StoreAndRerender([this] { state_.ReflectionFade = FadeReflectionCheckBox->isChecked(); });
}

void TForm1::OpacityReflectionTrackBarMouseUp() {
  StoreAndRerender(
      [this] { state_.ReflectionOpacity = static_cast<uint8_t>(OpacityReflectionTrackBar->value()); });
}

void TForm1::BlurReflectionTrackBarMouseUp() {
  StoreAndRerender([this] { state_.ReflectionBlur = static_cast<uint8_t>(BlurReflectionTrackBar->value()); });
}

void TForm1::ReflectionBrightnessTrackBarMouseUp() {
  StoreAndRerender([this] { state_.ReflectionBrightness = ReflectionBrightnessTrackBar->value(); });
}

void TForm1::ReflectionLengthTrackBarMouseUp() {
  StoreAndRerender(
      [this] { state_.ReflectionLength = static_cast<uint8_t>(ReflectionLengthTrackBar->value()); });
}

// Shadow page.

void TForm1::ShadowDensityTrackBarMouseUp() {
  StoreAndRerender([this] { state_.ShadowDensity = static_cast<uint8_t>(ShadowDensityTrackBar->value()); });
}

void TForm1::ShadowColorSelectChange() {
  StoreAndRerender([this] { state_.ShadowColor = ShadowColorSelect->ColorValue(); });
}

void TForm1::BlurShadowTrackBarMouseUp() {
  StoreAndRerender([this] { state_.ShadowBlur = static_cast<uint8_t>(BlurShadowTrackBar->value()); });
}

void TForm1::ShowShadowCheckBoxClick() {
  state_.ShowShadow = ShowShadowCheckBox->isChecked();
  ToggleLayers(LayerGroup::Shadow, state_.ShowShadow);
}

// Object page.

void TForm1::ObjectShadingTrackBarMouseUp() {
  StoreAndRerender([this] { state_.ObjectShading = static_cast<uint8_t>(ObjectShadingTrackBar->value()); });
}

void TForm1::ObjectHighlightTrackBarMouseUp() {
  StoreAndRerender(
      [this] { state_.ObjectHighlight = static_cast<uint8_t>(ObjectHighlightTrackBar->value()); });
}

void TForm1::ObjectShadingColorSelectChange() {
  StoreAndRerender([this] { state_.ShadingColor = ObjectShadingColorSelect->ColorValue(); });
}

void TForm1::ObjectHighlightColorSelectChange() {
  StoreAndRerender([this] { state_.HighlightColor = ObjectHighlightColorSelect->ColorValue(); });
}

// Hidden resampler lists.

void TForm1::ResamplerClassNamesListChange() {
  resamplerLists_.ResamplerIndex = ResamplerClassNamesList->currentIndex();
  mirelane::ResamplerClassNamesListChange(View().Layers(), resamplerLists_);
  KernelClassNamesList->setVisible(resamplerLists_.KernelListVisible);
}

void TForm1::KernelClassNamesListChange() {
  resamplerLists_.KernelIndex = KernelClassNamesList->currentIndex();
  mirelane::KernelClassNamesListChange(View().Layers(), resamplerLists_);
}

// Tool bar.

void TForm1::SaveButtonClick() {
  RunReported(shell_, this, [this] {
    const TImgView32& view = View();
    TBitmap32 picture(view.Bitmap().Width(), view.Bitmap().Height());
    picture.Clear(0);
    view.Flatten(picture);
    state_.FlipWhenSaved = FlipCheckBox->isChecked();
    if (state_.FlipWhenSaved) picture.FlipHorizontal();
    SaveDialogRequest request;
    request.nameFilters = {QStringLiteral("JPEG Image File (*.jpg)"),
                           QStringLiteral("PNG Image File (*.png)"), QStringLiteral("Bitmaps (*.bmp)"),
                           QStringLiteral("WebP Image File (*.webp)")};
    request.selectedFilter = std::clamp(lastSaveFilter_, 0, static_cast<int>(request.nameFilters.size()) - 1);
    request.defaultSuffix = FilterSuffix(request.nameFilters[request.selectedFilter]);
    request.proposedFileName = lastSaveFileName_;
    const std::optional<SaveDialogAnswer> answer = shell_.dialogs.SavePicture(this, request);
    if (!answer) return;
    const int filter =
        std::clamp(answer->selectedFilter, 0, static_cast<int>(request.nameFilters.size()) - 1);
    const QString file = WithFilterSuffix(answer->fileName, request.nameFilters[filter]);
    // The next save starts in the same folder with the same format.
    lastSaveFileName_ = file;
    lastSaveFilter_ = filter;
    const std::filesystem::path path = PathFromQString(file);
    TSaveQuality quality;
    if (SaveFormatFor(path.string()) == TSaveFormat::Webp) {
      const std::optional<TWebpOptions> choice = shell_.dialogs.ChooseWebpOptions(this, webpOptions_);
      if (!choice) return;
      webpOptions_ = *choice;
      quality.Webp = *choice;
    }
    state_.OutputDpi = std::clamp(ReadNumberField(DpiSpinEdit->text().toStdString(), 60), 60, 600);
    WritePicture(picture, path, state_.OutputDpi, quality);
  });
}

void TForm1::AboutToolButtonClick() {
  if (aboutWindow_ == nullptr) return;
  aboutWindow_->ShowCentredOn(this);
}

}  // namespace mirelane
