// The designer window: its controls feed one ShotRequest, which the engine turns into template text
// that is rendered for the preview and written when saved.
#include "app/designer_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "app/controls.h"
#include "app/picture_io.h"
#include "compose/layer_stack.h"
#include "templates/finished_shot.h"
#include "templates/render_template.h"
#include "templates/template_catalogue.h"

namespace mirelane {

namespace {

constexpr int kPreviewWidth = 360;
constexpr int kPreviewHeight = 270;
constexpr int kCataloguePreviewWidth = 120;
constexpr int kCataloguePreviewHeight = 90;

QSlider* Slider(int minimum, int maximum, int value, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(minimum, maximum);
  slider->setValue(value);
  return slider;
}

QDoubleSpinBox* SizeEdit(QWidget* parent) {
  auto* edit = new QDoubleSpinBox(parent);
  edit->setRange(0.01, 10000);
  edit->setDecimals(2);
  edit->setValue(1);
  return edit;
}

// The flattened shot of template text at a size.
std::unique_ptr<TBitmap32> RenderText(const std::string& text, const EditingState& state,
                                      const LayerSources& sources, const Shell& shell, int32_t width,
                                      int32_t height) {
  EditingState sized = state;
  sized.OutputWidth = width;
  sized.OutputHeight = height;
  TImgView32 view;
  RenderContext context{sized, sources, shell.dataRoot};
  context.UserData = shell.userData;
  RenderTemplateText(view, width, height, context, text, "designed shot");
  return FlattenedShot(view);
}

}  // namespace

TDesignDialog::TDesignDialog(Shell& shell, const EditingState& state, const LayerSources& sources,
                             QWidget* parent)
    : QDialog(parent), shell_(shell), state_(state), sources_(sources) {
  setWindowTitle(QStringLiteral("Design a shot"));
  AskName = [](QWidget* owner) -> std::optional<QString> {
    bool ok = false;
    const QString name =
        QInputDialog::getText(owner, QStringLiteral("Save as template"), QStringLiteral("Template name:"),
                              QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return name;
  };

  ShapeBox = new QComboBox(this);
  for (ShotShape shape : AllShotShapes()) {
    const std::string_view name = ShotShapeName(shape);
    ShapeBox->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
  LyingCheck = new QCheckBox(QStringLiteral("Lying flat"), this);
  const ShotCamera defaults;
  TurnSlider =
      Slider(static_cast<int>(kMinTurn), static_cast<int>(kMaxTurn), static_cast<int>(defaults.Turn), this);
  TiltSlider =
      Slider(static_cast<int>(kMinTilt), static_cast<int>(kMaxTilt), static_cast<int>(defaults.Tilt), this);
  PerspectiveSlider = Slider(static_cast<int>(kMinPerspective), static_cast<int>(kMaxPerspective),
                             static_cast<int>(defaults.Perspective), this);
  TurnValue = new QLabel(this);
  TiltValue = new QLabel(this);
  PerspectiveValue = new QLabel(this);
  FromArtworkButton = new QRadioButton(QStringLiteral("From the artwork"), this);
  TypedButton = new QRadioButton(QStringLiteral("Typed"), this);
  FromArtworkButton->setChecked(true);
  WidthEdit = SizeEdit(this);
  HeightEdit = SizeEdit(this);
  DepthEdit = SizeEdit(this);
  Preview = new TPictureBox(this);
  Preview->setFixedSize(kPreviewWidth, kPreviewHeight);
  UseButton = new QPushButton(QStringLiteral("Use"), this);
  UseButton->setToolTip(QStringLiteral("Show this shot in the window without saving a template"));
  UseButton->setDefault(true);
  SaveButton = new QPushButton(QStringLiteral("Save as template"), this);
  CloseButton = new QPushButton(QStringLiteral("Close"), this);

  auto* controls = new QFormLayout;
  controls->addRow(QStringLiteral("Shape"), ShapeBox);
  controls->addRow(QString(), LyingCheck);
  auto sliderRow = [&](const QString& caption, QSlider* slider, QLabel* value) {
    auto* row = new QHBoxLayout;
    row->addWidget(slider, 1);
    value->setMinimumWidth(32);
    row->addWidget(value);
    controls->addRow(caption, row);
  };
  sliderRow(QStringLiteral("Turn"), TurnSlider, TurnValue);
  sliderRow(QStringLiteral("Tilt"), TiltSlider, TiltValue);
  sliderRow(QStringLiteral("Perspective"), PerspectiveSlider, PerspectiveValue);
  controls->addRow(QStringLiteral("Proportions"), FromArtworkButton);
  controls->addRow(QString(), TypedButton);
  auto* sizes = new QHBoxLayout;
  for (QDoubleSpinBox* edit : {WidthEdit, HeightEdit, DepthEdit}) sizes->addWidget(edit);
  controls->addRow(QStringLiteral("W : H : D"), sizes);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(UseButton);
  buttons->addWidget(SaveButton);
  buttons->addWidget(CloseButton);
  auto* top = new QHBoxLayout;
  top->addLayout(controls);
  top->addWidget(Preview);
  auto* whole = new QVBoxLayout(this);
  whole->addLayout(top);
  whole->addLayout(buttons);

  const auto changed = [this] { UpdatePreview(); };
  connect(ShapeBox, &QComboBox::currentIndexChanged, this, changed);
  connect(LyingCheck, &QCheckBox::toggled, this, changed);
  for (QSlider* slider : {TurnSlider, TiltSlider, PerspectiveSlider})
    connect(slider, &QSlider::valueChanged, this, changed);
  connect(FromArtworkButton, &QRadioButton::toggled, this, changed);
  for (QDoubleSpinBox* edit : {WidthEdit, HeightEdit, DepthEdit})
    connect(edit, &QDoubleSpinBox::valueChanged, this, changed);
  connect(UseButton, &QPushButton::clicked, this, [this] { UseClick(); });
  connect(SaveButton, &QPushButton::clicked, this, [this] { SaveAsTemplateClick(); });
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
  UpdatePreview();
}

ShotRequest TDesignDialog::Request() const {
  ShotRequest r;
  r.Shape = AllShotShapes().at(static_cast<size_t>(std::max(0, ShapeBox->currentIndex())));
  r.Camera = {static_cast<double>(TurnSlider->value()), static_cast<double>(TiltSlider->value()),
              static_cast<double>(PerspectiveSlider->value())};
  r.Lying = LyingCheck->isChecked() && ShapeCanLie(r.Shape);
  r.Size = TypedButton->isChecked() && ShapeTakesArtworkProportions(r.Shape)
               ? ShotProportions{WidthEdit->value(), HeightEdit->value(), DepthEdit->value()}
               : ProportionsFromSlots(r.Shape, sources_);
  r.OutputWidth = state_.OutputWidth;
  r.OutputHeight = state_.OutputHeight;
  return r;
}

// The typed fields show the artwork's proportions while they are not typed, as a starting point.
void TDesignDialog::ShowArtworkProportions() {
  if (TypedButton->isChecked() && ShapeTakesArtworkProportions(Request().Shape)) return;
  const ShotProportions p = ProportionsFromSlots(Request().Shape, sources_);
  const double unit = std::max({p.Width, p.Height, p.Depth}) / 100;
  for (auto [edit, value] : {std::pair{WidthEdit, p.Width}, {HeightEdit, p.Height}, {DepthEdit, p.Depth}}) {
    const QSignalBlocker quiet(edit);
    edit->setValue(value / unit);
  }
}

void TDesignDialog::UpdatePreview() {
  const ShotShape shape = AllShotShapes().at(static_cast<size_t>(std::max(0, ShapeBox->currentIndex())));
  const bool canLie = ShapeCanLie(shape);
  LyingCheck->setEnabled(canLie);
  {
    // A flat object at eye level is seen edge on: lying needs some tilt.
    const QSignalBlocker quiet(TiltSlider);
    TiltSlider->setMinimum(canLie && LyingCheck->isChecked() ? 1 : static_cast<int>(kMinTilt));
  }
  // A shape with proportions of its own (a round disc) takes none typed: the fields say so by greying out.
  const bool typed = TypedButton->isChecked() && ShapeTakesArtworkProportions(shape);
  for (QDoubleSpinBox* edit : {WidthEdit, HeightEdit, DepthEdit}) edit->setEnabled(typed);
  TypedButton->setEnabled(ShapeTakesArtworkProportions(shape));
  TurnValue->setText(QString::number(TurnSlider->value()) + QChar(0x00B0));
  TiltValue->setText(QString::number(TiltSlider->value()) + QChar(0x00B0));
  PerspectiveValue->setText(QString::number(PerspectiveSlider->value()));
  RunReported(shell_, this, [this] {
    ShowArtworkProportions();
    const ShotRequest request = Request();
    // The preview keeps the output's proportions inside its box.
    const double scale = std::min(static_cast<double>(kPreviewWidth) / request.OutputWidth,
                                  static_cast<double>(kPreviewHeight) / request.OutputHeight);
    const int32_t width = std::max(32, static_cast<int32_t>(std::lround(request.OutputWidth * scale)));
    const int32_t height = std::max(32, static_cast<int32_t>(std::lround(request.OutputHeight * scale)));
    WaitCursor wait;
    const auto picture = RenderText(DesignedShotText(request), state_, sources_, shell_, width, height);
    Preview->SetPicture(ImageFromBitmap(*picture));
  });
}

void TDesignDialog::SaveAsTemplateClick() {
  const std::optional<QString> name = AskName(this);
  if (!name) return;
  RunReported(shell_, this, [&] {
    const std::string text = DesignedShotText(Request());
    WaitCursor wait;
    const auto preview =
        RenderText(text, state_, sources_, shell_, kCataloguePreviewWidth, kCataloguePreviewHeight);
    SaveUserTemplate(shell_.userData, name->trimmed().toStdString(), text, *preview);
    emit TemplateSaved(name->trimmed());
  });
}

void TDesignDialog::UseClick() {
  RunReported(shell_, this, [this] {
    const QString text = QString::fromStdString(DesignedShotText(Request()));
    accept();
    emit ShotUsed(text);
  });
}

}  // namespace mirelane
