// The preview control over the toolkit-free layer stack.
#include "app/img_view_widget.h"

#include <QImage>
#include <QPainter>

namespace mirelane {

TImgViewWidget::TImgViewWidget(QWidget* parent) : QWidget(parent) {
  // The checkerboard covers the whole area, so Qt need not clear it first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  view_.OnRepaintNeeded = [this] {
    stale_ = true;
    update();
  };
}

TImgViewWidget::~TImgViewWidget() {
  view_.OnRepaintNeeded = nullptr;
}

void TImgViewWidget::PaintNow() {
  view_.Paint(screen_);
  stale_ = false;
}

void TImgViewWidget::paintEvent(QPaintEvent*) {
  // Painting flattens the whole stack; an expose or a covering window changes nothing in it.
  if (stale_) PaintNow();
  if (screen_.Empty()) return;
  // TColor32 is stored blue, green, red, alpha: the byte order of QImage::Format_ARGB32 here.
  const QImage image(reinterpret_cast<const uchar*>(screen_.Bits()), screen_.Width(), screen_.Height(),
                     static_cast<qsizetype>(screen_.Width()) * 4, QImage::Format_ARGB32);
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}

void TImgViewWidget::resizeEvent(QResizeEvent*) {
  view_.SetViewSize(width(), height());
}

}  // namespace mirelane
