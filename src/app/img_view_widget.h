// The preview control: shows the layer stack of a TImgView32 as large as fits (or at a chosen
// zoom, scrolled), the picture's transparent parts over a checkerboard and the space around the
// picture in a flat colour of its own.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <atomic>

#include "compose/layer_stack.h"

namespace mirelane {

class TImgViewWidget : public QAbstractScrollArea {
  Q_OBJECT
 public:
  static constexpr double kMinimumZoom = 0.05;
  static constexpr double kMaximumZoom = 16.0;
  // The flat colour around the picture; the checkerboard stays for its transparent parts.
  static constexpr QRgb kOutsideColor = 0xFF505458u;

  explicit TImgViewWidget(QWidget* parent);
  ~TImgViewWidget() override;

  TImgView32& View() { return view_; }
  const TImgView32& View() const { return view_; }

  // The size the stack stands for. A draft rendered smaller than the shot is shown as large as
  // the shot would be; an empty size means the base bitmap's own size.
  void SetNominalSize(QSize size);
  QSize PictureSize() const;

  bool FitMode() const { return fit_; }
  // Shown pixels per picture pixel, in fit mode too.
  double Zoom() const;
  // As large as the space allows, enlarged or reduced.
  void SetFit();
  // The zoom Fit gives a picture of this size in the space there is now.
  double FitZoomFor(QSize picture) const;
  // A fixed zoom, keeping the picture point under anchor (viewport coordinates) where it is.
  void SetZoom(double zoom);
  void SetZoom(double zoom, QPointF anchor);
  // Where the picture lies in the viewport.
  QRect PictureRect() const;

  // The last composed viewport picture, for checks of what is on screen.
  const QImage& ScreenImage() const { return screen_; }
  // Composes the viewport picture now; paint events compose it again only after the stack, the
  // size, the zoom or the scroll position changed.
  void PaintNow();
  // While frozen, paint events show the last composed picture and leave the stack alone (it is
  // being rebuilt elsewhere).
  void SetFrozen(bool frozen);

 signals:
  void ZoomChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void MarkScreenStale();
  // The viewport's size; before the widget is first shown Qt has not laid the viewport out yet,
  // and the whole widget stands for it.
  QSize SpaceSize() const;
  void UpdateScrollRanges();
  QSize ShownSize() const;
  void FlattenStack();

  TImgView32 view_;
  QSize nominal_;
  bool fit_ = true;
  double zoom_ = 1.0;
  bool frozen_ = false;
  QSize frozenSize_;  // the picture's size when frozen: the base bitmap may be mid-change
  // The stack changed since flattened_ was made (set from a render's thread too).
  std::atomic<bool> stackStale_ = true;
  bool screenStale_ = true;
  QImage flattened_;  // the stack, premultiplied, at the base bitmap's size
  QImage reduced_;    // flattened_ smoothed down to the shown size, when that is smaller
  QImage screen_;
};

}  // namespace mirelane
