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
#include "app/shell.h"
#include "app/shell_text.h"
#include "compose/editing_settings.h"
#include "compose/resampler_selection.h"
#include "raster/error.h"
#include "templates/finished_shot.h"

namespace mirelane {

namespace {

const QString kSlotPictureTip = QStringLiteral(
    "Click, press Enter or Space, or drop a picture file here to give this slot a picture (Ctrl+O)");

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

// The settings table's help line of a setting, for its controls' tooltip, with the range of a
// number.
QString SettingToolTip(std::string_view field) {
  const EditingSetting& setting = SettingOfField(field);
  // These options switch their field off and their help says what that does; the box beside its
  // caption sets the field on.
  static const std::map<std::string_view, const char*> kOnHelp = {
      {"ShowReflection", "Show the reflections; cleared, they are left out"},
      {"ReflectionFade", "Reflections fade out towards their end; cleared, they keep their strength"},
      {"ShowShadow", "Show the shadow; cleared, it is left out"},
  };
  if (setting.Kind == SettingKind::Flag && !setting.FlagValue) {
    const auto help = kOnHelp.find(field);
    if (help != kOnHelp.end()) return QString::fromUtf8(help->second);
  }
  QString text = QString::fromUtf8(setting.Help.data(), static_cast<qsizetype>(setting.Help.size()));
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  if (setting.Kind == SettingKind::Number) {
    text += QStringLiteral(" (%1 to %2)").arg(setting.Range.Min).arg(setting.Range.Max);
  }
  return text;
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
  AttachValueBoxes();
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
  AddLabel(sPanel2, QStringLiteral("Width:"), 8, 19);
  WidthSpinEdit = AddSpinEdit(sPanel2, 48, 16, "OutputWidth", state_.OutputWidth);
  AddLabel(sPanel2, QStringLiteral("Height:"), 104, 19);
  HeightSpinEdit = AddSpinEdit(sPanel2, 144, 16, "OutputHeight", state_.OutputHeight);
  AddLabel(sPanel2, QStringLiteral("DPI:"), 208, 19);
  DpiSpinEdit = AddSpinEdit(sPanel2, 232, 16, "OutputDpi", state_.OutputDpi);

  TrBckCheckBox =
      AddCheckBox(this, QStringLiteral("Transparent background"), 480, 360, state_.TransparentBackground);
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

  Place(sToolBar1, false, false, true, false);
  Place(ImgView, false, false, true, true);
  Place(LayerSourcePanel, true, false, false, false);
  Place(LayerSourceUpDown, true, false, false, false);
  Place(sPanel2, false, true, true, false);
  for (QWidget* box : {TrBckCheckBox, LarDiAreaCheckBox, FlipCheckBox}) Place(box, true, true, false, false);
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

void TForm1::AttachValueBoxes() {
  constexpr int kBoxWidth = 38;
  constexpr int kGap = 2;
  for (TTrackBar* bar : {OpacityReflectionTrackBar, ReflectionLengthTrackBar, ReflectionBrightnessTrackBar,
                         BlurReflectionTrackBar, ShadowDensityTrackBar, BlurShadowTrackBar,
                         ObjectShadingTrackBar, ObjectHighlightTrackBar}) {
    const QRect design = bar->geometry();
    bar->setGeometry(design.adjusted(0, 0, -(kBoxWidth + kGap), 0));
    auto* box = new TSliderValue(bar, bar->parentWidget());
    box->setGeometry(design.right() + 1 - kBoxWidth, design.top() + (design.height() - 21) / 2, kBoxWidth,
                     21);
    valueBoxes_.push_back(box);
    setTabOrder(bar, box);
  }
}

void TForm1::SetToolTips() {
  const auto tip = [](QWidget* widget, const QString& text) { widget->setToolTip(text); };
  // The setting controls explain their setting, the sliders and their numbers alike.
  const struct {
    QWidget* control;
    std::string_view field;
  } settings[] = {
      {WidthSpinEdit, "OutputWidth"},
      {HeightSpinEdit, "OutputHeight"},
      {DpiSpinEdit, "OutputDpi"},
      {TrBckCheckBox, "TransparentBackground"},
      {LarDiAreaCheckBox, "LargeDiscArea"},
      {FlipCheckBox, "FlipWhenSaved"},
      {ShowReflectionCheckBox, "ShowReflection"},
      {FadeReflectionCheckBox, "ReflectionFade"},
      {OpacityReflectionTrackBar, "ReflectionOpacity"},
      {ReflectionLengthTrackBar, "ReflectionLength"},
      {ReflectionBrightnessTrackBar, "ReflectionBrightness"},
      {BlurReflectionTrackBar, "ReflectionBlur"},
      {ShowShadowCheckBox, "ShowShadow"},
      {ShadowDensityTrackBar, "ShadowDensity"},
      {ShadowColorSelect, "ShadowColor"},
      {BlurShadowTrackBar, "ShadowBlur"},
      {ObjectShadingTrackBar, "ObjectShading"},
      {ObjectShadingColorSelect, "ShadingColor"},
      {ObjectHighlightTrackBar, "ObjectHighlight"},
      {ObjectHighlightColorSelect, "HighlightColor"},
  };
  for (const auto& setting : settings) tip(setting.control, SettingToolTip(setting.field));
  for (TSliderValue* box : valueBoxes_) {
    box->setToolTip(box->Bar()->toolTip() + QStringLiteral("; type a number and press Enter"));
  }
  tip(TemplateImage, QStringLiteral("Preview of the template shown"));
  tip(ApplyTempButton, QStringLiteral("Render the shot with this template"));
  tip(TemplateUpDown->PreviousButton(), QStringLiteral("Previous template; the shot follows at once"));
  tip(TemplateUpDown->NextButton(), QStringLiteral("Next template; the shot follows at once"));
  tip(ImgView, QStringLiteral("The shot; Ctrl+wheel zooms, Ctrl+0 fits it, Ctrl+1 shows it at 100 %"));
  tip(LayerSourceColorSelect, QStringLiteral("Give this slot a solid colour instead of a picture"));
  tip(LayerSourceUpDown->PreviousButton(), QStringLiteral("Previous layer source slot"));
  tip(LayerSourceUpDown->NextButton(), QStringLiteral("Next layer source slot"));
}

TSliderValue* TForm1::ValueBoxOf(const TTrackBar* bar) const {
  for (TSliderValue* box : valueBoxes_) {
    if (box->Bar() == bar) return box;
  }
  return nullptr;
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
  const std::vector<QWidget*> order = {ApplyTempButton,
                                       TemplateUpDown->PreviousButton(),
                                       TemplateUpDown->NextButton(),
                                       LayerSourceImg,
                                       LayerSourceColorSelect,
                                       LayerSourceUpDown->PreviousButton(),
                                       LayerSourceUpDown->NextButton(),
                                       WidthSpinEdit,
                                       HeightSpinEdit,
                                       DpiSpinEdit,
                                       TrBckCheckBox,
                                       LarDiAreaCheckBox,
                                       FlipCheckBox,
                                       SettingsPageControl};
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
  // A drag follows the handle with drafts at the preview's size and renders in full once, at the
  // release; each key press or wheel turn stores and renders in full at once.
  const auto connectSlider = [this](TTrackBar* bar, void (TForm1::*mouseUp)(),
                                    std::function<void(EditingState&, int)> store) {
    connect(bar, &TTrackBar::MouseUp, this, mouseUp);
    connect(bar, &TTrackBar::KeyOrWheelMove, this, mouseUp);
    connect(bar, &QSlider::valueChanged, this, [this, bar, store](int value) {
      if (!bar->isSliderDown()) return;
      store(state_, value);
      RenderDraft();
    });
  };
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
  connect(WidthSpinEdit, &TSpinEdit::Change, this, &TForm1::WidthSpinEditChange);
  connect(HeightSpinEdit, &TSpinEdit::Change, this, &TForm1::HeightSpinEditChange);
  connect(DpiSpinEdit, &TSpinEdit::Change, this, [this] { Commit("dpi"); });
  connect(FlipCheckBox, &QCheckBox::clicked, this, [this] {
    state_.FlipWhenSaved = FlipCheckBox->isChecked();
    Commit();
  });
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
  connect(ShowReflectionCheckBox, &QCheckBox::clicked, this, &TForm1::ShowReflectionCheckBoxClick);
  connect(FadeReflectionCheckBox, &QCheckBox::clicked, this, &TForm1::FadeReflectionCheckBoxClick);
  connectSlider(OpacityReflectionTrackBar, &TForm1::OpacityReflectionTrackBarMouseUp,
                [](EditingState& s, int v) { s.ReflectionOpacity = static_cast<uint8_t>(v); });
  connectSlider(BlurReflectionTrackBar, &TForm1::BlurReflectionTrackBarMouseUp,
                [](EditingState& s, int v) { s.ReflectionBlur = static_cast<uint8_t>(v); });
  connectSlider(ReflectionBrightnessTrackBar, &TForm1::ReflectionBrightnessTrackBarMouseUp,
                [](EditingState& s, int v) { s.ReflectionBrightness = v; });
  connectSlider(ReflectionLengthTrackBar, &TForm1::ReflectionLengthTrackBarMouseUp,
                [](EditingState& s, int v) { s.ReflectionLength = static_cast<uint8_t>(v); });
  connectSlider(ShadowDensityTrackBar, &TForm1::ShadowDensityTrackBarMouseUp,
                [](EditingState& s, int v) { s.ShadowDensity = static_cast<uint8_t>(v); });
  connect(ShadowColorSelect, &TColorSelect::Change, this, &TForm1::ShadowColorSelectChange);
  connectSlider(BlurShadowTrackBar, &TForm1::BlurShadowTrackBarMouseUp,
                [](EditingState& s, int v) { s.ShadowBlur = static_cast<uint8_t>(v); });
  connect(ShowShadowCheckBox, &QCheckBox::clicked, this, &TForm1::ShowShadowCheckBoxClick);
  connectSlider(ObjectShadingTrackBar, &TForm1::ObjectShadingTrackBarMouseUp,
                [](EditingState& s, int v) { s.ObjectShading = static_cast<uint8_t>(v); });
  connectSlider(ObjectHighlightTrackBar, &TForm1::ObjectHighlightTrackBarMouseUp,
                [](EditingState& s, int v) { s.ObjectHighlight = static_cast<uint8_t>(v); });
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

SettingsSnapshot TForm1::CurrentSettings() const {
  SettingsSnapshot now{state_, sources_};
  now.State.OutputWidth = RenderSize(WidthSpinEdit);
  now.State.OutputHeight = RenderSize(HeightSpinEdit);
  now.State.OutputDpi = std::clamp(ReadNumberField(DpiSpinEdit->text().toStdString(), 60), 60, 600);
  now.State.FlipWhenSaved = FlipCheckBox->isChecked();
  return now;
}

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
  const auto setSlider = [](TTrackBar* bar, int value) {
    const QSignalBlocker block(bar);
    bar->setValue(value);
  };
  setSlider(OpacityReflectionTrackBar, state_.ReflectionOpacity);
  setSlider(ReflectionLengthTrackBar, state_.ReflectionLength);
  setSlider(ReflectionBrightnessTrackBar, state_.ReflectionBrightness);
  setSlider(BlurReflectionTrackBar, state_.ReflectionBlur);
  setSlider(ShadowDensityTrackBar, state_.ShadowDensity);
  setSlider(BlurShadowTrackBar, state_.ShadowBlur);
  setSlider(ObjectShadingTrackBar, state_.ObjectShading);
  setSlider(ObjectHighlightTrackBar, state_.ObjectHighlight);
  for (TSliderValue* box : valueBoxes_) box->ShowPosition();
  const auto setBox = [](QCheckBox* box, bool checked) {
    const QSignalBlocker block(box);
    box->setChecked(checked);
  };
  setBox(ShowReflectionCheckBox, state_.ShowReflection);
  setBox(FadeReflectionCheckBox, state_.ReflectionFade);
  setBox(ShowShadowCheckBox, state_.ShowShadow);
  setBox(TrBckCheckBox, state_.TransparentBackground);
  setBox(LarDiAreaCheckBox, state_.LargeDiscArea);
  setBox(FlipCheckBox, state_.FlipWhenSaved);
  ShadowColorSelect->SetColorValue(state_.ShadowColor);
  ObjectShadingColorSelect->SetColorValue(state_.ShadingColor);
  ObjectHighlightColorSelect->SetColorValue(state_.HighlightColor);
  const auto setField = [](TSpinEdit* field, int value) {
    const QSignalBlocker block(field);
    field->setValue(value);
  };
  setField(WidthSpinEdit, state_.OutputWidth);
  setField(HeightSpinEdit, state_.OutputHeight);
  setField(DpiSpinEdit, state_.OutputDpi);
  // Each panel that cannot show its file says so; the others and the render still go on.
  RunReported(shell_, this, [this] { ShowTemplatePanel(); });
  RunReported(shell_, this, [this] { ShowCurrentSlot(); });
}

int32_t TForm1::RenderSize(const QSpinBox* field) const {
  return std::clamp(ReadNumberField(field->text().toStdString(), kMinimumSize), kMinimumSize, kMaximumSize);
}

void TForm1::Rerender() {
  state_.OutputWidth = RenderSize(WidthSpinEdit);
  state_.OutputHeight = RenderSize(HeightSpinEdit);
  ImgView->SetNominalSize(QSize());
  RenderAt(state_.OutputWidth, state_.OutputHeight, state_, true);
}

void TForm1::RenderDraft() {
  const int32_t width = RenderSize(WidthSpinEdit);
  const int32_t height = RenderSize(HeightSpinEdit);
  // The preview shows the shot at its zoom; a render at that size is all it can show.
  const double scale = std::min(1.0, ImgView->Zoom());
  const int32_t draftWidth = std::max(1, static_cast<int32_t>(std::lround(width * scale)));
  const int32_t draftHeight = std::max(1, static_cast<int32_t>(std::lround(height * scale)));
  EditingState draft = state_;
  draft.OutputWidth = width;
  draft.OutputHeight = height;
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
  // The designed canvas takes the proportions of the size fields as they stand.
  state_.OutputWidth = RenderSize(WidthSpinEdit);
  state_.OutputHeight = RenderSize(HeightSpinEdit);
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

// Size fields and option boxes.

void TForm1::WidthSpinEditChange() {
  if (ReadNumberField(WidthSpinEdit->text().toStdString(), kMinimumSize) < kMinimumSize) return;
  RunReported(shell_, this, [this] { Rerender(); });
  Commit("width");
}

void TForm1::HeightSpinEditChange() {
  if (ReadNumberField(HeightSpinEdit->text().toStdString(), kMinimumSize) < kMinimumSize) return;
  RunReported(shell_, this, [this] { Rerender(); });
  Commit("height");
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
  Commit();
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
  Commit();
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

std::unique_ptr<TBitmap32> TForm1::ShotPicture() {
  state_.FlipWhenSaved = FlipCheckBox->isChecked();
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
    state_.OutputDpi = std::clamp(ReadNumberField(DpiSpinEdit->text().toStdString(), 60), 60, 600);
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
