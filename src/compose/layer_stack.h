// The layer stack of the preview: a base bitmap with an ordered list of layers above it, the
// rules by which it is painted scaled to fit over a checkerboard, and Flatten for saving.
// Free of any toolkit: the view paints into a TBitmap32 screen buffer that the window shows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "compose/layer_kind.h"
#include "raster/bitmap32.h"

namespace mirelane {

struct TFloatRect {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TFloatRect&) const = default;
};

class TCustomLayer {
 public:
  virtual ~TCustomLayer() = default;
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Raised when the layer needs repainting (visibility or pixels changed).
  std::function<void()> OnChange;

 protected:
  void NotifyChanged() {
    if (OnChange) OnChange();
  }

 private:
  bool visible_ = true;
};

class TPositionedLayer : public TCustomLayer {
 public:
  // Where the layer lies in base-bitmap pixels; a new layer starts at (0, 0, 64, 64).
  TFloatRect Location{0, 0, 64, 64};
  // True: Location is mapped to the screen like the base bitmap.
  bool Scaled = false;
};

class TBitmapLayer : public TPositionedLayer {
 public:
  TBitmapLayer();
  TBitmap32& Bitmap() { return *bitmap_; }
  const TBitmap32& Bitmap() const { return *bitmap_; }
  // The finished face becomes the surface, pixels and drawing properties, without a copy; the
  // layer keeps its resampler.
  void TakeSurface(TBitmap32&& face);

  // The kind of template layer it shows; empty for a layer of no template (the background).
  std::optional<LayerType> Kind;
  LayerGroup Group() const { return Kind ? GroupOf(*Kind) : LayerGroup::None; }

 private:
  std::unique_ptr<TBitmap32> bitmap_;
};

// Owns its layers, index 0 lowest.
class TLayerCollection {
 public:
  TBitmapLayer& Add();
  void Clear();  // destroys all layers, last first
  int Count() const { return static_cast<int>(items_.size()); }
  TBitmapLayer& operator[](int index) { return *items_.at(static_cast<size_t>(index)); }
  const TBitmapLayer& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }

  std::function<void()> OnChange;

 private:
  std::vector<std::unique_ptr<TBitmapLayer>> items_;
};

// 8 x 8 tiles, grey where column and row are both even or both odd, white elsewhere.
void PaintCheckerboard(TBitmap32& buffer, int32_t viewWidth, int32_t viewHeight);
// A one-pixel opaque black outline of the visible area.
void PaintViewFrame(TBitmap32& buffer, int32_t viewWidth, int32_t viewHeight);

// The view: base bitmap, layers and the fit-to-view (smOptimal, centred) mapping.
class TImgView32 {
 public:
  TImgView32();

  TBitmap32& Bitmap() { return base_; }
  const TBitmap32& Bitmap() const { return base_; }
  TLayerCollection& Layers() { return layers_; }
  const TLayerCollection& Layers() const { return layers_; }

  // The control's client area.
  void SetViewSize(int32_t width, int32_t height);
  int32_t ViewWidth() const { return viewWidth_; }
  int32_t ViewHeight() const { return viewHeight_; }

  // Where the base bitmap is shown: 1:1 when it fits, otherwise reduced to fit, centred.
  TRect GetBitmapRect() const;

  // Sizes the base to W x H, clears it to 0, draw mode dmTransparent with OuterColor 0.
  void PrepareBase(int32_t width, int32_t height);

  // Paints the stages into a screen buffer of the view's size (resized when it differs): the
  // checkerboard, the flattened picture composed over it into the bitmap rectangle, the frame.
  void Paint(TBitmap32& screen) const;
  // Draws base and visible layers 1:1 into a W x H target whose pixels are all 0, each layer
  // composed over what lies below by straight-alpha "over" (cmMerge).
  void Flatten(TBitmap32& target) const;

  // Raised whenever the picture on screen may have changed.
  std::function<void()> OnRepaintNeeded;

 private:
  void ComposeFlattened(TBitmap32& screen) const;
  void DrawVisibleLayers(TBitmap32& target) const;
  void NotifyRepaint() const {
    if (OnRepaintNeeded) OnRepaintNeeded();
  }

  TBitmap32 base_;
  TLayerCollection layers_;
  int32_t viewWidth_ = 0;
  int32_t viewHeight_ = 0;
};

}  // namespace mirelane
