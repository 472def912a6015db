// The preview control: shows the layer stack of a TImgView32 by painting it into a screen
// buffer of the control's size and putting that buffer on screen.
#pragma once

#include <QWidget>

#include "compose/layer_stack.h"
#include "raster/bitmap32.h"

namespace mirelane {

class TImgViewWidget : public QWidget {
 public:
  explicit TImgViewWidget(QWidget* parent);
  ~TImgViewWidget() override;

  TImgView32& View() { return view_; }
  const TImgView32& View() const { return view_; }
  // The last painted screen buffer (the view's size), for checks of what is on screen.
  const TBitmap32& ScreenBuffer() const { return screen_; }
  // Paints the stack into the screen buffer now; paint events repaint it only after the stack or
  // the view's size has changed.
  void PaintNow();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TImgView32 view_;
  TBitmap32 screen_;
  // The stack or the view's size changed since screen_ was painted.
  bool stale_ = true;
};

}  // namespace mirelane
