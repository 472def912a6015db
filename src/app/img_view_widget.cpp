// The preview control over the toolkit-free layer stack.
#include "app/img_view_widget.h"

#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QThread>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/picture_io.h"

namespace mirelane {

namespace {

// The engine's checkerboard: 8 x 8 tiles, grey and white.
const QBrush& CheckerBrush() {
  static const QBrush brush = [] {
    QPixmap tile(16, 16);
    tile.fill(Qt::white);
    QPainter painter(&tile);
    painter.fillRect(0, 0, 8, 8, QColor(0xB0, 0xB0, 0xB0));
    painter.fillRect(8, 8, 8, 8, QColor(0xB0, 0xB0, 0xB0));
    return QBrush(tile);
  }();
  return brush;
}

}  // namespace

TImgViewWidget::TImgViewWidget(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // The composed picture covers the whole viewport, so Qt need not clear it first.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  view_.OnRepaintNeeded = [this] {
    stackStale_ = true;
    // A render running on another thread reports its changes too; the widget is told on its own.
    if (QThread::currentThread() == thread()) {
      MarkScreenStale();
    } else {
      QMetaObject::invokeMethod(
          this, [this] { MarkScreenStale(); }, Qt::QueuedConnection);
    }
  };
}

TImgViewWidget::~TImgViewWidget() {
  view_.OnRepaintNeeded = nullptr;
}

void TImgViewWidget::MarkScreenStale() {
  screenStale_ = true;
  viewport()->update();
}

QSize TImgViewWidget::SpaceSize() const {
  return isVisible() ? viewport()->size() : contentsRect().size();
}

void TImgViewWidget::SetNominalSize(QSize size) {
  if (size == nominal_) return;
  nominal_ = size;
  UpdateScrollRanges();
  MarkScreenStale();
  emit ZoomChanged();
}

QSize TImgViewWidget::PictureSize() const {
  if (nominal_.isValid() && !nominal_.isEmpty()) return nominal_;
  if (frozen_) return frozenSize_;
  return QSize(view_.Bitmap().Width(), view_.Bitmap().Height());
}

void TImgViewWidget::SetFrozen(bool frozen) {
  if (frozen) frozenSize_ = PictureSize();
  frozen_ = frozen;
  // The repaints asked for meanwhile were held back.
  if (!frozen) MarkScreenStale();
}

double TImgViewWidget::Zoom() const {
  if (!fit_) return zoom_;
  return FitZoomFor(PictureSize());
}

double TImgViewWidget::FitZoomFor(QSize picture) const {
  const QSize space = SpaceSize();
  if (picture.isEmpty() || space.isEmpty()) return 1.0;
  return std::min(static_cast<double>(space.width()) / picture.width(),
                  static_cast<double>(space.height()) / picture.height());
}

QSize TImgViewWidget::ShownSize() const {
  const QSize picture = PictureSize();
  if (picture.isEmpty()) return QSize();
  const double zoom = Zoom();
  return QSize(std::max(1, static_cast<int>(std::lround(picture.width() * zoom))),
               std::max(1, static_cast<int>(std::lround(picture.height() * zoom))));
}

QRect TImgViewWidget::PictureRect() const {
  const QSize shown = ShownSize();
  const QSize space = SpaceSize();
  const int left =
      shown.width() <= space.width() ? (space.width() - shown.width()) / 2 : -horizontalScrollBar()->value();
  const int top = shown.height() <= space.height() ? (space.height() - shown.height()) / 2
                                                   : -verticalScrollBar()->value();
  return QRect(QPoint(left, top), shown);
}

void TImgViewWidget::SetFit() {
  fit_ = true;
  UpdateScrollRanges();
  MarkScreenStale();
  emit ZoomChanged();
}

void TImgViewWidget::SetZoom(double zoom) {
  SetZoom(zoom, QRectF(QPointF(0, 0), QSizeF(SpaceSize())).center());
}

void TImgViewWidget::SetZoom(double zoom, QPointF anchor) {
  const double before = Zoom();
  const QPointF onPicture = (anchor - QPointF(PictureRect().topLeft())) / before;
  fit_ = false;
  zoom_ = std::clamp(zoom, kMinimumZoom, kMaximumZoom);
  UpdateScrollRanges();
  // The same picture point under the anchor as before, where scrolling allows.
  const QPointF topLeft = anchor - onPicture * zoom_;
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(-topLeft.x())));
  verticalScrollBar()->setValue(static_cast<int>(std::lround(-topLeft.y())));
  MarkScreenStale();
  emit ZoomChanged();
}

void TImgViewWidget::UpdateScrollRanges() {
  const QSize shown = ShownSize();
  const QSize space = SpaceSize();
  horizontalScrollBar()->setRange(0, std::max(0, shown.width() - space.width()));
  verticalScrollBar()->setRange(0, std::max(0, shown.height() - space.height()));
  horizontalScrollBar()->setPageStep(std::max(1, space.width()));
  verticalScrollBar()->setPageStep(std::max(1, space.height()));
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setSingleStep(20);
}

void TImgViewWidget::FlattenStack() {
  stackStale_ = false;
  reduced_ = QImage();
  const TBitmap32& base = view_.Bitmap();
  if (base.Empty()) {
    flattened_ = QImage();
    return;
  }
  TBitmap32 picture(base.Width(), base.Height());
  picture.Clear(0);
  view_.Flatten(picture);
  flattened_ = ImageFromBitmap(picture).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void TImgViewWidget::PaintNow() {
  const QSize before = flattened_.size();
  if (stackStale_) FlattenStack();
  if (flattened_.size() != before) {
    UpdateScrollRanges();
    emit ZoomChanged();
  }
  screen_ = QImage(SpaceSize(), QImage::Format_ARGB32_Premultiplied);
  screen_.fill(QColor::fromRgb(kOutsideColor));
  screenStale_ = false;
  const QRect shown = PictureRect();
  if (flattened_.isNull() || shown.isEmpty()) return;
  QPainter painter(&screen_);
  painter.setBrushOrigin(shown.topLeft());
  painter.fillRect(shown, CheckerBrush());
  if (shown.width() < flattened_.width() || shown.height() < flattened_.height()) {
    // Reducing by averaging keeps fine lines and text that a sampling scaler would break up.
    if (reduced_.size() != shown.size()) {
      reduced_ = flattened_.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    painter.drawImage(shown.topLeft(), reduced_);
  } else {
    // Fitted it stays smooth; zoomed in to twice its size or more, its pixels show as squares.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, fit_ || shown.width() < 2 * flattened_.width());
    painter.drawImage(QRectF(shown), flattened_);
  }
  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(shown.adjusted(-1, -1, 0, 0));
}

void TImgViewWidget::paintEvent(QPaintEvent*) {
  if ((stackStale_ || screenStale_ || screen_.size() != viewport()->size()) && !frozen_) PaintNow();
  QPainter painter(viewport());
  // Frozen before anything was composed, or since grown: the space around the picture.
  if (screen_.size() != viewport()->size())
    painter.fillRect(viewport()->rect(), QColor::fromRgb(kOutsideColor));
  painter.drawImage(0, 0, screen_);
}

void TImgViewWidget::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRanges();
  screenStale_ = true;
  if (fit_) emit ZoomChanged();
}

void TImgViewWidget::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  const int notches = event->angleDelta().y();
  if (notches == 0) return;
  SetZoom(Zoom() * std::pow(1.25, notches / 120.0), event->position());
  event->accept();
}

void TImgViewWidget::scrollContentsBy(int, int) {
  MarkScreenStale();
}

}  // namespace mirelane
