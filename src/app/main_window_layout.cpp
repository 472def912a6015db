// The main window's layout: its controls, where they sit at the base size, how they follow a larger
// window, their tooltips and tab order.
#include "app/main_window.h"

#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
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

const QString TForm1::kSlotPictureTip = QStringLiteral(
    "Click, press Enter or Space, or drop a picture file here to give this slot a picture (Ctrl+O)");

QLabel* TForm1::AddLabel(QWidget* parent, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->adjustSize();
  label->move(left, top);
  return label;
}

void TForm1::CreateControls() {
  CreateMenus();
  Content = new QWidget(this);
  CreateStatusLine();
  sToolBar1 = new QToolBar(Content);
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

  TemplatePanel = new QFrame(Content);
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
  TemplateUpDown = new THorizontalUpDown(1, 1, 1, Content);
  TemplateUpDown->setGeometry(8, 320, 153, 33);
  DesignButton = new QPushButton(QStringLiteral("Design") + QChar(0x2026), Content);
  DesignButton->setGeometry(8, 362, 153, 25);
  DesignButton->setToolTip(
      QStringLiteral("Design a shot of your own: a box, book, case, disc or card, turned and "
                     "tilted, in your artwork's proportions"));

  ImgView = new TImgViewWidget(Content);
  ImgView->setGeometry(168, 64, 297, 297);

  LayerSourcePanel = new TCaptionPanel(QStringLiteral("Click to load image"), Content);
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
  LayerSourceUpDown = new THorizontalUpDown(1, kSourceCount, 1, Content);
  LayerSourceUpDown->setGeometry(472, 320, 153, 33);

  sPanel2 = new QFrame(Content);
  sPanel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  sPanel2->setGeometry(168, 360, 297, 57);
  OptionsPanel = new QWidget(Content);
  // The effect pages start right below the boxes and would take the clicks of whatever overlaps them.
  OptionsPanel->setGeometry(480, 357, 145, kSettingsTop - 357);

  SettingsPageControl = new QTabWidget(Content);
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
  auto* resamplerLists = new ResamplerListBoxes(Content, View());
  ResamplerClassNamesList = resamplerLists->Resamplers();
  KernelClassNamesList = resamplerLists->Kernels();

  Place(sToolBar1, false, false, true, false);
  Place(ImgView, false, false, true, true);
  Place(sPanel2, false, true, true, false);
  Place(SettingsPageControl, false, true, true, false);
  PlaceInColumn(leftColumn_, TemplatePanel, true);
  PlaceInColumn(leftColumn_, TemplateUpDown, false);
  PlaceInColumn(leftColumn_, DesignButton, false);
  PlaceInColumn(rightColumn_, LayerSourcePanel, true);
  PlaceInColumn(rightColumn_, LayerSourceUpDown, false);
  PlaceInColumn(rightColumn_, OptionsPanel, false);
  for (QWidget* child : {static_cast<QWidget*>(TemplateCaption), static_cast<QWidget*>(TemplateBevel),
                         static_cast<QWidget*>(TemplateImage), static_cast<QWidget*>(LayerSourceCaption),
                         static_cast<QWidget*>(LayerSourceBevel), static_cast<QWidget*>(LayerSourceImg)})
    PlaceInPanel(child, false);
  PlaceInPanel(ApplyTempButton, true);
  PlaceInPanel(LayerSourceColorSelect, true);
}

void TForm1::CreateStatusLine() {
  StatusLine = new QStatusBar(this);
  StatusLine->setSizeGripEnabled(false);
  StatusIcon = new QLabel(StatusLine);
  const int side = StatusLine->fontMetrics().height();
  StatusIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));
  StatusIcon->hide();
  StatusMessage = new QLabel(StatusLine);
  // A long path or warning is cut at the window's edge, not allowed to widen the window.
  StatusMessage->setMinimumWidth(1);
  StatusMessage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  RenderInfo = new QLabel(StatusLine);
  StatusLine->addWidget(StatusIcon);
  StatusLine->addWidget(StatusMessage, 1);
  StatusLine->addPermanentWidget(RenderInfo);
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

int TForm1::MenuHeight() const {
  return MenuBar->sizeHint().height();
}

int TForm1::StatusHeight() const {
  return StatusLine->sizeHint().height();
}

void TForm1::LayOut() {
  MenuBar->setGeometry(0, 0, width(), MenuHeight());
  Content->setGeometry(0, MenuHeight(), width(), std::max(0, height() - MenuHeight() - StatusHeight()));
  StatusLine->setGeometry(0, height() - StatusHeight(), width(), StatusHeight());
  const int extraWidth = std::max(0, Content->width() - kClientWidth);
  const int extraHeight = std::max(0, Content->height() - kClientHeight);
  // Half again as large at most: the thumbnails gain detail, the preview keeps most of the room.
  const double scale = std::clamp(1.0 + std::min(extraWidth / 900.0, extraHeight / 480.0), 1.0, 1.5);
  const int columnGrowth = static_cast<int>(std::lround(kColumnWidth * scale)) - kColumnWidth;
  for (const Placement& p : placements_) {
    QRect r = p.design;
    if (p.followRight) r.translate(extraWidth, 0);
    if (p.followBottom) r.translate(0, extraHeight);
    if (p.growWidth) r.setWidth(r.width() + extraWidth);
    if (p.growHeight) r.setHeight(r.height() + extraHeight);
    // What lies between the columns gives up the room they take.
    if (p.widget == ImgView || p.widget == sPanel2) r.adjust(columnGrowth, 0, -columnGrowth, 0);
    p.widget->setGeometry(r);
  }
  const auto layOutColumn = [&](const std::vector<ColumnPart>& column, bool followRight) {
    int top = column.front().design.top();
    int designBottom = top;
    for (const ColumnPart& part : column) {
      top += part.design.top() - designBottom;
      const int width = static_cast<int>(std::lround(part.design.width() * scale));
      const int height =
          part.grows ? static_cast<int>(std::lround(part.design.height() * scale)) : part.design.height();
      const int left = followRight ? part.design.right() + 1 + extraWidth - width : part.design.left();
      part.widget->setGeometry(left, top, width, height);
      top += height;
      designBottom = part.design.bottom() + 1;
    }
  };
  layOutColumn(leftColumn_, false);
  layOutColumn(rightColumn_, true);
  for (const ColumnPart& child : panelChildren_) {
    const QRect& d = child.design;
    const auto scaled = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
    if (child.grows) {
      child.widget->setGeometry(scaled(d.left()), scaled(d.top()), scaled(d.width()), scaled(d.height()));
    } else {
      const QPoint centre(scaled(d.left() + d.width() / 2), scaled(d.top() + d.height() / 2));
      child.widget->setGeometry(QRect(centre - QPoint(d.width() / 2, d.height() / 2), d.size()));
    }
  }
  LayerSourcePanel->SetCaptionArea(LayerSourceImg->geometry());
}

void TForm1::PlaceInColumn(std::vector<ColumnPart>& column, QWidget* widget, bool grows) {
  column.push_back({widget, widget->geometry(), grows});
}

void TForm1::PlaceInPanel(QWidget* child, bool keepsSize) {
  panelChildren_.push_back({child, child->geometry(), !keepsSize});
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

}  // namespace mirelane
