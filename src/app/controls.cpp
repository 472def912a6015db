// The main window's small controls.
#include "app/controls.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QUrl>

#include "app/busy_work.h"
#include "app/dialogs.h"

namespace mirelane {

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x26, 0x32, 0x4a));
    painter.drawRoundedRect(QRectF(0, 0, 64, 64), 10, 10);
    auto face = [&painter](std::initializer_list<QPointF> points, QColor color, qreal opacity) {
      painter.setOpacity(opacity);
      painter.setBrush(color);
      painter.drawPolygon(QPolygonF(QList<QPointF>(points)));
    };
    face({{14, 16}, {38, 20}, {38, 46}, {14, 42}}, QColor(0x4f, 0x9b, 0xe0), 1.0);
    face({{38, 20}, {50, 14}, {50, 40}, {38, 46}}, QColor(0x2d, 0x6b, 0xb0), 1.0);
    face({{14, 16}, {26, 10}, {50, 14}, {38, 20}}, QColor(0x8c, 0xc4, 0xf2), 1.0);
    face({{14, 42}, {38, 46}, {38, 60}, {14, 56}}, QColor(0x4f, 0x9b, 0xe0), 0.35);
    face({{38, 46}, {50, 40}, {50, 54}, {38, 60}}, QColor(0x2d, 0x6b, 0xb0), 0.35);
    face({{18, 21}, {22, 21.6}, {22, 40.6}, {18, 40}}, Qt::white, 0.35);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QColor QColorFromTColor(TColor color) {
  const TColor32 c = ColorToColor32(color);
  return QColor(static_cast<int>(RedOf(c)), static_cast<int>(GreenOf(c)), static_cast<int>(BlueOf(c)));
}

TColor TColorFromQColor(const QColor& color) {
  const QColor rgb = color.toRgb();
  return static_cast<TColor>(static_cast<uint32_t>(rgb.red()) | (static_cast<uint32_t>(rgb.green()) << 8) |
                             (static_cast<uint32_t>(rgb.blue()) << 16));
}

TTrackBar::TTrackBar(int minimum, int maximum, int position, QWidget* parent)
    : QSlider(Qt::Horizontal, parent) {
  setRange(minimum, maximum);
  setValue(position);
  setTickPosition(QSlider::NoTicks);
  setPageStep(std::max(1, (maximum - minimum) / 10));
}

void TTrackBar::SetPositionByUser(int position) {
  const int before = value();
  setValue(position);
  if (value() != before) emit KeyOrWheelMove();
}

void TTrackBar::mouseReleaseEvent(QMouseEvent* event) {
  QSlider::mouseReleaseEvent(event);
  // The slider holds the mouse while it is dragged, so the release counts wherever it happens:
  // a handle dragged past the end still stores the position it shows.
  emit MouseUp();
}

void TTrackBar::keyPressEvent(QKeyEvent* event) {
  const int before = value();
  QSlider::keyPressEvent(event);
  if (value() != before) emit KeyOrWheelMove();
}

void TTrackBar::wheelEvent(QWheelEvent* event) {
  const int before = value();
  QSlider::wheelEvent(event);
  if (value() != before) emit KeyOrWheelMove();
}

bool TClampingSpinBox::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool windowKey = key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                           (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_Y) ||
                           (key->matches(QKeySequence::Copy) && !lineEdit()->hasSelectedText());
    if (windowKey) {
      event->ignore();
      return false;
    }
  }
  return QSpinBox::event(event);
}

QValidator::State TClampingSpinBox::validate(QString& text, int& pos) const {
  const QValidator::State state = QSpinBox::validate(text, pos);
  if (state != QValidator::Invalid) return state;
  bool whole = false;
  text.trimmed().toLongLong(&whole);
  return whole ? QValidator::Intermediate : QValidator::Invalid;
}

void TClampingSpinBox::fixup(QString& text) const {
  bool whole = false;
  const qlonglong typed = text.trimmed().toLongLong(&whole);
  if (whole) text = QString::number(std::clamp<qlonglong>(typed, minimum(), maximum()));
}

TSliderValue::TSliderValue(TTrackBar* bar, QWidget* parent) : TClampingSpinBox(parent), bar_(bar) {
  setRange(bar->minimum(), bar->maximum());
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  setButtonSymbols(QAbstractSpinBox::NoButtons);
  setAlignment(Qt::AlignRight);
  // A number is taken when it is complete, not at each digit typed.
  setKeyboardTracking(false);
  ShowPosition();
  connect(bar, &QSlider::valueChanged, this, &TSliderValue::ShowPosition);
  connect(this, &QSpinBox::valueChanged, this, [this](int position) {
    if (position != bar_->value()) bar_->SetPositionByUser(position);
  });
}

void TSliderValue::ShowPosition() {
  const QSignalBlocker block(this);
  setValue(bar_->value());
}

TSpinEdit::TSpinEdit(int minimum, int maximum, int value, QWidget* parent) : TClampingSpinBox(parent) {
  setRange(minimum, maximum);
  setValue(value);
  // Leaving the field brings a typed value into the range instead of restoring the old one.
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  lastText_ = text();
  // QSpinBox::textChanged stays silent while the text is not a value in range, and the editor is
  // silent when the spin box corrects it; listening to both and comparing gives every change once.
  connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::TextMaybeChanged);
  connect(this, &QSpinBox::textChanged, this, &TSpinEdit::TextMaybeChanged);
}

void TSpinEdit::TextMaybeChanged() {
  if (text() == lastText_) return;
  lastText_ = text();
  emit Change();
}

THorizontalUpDown::THorizontalUpDown(int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      position_(position),
      previous_(new QToolButton(this)),
      next_(new QToolButton(this)) {
  previous_->setArrowType(Qt::LeftArrow);
  next_->setArrowType(Qt::RightArrow);
  previous_->setAutoRepeat(true);
  next_->setAutoRepeat(true);
  connect(previous_, &QToolButton::clicked, this, [this] { Step(-1); });
  connect(next_, &QToolButton::clicked, this, [this] { Step(+1); });
}

void THorizontalUpDown::SetPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
}

void THorizontalUpDown::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  position_ = std::clamp(position_, minimum_, maximum_);
}

bool THorizontalUpDown::Step(int delta) {
  // A held arrow repeats while the last step's work still runs; it waits for that work instead.
  if (BusyWorkRunning()) return false;
  const int next = std::clamp(position_ + delta, minimum_, maximum_);
  if (next == position_) return false;
  position_ = next;
  emit Click();
  return true;
}

void THorizontalUpDown::resizeEvent(QResizeEvent*) {
  const int half = width() / 2;
  previous_->setGeometry(0, 0, half, height());
  next_->setGeometry(half, 0, width() - half, height());
}

TColorSelect::TColorSelect(Dialogs& dialogs, int swatchSize, TColor color, QWidget* parent)
    : QPushButton(parent), dialogs_(dialogs), swatchSize_(swatchSize), color_(color) {
  setIconSize(QSize(swatchSize, swatchSize));
  SetColorValue(color);
  connect(this, &QPushButton::clicked, this, &TColorSelect::ChooseColor);
}

void TColorSelect::SetColorValue(TColor color) {
  color_ = color;
  QPixmap swatch(swatchSize_, swatchSize_);
  swatch.fill(QColorFromTColor(color));
  QPainter painter(&swatch);
  painter.setPen(QColor(64, 64, 64));
  painter.drawRect(0, 0, swatchSize_ - 1, swatchSize_ - 1);
  painter.end();
  setIcon(QIcon(swatch));
}

void TColorSelect::ChooseColor() {
  const std::optional<QColor> chosen = dialogs_.ChooseColor(window(), QColorFromTColor(color_));
  if (!chosen) return;
  SetColorValue(TColorFromQColor(*chosen));
  emit Change();
}

TPictureBox::TPictureBox(QWidget* parent) : QWidget(parent) {}

void TPictureBox::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
  emit PictureChanged();
}

void TPictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (hasFocus()) {
    // A dotted outline shows where Enter or Space acts.
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DotLine));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
  }
  if (picture_.isNull()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QSize fitted = picture_.size().scaled(size(), Qt::KeepAspectRatio);
  const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
  painter.drawImage(target, picture_);
}

void TPictureBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Click();
}

void TPictureBox::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
    emit Click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TPictureBox::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void TPictureBox::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

namespace {

QString SingleLocalFile(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) return {};
  const QUrl url = mime->urls().first();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

void TPictureBox::dragEnterEvent(QDragEnterEvent* event) {
  if (!SingleLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TPictureBox::dropEvent(QDropEvent* event) {
  const QString file = SingleLocalFile(event->mimeData());
  if (file.isEmpty()) return;
  event->acceptProposedAction();
  emit FileDropped(file);
}

TCaptionPanel::TCaptionPanel(const QString& caption, QWidget* parent) : QFrame(parent), caption_(caption) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
}

void TCaptionPanel::SetCaptionShown(bool shown) {
  captionShown_ = shown;
  update();
}

void TCaptionPanel::SetCaptionArea(const QRect& area) {
  captionArea_ = area;
  update();
}

void TCaptionPanel::SetCaptionFill(const QColor& fill) {
  fill_ = fill;
  update();
}

void TCaptionPanel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (!captionShown_) return;
  QPainter painter(this);
  if (fill_.isValid()) {
    const QRect area = captionArea_.isNull() ? rect() : captionArea_;
    painter.fillRect(area, fill_);
    // Dark text on light colours, light text on dark ones.
    painter.setPen(fill_.lightness() >= 128 ? Qt::black : Qt::white);
  }
  if (caption_.isEmpty()) return;
  painter.drawText(captionArea_.isNull() ? rect() : captionArea_, Qt::AlignCenter | Qt::TextWordWrap,
                   caption_);
}

QStringList WrapToWidth(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  QString line;
  const auto fits = [&](const QString& candidate) { return metrics.horizontalAdvance(candidate) <= width; };
  for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
    const QString joined = line.isEmpty() ? word : line + u' ' + word;
    if (fits(joined)) {
      line = joined;
      continue;
    }
    if (!line.isEmpty()) lines.append(line);
    line.clear();
    for (const QChar c : word) {
      if (!line.isEmpty() && !fits(line + c)) {
        lines.append(line);
        line.clear();
      }
      line += c;
    }
  }
  if (!line.isEmpty()) lines.append(line);
  return lines;
}

void SetWrappedCaption(QLabel* label, const QString& text, int maxPixelSize) {
  // Below this the caption's letters blur into each other on a normal screen.
  constexpr int kSmallestReadable = 13;
  QFont font = label->font();
  const QRect area = label->contentsRect();
  QStringList lines{text};
  // A name that fits on one line at a little less than the full size reads best kept whole.
  const int oneLineSmallest = std::max(kSmallestReadable, maxPixelSize * 5 / 6);
  bool oneLine = false;
  for (int size = maxPixelSize; size >= oneLineSmallest && !oneLine; --size) {
    font.setPixelSize(size);
    oneLine = QFontMetrics(font).horizontalAdvance(text) <= area.width();
  }
  for (int size = maxPixelSize; !oneLine && size >= kSmallestReadable; --size) {
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    lines = WrapToWidth(text, metrics, area.width());
    if (lines.size() * metrics.lineSpacing() <= area.height()) break;
  }
  label->setWordWrap(false);
  label->setFont(font);
  label->setText(lines.join(u'\n'));
  label->setToolTip(text);
}

QFont WindowFont(int pixelSize) {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                    QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial")});
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace mirelane
