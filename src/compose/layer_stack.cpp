// Layers, their collection, the fit-to-view mapping, painting and flattening.
#include "compose/layer_stack.h"

#include <algorithm>
#include <cmath>

#include "raster/resampler.h"

namespace mirelane {

void TCustomLayer::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  NotifyChanged();
}

TBitmapLayer::TBitmapLayer() : bitmap_(std::make_unique<TBitmap32>()) {
  bitmap_->SetResampler(CreateResampler(kLayerResamplerClass, *bitmap_));
  bitmap_->OnChange = [this](TNotifiablePersistent&) { NotifyChanged(); };
}

void TBitmapLayer::TakeSurface(TBitmap32&& face) {
  // The move hands over the face's drawing properties; its resampler becomes the layer's own first.
  face.SetResampler(bitmap_->Resampler()->CloneFor(face));
  *bitmap_ = std::move(face);
}

TBitmapLayer& TLayerCollection::Add() {
  items_.push_back(std::make_unique<TBitmapLayer>());
  TBitmapLayer& layer = *items_.back();
  layer.OnChange = [this] {
    if (OnChange) OnChange();
  };
  if (OnChange) OnChange();
  return layer;
}

void TLayerCollection::Clear() {
  while (!items_.empty()) items_.pop_back();
  if (OnChange) OnChange();
}

void PaintCheckerboard(TBitmap32& buffer, int32_t viewWidth, int32_t viewHeight) {
  for (int32_t r = 0; r <= viewHeight / 8; ++r) {
    for (int32_t c = 0; c <= viewWidth / 8; ++c) {
      const TColor32 color = ((c % 2) == (r % 2)) ? 0xFFB0B0B0u : 0xFFFFFFFFu;
      buffer.FillRectClipped(c * 8, r * 8, c * 8 + 8, r * 8 + 8, color);
    }
  }
}

void PaintViewFrame(TBitmap32& buffer, int32_t viewWidth, int32_t viewHeight) {
  buffer.FrameRectClipped(TRect{0, 0, viewWidth, viewHeight}, 0xFF000000u);
}

TImgView32::TImgView32() {
  base_.SetDrawMode(dmTransparent);
  base_.SetOuterColor(0);
  base_.OnChange = [this](TNotifiablePersistent&) { NotifyRepaint(); };
  layers_.OnChange = [this] { NotifyRepaint(); };
}

void TImgView32::SetViewSize(int32_t width, int32_t height) {
  viewWidth_ = std::max(width, 0);
  viewHeight_ = std::max(height, 0);
  NotifyRepaint();
}

TRect TImgView32::GetBitmapRect() const {
  const int32_t w = base_.Width(), h = base_.Height();
  int32_t cw = 0, ch = 0;
  if (!base_.Empty()) {
    if (w <= viewWidth_ && h <= viewHeight_) {
      cw = w;
      ch = h;
    } else {
      const float rx = static_cast<float>(viewWidth_) / static_cast<float>(w);
      const float ry = static_cast<float>(viewHeight_) / static_cast<float>(h);
      if (rx >= ry) {
        cw = static_cast<int32_t>(std::nearbyint(ry * static_cast<float>(w)));
        ch = viewHeight_;
      } else {
        cw = viewWidth_;
        ch = static_cast<int32_t>(std::nearbyint(static_cast<float>(h) * rx));
      }
      if (cw < 1) cw = 0;
      if (ch < 1) ch = 0;
    }
  }
  const int32_t ox = (viewWidth_ - cw) / 2, oy = (viewHeight_ - ch) / 2;
  return TRect{ox, oy, ox + cw, oy + ch};
}

void TImgView32::PrepareBase(int32_t width, int32_t height) {
  base_.SetSize(width, height);
  base_.Clear(0);
  base_.SetDrawMode(dmTransparent);
  base_.SetOuterColor(0);
}

void TImgView32::Paint(TBitmap32& screen) const {
  screen.SetSize(viewWidth_, viewHeight_);
  // The screen shows the very picture that Flatten saves, between the checkerboard and the frame.
  PaintCheckerboard(screen, viewWidth_, viewHeight_);
  ComposeFlattened(screen);
  PaintViewFrame(screen, viewWidth_, viewHeight_);
}

void TImgView32::ComposeFlattened(TBitmap32& screen) const {
  const TRect shown = GetBitmapRect();
  if (base_.Empty() || shown.IsEmpty()) return;
  TBitmap32 picture(base_.Width(), base_.Height());
  Flatten(picture);
  picture.SetDrawMode(dmBlend);
  picture.SetCombineMode(cmMerge);
  // Reduced to fit by the resampler the layers have (all get the same one).
  if ((shown.Width() != picture.Width() || shown.Height() != picture.Height()) && layers_.Count() > 0)
    picture.SetResampler(layers_[layers_.Count() - 1].Bitmap().Resampler()->CloneFor(picture));
  screen.Draw(shown, picture.BoundsRect(), &picture);
}

void TImgView32::Flatten(TBitmap32& target) const {
  if (base_.Empty()) return;
  target.Draw(base_.BoundsRect(), base_.BoundsRect(), &base_);
  DrawVisibleLayers(target);
}

void TImgView32::DrawVisibleLayers(TBitmap32& target) const {
  auto whole = [](float v) { return static_cast<int32_t>(std::nearbyint(v)); };
  for (int i = 0; i < layers_.Count(); ++i) {
    const TBitmapLayer& layer = layers_[i];
    if (!layer.Visible()) continue;
    const TBitmap32& bitmap = layer.Bitmap();
    if (bitmap.Empty()) continue;
    // Base-bitmap pixels are the target's: scaled or not, Location maps 1:1.
    const TFloatRect& loc = layer.Location;
    const TRect dst{whole(loc.Left), whole(loc.Top), whole(loc.Right), whole(loc.Bottom)};
    if (IntersectRect(dst, target.ClipRect()).IsEmpty()) continue;
    // A stored picture needs true alpha: straight-alpha "over" rather than the layer's blend,
    // which would treat alpha like a colour channel.
    TransferRect(&target, dst, target.ClipRect(), &bitmap, bitmap.BoundsRect(), cmMerge);
  }
}

}  // namespace mirelane
