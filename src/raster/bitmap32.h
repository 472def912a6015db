// TBitmap32: the one raster type of the system, a rectangle of 32-bit straight-alpha ARGB
// pixels that also carries the rules for how it is drawn onto another surface.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "raster/color32.h"
#include "raster/decoded_picture.h"
#include "raster/rect.h"

namespace mirelane {

enum TDrawMode { dmOpaque = 0, dmBlend = 1, dmTransparent = 3 };
enum TCombineMode { cmBlend = 0, cmMerge = 1 };

class TNotifiablePersistent;
class TBitmap32;
class TCustomResampler;

using TNotifyEvent = std::function<void(TNotifiablePersistent& sender)>;

// The change notification with a nestable update count.
class TNotifiablePersistent {
 public:
  TNotifiablePersistent() = default;
  TNotifiablePersistent(const TNotifiablePersistent&) = delete;
  TNotifiablePersistent& operator=(const TNotifiablePersistent&) = delete;
  virtual ~TNotifiablePersistent() = default;

  virtual const char* ClassName() const { return "TNotifiablePersistent"; }

  virtual void Changed();
  virtual void BeginUpdate() { ++updateCount_; }
  virtual void EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
  }
  int UpdateCount() const { return updateCount_; }

  TNotifyEvent OnChange;

 protected:
  int updateCount_ = 0;
};

// A map with a size and the resize protocol.
class TCustomMap : public TNotifiablePersistent {
 public:
  const char* ClassName() const override { return "TCustomMap"; }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  TRect BoundsRect() const { return TRect{0, 0, width_, height_}; }
  virtual bool Empty() const { return width_ == 0 || height_ == 0; }

  // Negative sizes become 0; the same size changes nothing and returns false.
  virtual bool SetSize(int32_t width, int32_t height);
  virtual void Delete() { SetSize(0, 0); }
  // Gives the source's size; an absent source means 0 x 0, a source without a size fails.
  void SetSizeFrom(const TNotifiablePersistent* source);

 protected:
  virtual void ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight);

  int32_t width_ = 0;
  int32_t height_ = 0;
};

class TBitmap32 : public TCustomMap {
 public:
  TBitmap32();
  TBitmap32(int32_t width, int32_t height);
  // Moving hands over the pixels and the drawing properties (as Assign copies them) and leaves the
  // source an empty 0 x 0 surface; the change handlers stay with the object they were set on.
  TBitmap32(TBitmap32&& source);
  TBitmap32& operator=(TBitmap32&& source);
  ~TBitmap32() override;

  const char* ClassName() const override { return "TBitmap32"; }

  // Pixels: rows top to bottom, contiguous; pixel (x, y) is element y * Width + x.
  TColor32* Bits() { return bits_.data(); }
  const TColor32* Bits() const { return bits_.data(); }
  TColor32* ScanLine(int32_t y) {
    return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
  }
  const TColor32* ScanLine(int32_t y) const {
    return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
  }
  // No bounds test: callers stay inside the surface.
  TColor32& PixelAt(int32_t x, int32_t y) { return ScanLine(y)[x]; }
  TColor32 PixelAt(int32_t x, int32_t y) const { return ScanLine(y)[x]; }
  size_t PixelCount() const { return bits_.size(); }

  TDrawMode DrawMode() const { return drawMode_; }
  void SetDrawMode(TDrawMode mode);
  TCombineMode CombineMode() const { return combineMode_; }
  void SetCombineMode(TCombineMode mode);
  uint32_t MasterAlpha() const { return masterAlpha_; }
  void SetMasterAlpha(uint32_t alpha);
  TColor32 OuterColor() const { return outerColor_; }
  void SetOuterColor(TColor32 color) { outerColor_ = color; }
  const TRect& ClipRect() const { return clipRect_; }

  // The sampler used when this surface is drawn at another size; the surface owns it.
  TCustomResampler* Resampler() const { return resampler_.get(); }
  // Attaches a resampler: the old one is destroyed and Changed raised; null or the same one is ignored.
  void SetResampler(std::unique_ptr<TCustomResampler> resampler);
  std::string ResamplerClassName() const;
  // Names not in the registry, or the name already in force, change nothing.
  void SetResamplerClassName(const std::string& name);

  bool SetSize(int32_t width, int32_t height) override;
  void Clear(TColor32 color = 0);
  void ResetAlpha(uint32_t alpha = 255);
  void FillRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color);
  void FrameRectClipped(const TRect& rect, TColor32 color);

  // Transfers with the source's draw rules; an absent source does nothing.
  void Draw(const TRect& dstRect, const TRect& srcRect, const TBitmap32* src);
  void Draw(int32_t dstX, int32_t dstY, const TBitmap32* src);
  void DrawTo(TBitmap32* dst, const TRect& dstRect, const TRect& srcRect) const;
  void DrawTo(TBitmap32* dst, const TRect& dstRect) const { DrawTo(dst, dstRect, BoundsRect()); }
  void DrawTo(TBitmap32* dst, int32_t dstX, int32_t dstY) const;

  // Size, pixels and properties of another surface (null empties this one).
  void Assign(const TBitmap32* source);
  // Size and pixels of a decoded picture, with the alpha rules of its kind.
  void Assign(const TDecodedPicture& picture);
  // The same, taking the picture's pixel store over instead of copying it: a large picture is held once.
  void Assign(TDecodedPicture&& picture);
  // A 32-bit picture of this size holding every pixel's four bytes.
  void AssignToPicture(TDecodedPicture& picture) const;
  void CopyMapTo(TBitmap32& dst) const;
  void CopyPropertiesTo(TBitmap32& dst) const;

  // With no destination (or this surface) the result replaces this surface's pixels.
  void FlipHorizontal(TBitmap32* dst = nullptr);
  void FlipVertical(TBitmap32* dst = nullptr);
  void Rotate90(TBitmap32* dst = nullptr);
  void Rotate180(TBitmap32* dst = nullptr);
  void Rotate270(TBitmap32* dst = nullptr);

  void Changed() override;

 protected:
  void ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight) override;

 private:
  enum class Turn { Quarter, Half, ThreeQuarters };
  void Rotate(TBitmap32* dst, Turn turn);
  // Makes pixels (width x height of them) the surface's store, with the notifications of SetSize.
  void AdoptStore(int32_t width, int32_t height, std::vector<TColor32>&& pixels);
  // Runs a change with notifications held back, then reports it once; a change that fails reports nothing.
  void ChangeInOneUpdate(const std::function<void()>& change);

  std::vector<TColor32> bits_;
  TDrawMode drawMode_ = dmOpaque;
  TCombineMode combineMode_ = cmBlend;
  uint32_t masterAlpha_ = 255;
  TColor32 outerColor_ = 0;
  TRect clipRect_{};
  std::unique_ptr<TCustomResampler> resampler_;
};

// The transfer behind Draw and DrawTo: checks, clipping, then the block path for equal sizes
// or the source's resampler for different sizes, combining by the source's draw mode.
void TransferRect(TBitmap32* dst, const TRect& dstRect, const TRect& dstClip, const TBitmap32* src,
                  const TRect& srcRect);
// The same with the combine mode chosen by the caller instead of the source's.
void TransferRect(TBitmap32* dst, const TRect& dstRect, const TRect& dstClip, const TBitmap32* src,
                  const TRect& srcRect, TCombineMode combine);

// Combines produced pixels into a destination by a source surface's draw rules; the rule is
// chosen once per transfer and applied along whole runs.
class TTransferCombiner {
 public:
  explicit TTransferCombiner(const TBitmap32& src);
  TTransferCombiner(const TBitmap32& src, TCombineMode combine);
  // The block-path and nearest-neighbour rule: BlendRun, or BlendRunMaster below full master alpha
  // (their Merge forms under cmMerge).
  void CombineRun(const TColor32* src, TColor32* dst, int n) const;
  // The rule of every other sampler: BlendPixelMaster (MergePixelMaster) with the source's master alpha.
  void CombinePixels(const TColor32* src, TColor32* dst, int n) const;

 private:
  void CombineOtherModes(const TColor32* src, TColor32* dst, int n) const;

  TDrawMode mode_;
  TCombineMode combine_;
  uint32_t master_;
  uint32_t pixelMaster_;
  TColor32 outer_;
};

}  // namespace mirelane
