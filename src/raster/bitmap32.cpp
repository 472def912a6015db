// TBitmap32: the store and its size protocol, drawing properties, fills and copies between surfaces.
// Transfers, decoded pictures and turns have files of their own.
#include "raster/bitmap32.h"

#include <algorithm>
#include <limits>

#include "raster/error.h"
#include "raster/resampler.h"

namespace mirelane {

namespace {

// Larger stores than this (1 GiB, 16384 x 16384 pixels) are refused up front: far beyond any
// shot or sensible source picture, and a bigger request would only fail later, less cleanly,
// inside the allocator or by the system running out of memory while the pixels are zeroed.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

}  // namespace

// ---- TNotifiablePersistent / TCustomMap -------------------------------------------------

void TNotifiablePersistent::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(*this);
}

bool TCustomMap::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return false;
  ChangeSize(width_, height_, width, height);
  Changed();
  return true;
}

void TCustomMap::SetSizeFrom(const TNotifiablePersistent* source) {
  if (source == nullptr) {
    SetSize(0, 0);
    return;
  }
  const auto* map = dynamic_cast<const TCustomMap*>(source);
  if (map == nullptr) throw Error(std::string("Can't set size from '") + source->ClassName() + "'");
  SetSize(map->Width(), map->Height());
}

void TCustomMap::ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight) {
  width = newWidth;
  height = newHeight;
}

// ---- TBitmap32: lifetime, size, properties ----------------------------------------------

TBitmap32::TBitmap32() : resampler_(std::make_unique<TNearestResampler>(*this)) {}

TBitmap32::TBitmap32(int32_t width, int32_t height) : TBitmap32() {
  SetSize(width, height);
}

TBitmap32::TBitmap32(TBitmap32&& source) : TBitmap32() {
  *this = std::move(source);
}

TBitmap32& TBitmap32::operator=(TBitmap32&& source) {
  if (&source == this) return *this;
  ChangeInOneUpdate([&] {
    source.CopyPropertiesTo(*this);
    AdoptStore(source.width_, source.height_, std::move(source.bits_));
  });
  source.bits_.clear();
  source.SetSize(0, 0);
  return *this;
}

TBitmap32::~TBitmap32() = default;

bool TBitmap32::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return false;
  const bool hadSize = width_ != 0 || height_ != 0;
  try {
    ChangeSize(width_, height_, width, height);
  } catch (...) {
    // The old store is gone and the surface is empty: tell whoever holds its pixels or size.
    if (hadSize) {
      Changed();
    }
    throw;
  }
  clipRect_ = BoundsRect();
  Changed();
  return true;
}

void TBitmap32::ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight) {
  const uint64_t count = static_cast<uint64_t>(newWidth) * static_cast<uint64_t>(newHeight);
  // Drop the old store first so a failure leaves the surface empty, never half-sized.
  std::vector<TColor32>().swap(bits_);
  width = 0;
  height = 0;
  clipRect_ = TRect{};
  if (count > kMaxPixels) throw Error("Can't allocate the DIB handle");
  try {
    bits_.assign(static_cast<size_t>(count), 0);
  } catch (const std::bad_alloc&) {
    throw Error("Can't allocate the DIB handle");
  } catch (const std::length_error&) {
    throw Error("Can't allocate the DIB handle");
  }
  width = newWidth;
  height = newHeight;
}

void TBitmap32::Changed() {
  if (updateCount_ != 0) return;
  if (OnChange) OnChange(*this);
}

void TBitmap32::SetDrawMode(TDrawMode mode) {
  if (mode == drawMode_) return;
  drawMode_ = mode;
  Changed();
}

void TBitmap32::SetCombineMode(TCombineMode mode) {
  if (mode == combineMode_) return;
  combineMode_ = mode;
  Changed();
}

void TBitmap32::SetMasterAlpha(uint32_t alpha) {
  if (alpha == masterAlpha_) return;
  masterAlpha_ = alpha;
  Changed();
}

void TBitmap32::SetResampler(std::unique_ptr<TCustomResampler> resampler) {
  if (!resampler || resampler.get() == resampler_.get()) return;
  resampler_ = std::move(resampler);
  Changed();
}

std::string TBitmap32::ResamplerClassName() const {
  return resampler_ ? resampler_->ClassName() : "";
}

void TBitmap32::SetResamplerClassName(const std::string& name) {
  if (name == ResamplerClassName()) return;
  SetResampler(CreateResampler(name, *this));
}

// ---- Fills ---------------------------------------------------------------------------------

void TBitmap32::Clear(TColor32 color) {
  if (Empty()) return;
  const TRect r = IntersectRect(clipRect_, BoundsRect());
  for (int32_t y = r.Top; y < r.Bottom; ++y) std::fill_n(ScanLine(y) + r.Left, r.Width(), color);
  Changed();
}

void TBitmap32::ResetAlpha(uint32_t alpha) {
  const TColor32 a = (alpha & 0xFF) << 24;
  for (auto& p : bits_) p = (p & 0x00FFFFFFu) | a;
  Changed();
}

void TBitmap32::FillRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color) {
  TRect r{x1, y1, x2, y2};
  if (x1 < x2 && y1 < y2) {
    r = IntersectRect(r, clipRect_);
    for (int32_t y = r.Top; y < r.Bottom; ++y) std::fill_n(ScanLine(y) + r.Left, r.Width(), color);
  }
  Changed();
}

void TBitmap32::FrameRectClipped(const TRect& rect, TColor32 color) {
  if (rect.IsEmpty() || IntersectRect(rect, clipRect_).IsEmpty()) return;
  auto put = [&](int32_t x, int32_t y) {
    if (x >= clipRect_.Left && x < clipRect_.Right && y >= clipRect_.Top && y < clipRect_.Bottom)
      PixelAt(x, y) = color;
  };
  const int32_t right = rect.Right - 1, bottom = rect.Bottom - 1;
  for (int32_t x = rect.Left; x <= right; ++x) {
    put(x, rect.Top);
    if (bottom > rect.Top) put(x, bottom);
  }
  if (rect.Top + 1 < bottom) {
    for (int32_t y = rect.Top + 1; y <= bottom - 1; ++y) {
      put(rect.Left, y);
      if (right > rect.Left) put(right, y);
    }
  }
  Changed();
}

// ---- Assignment ----------------------------------------------------------------------------

void TBitmap32::ChangeInOneUpdate(const std::function<void()>& change) {
  BeginUpdate();
  try {
    change();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TBitmap32::Assign(const TBitmap32* source) {
  if (source == nullptr) {
    SetSize(0, 0);
    return;
  }
  if (source == this) return;
  ChangeInOneUpdate([&] {
    SetSize(source->Width(), source->Height());
    std::copy(source->bits_.begin(), source->bits_.end(), bits_.begin());
    source->CopyPropertiesTo(*this);
  });
}

void TBitmap32::AdoptStore(int32_t width, int32_t height, std::vector<TColor32>&& pixels) {
  const bool resized = width != width_ || height != height_;
  bits_ = std::move(pixels);
  width_ = width;
  height_ = height;
  clipRect_ = BoundsRect();
  if (!resized) return;
  Changed();
}

void TBitmap32::CopyMapTo(TBitmap32& dst) const {
  if (&dst == this) return;
  dst.SetSize(width_, height_);
  std::copy(bits_.begin(), bits_.end(), dst.bits_.begin());
  dst.Changed();
}

void TBitmap32::CopyPropertiesTo(TBitmap32& dst) const {
  dst.SetDrawMode(drawMode_);
  dst.SetCombineMode(combineMode_);
  dst.SetMasterAlpha(masterAlpha_);
  dst.SetOuterColor(outerColor_);
  dst.SetResampler(resampler_->CloneFor(dst));
}

}  // namespace mirelane
