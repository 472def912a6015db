// A decoded picture into a surface and back, with the alpha rules of bitmaps and icons.
#include "raster/bitmap32.h"

#include <algorithm>

#include "raster/blend.h"
#include "raster/error.h"
#include "raster/resampler.h"

namespace mirelane {

namespace {

// A straight-alpha pixel drawn "over" an opaque background, rounded to nearest.
TColor32 RenderOver(TColor32 p, TColor32 background) {
  const uint32_t a = AlphaOf(p);
  auto mix = [a](uint32_t c, uint32_t bg) { return (c * a + bg * (255 - a) + 127) / 255; };
  return 0xFF000000u | (mix(RedOf(p), RedOf(background)) << 16) |
         (mix(GreenOf(p), GreenOf(background)) << 8) | mix(BlueOf(p), BlueOf(background));
}

// An icon pixel judged by rendering it on white and on red: where both look the same it is opaque,
// where neither shows any of it it is clear (white colour bytes). A partly covered pixel, which only an
// icon with its own graded alpha has, keeps that alpha: the two renderings differ by exactly that much.
TColor32 JudgeIconPixel(TColor32 p) {
  const TColor32 onWhite = RenderOver(p, 0xFFFFFFFFu);
  if (onWhite == RenderOver(p, 0xFFFF0000u)) return onWhite;
  return AlphaOf(p) == 0 ? (onWhite & 0x00FFFFFFu) : p;
}

void CheckPictureData(const TDecodedPicture& picture) {
  if (picture.Width < 0 || picture.Height < 0 ||
      picture.Pixels.size() != static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height))
    throw Error("Invalid picture data");
}

// The alpha rules of a bitmap or icon picture, applied to its pixels where they already lie.
void ApplyPictureAlphaRules(const TDecodedPicture& picture, std::vector<TColor32>& pixels) {
  if (picture.Kind == TPictureKind::IconOrMetafile) {
    for (TColor32& p : pixels) p = JudgeIconPixel(p);
    return;
  }
  if (picture.BitsPerPixel < 32)
    for (TColor32& p : pixels) p |= 0xFF000000u;
  if (picture.TransparentColor) {
    const TColor32 key = ColorToColor32(*picture.TransparentColor) & 0x00FFFFFFu;
    for (TColor32& p : pixels)
      if ((p & 0x00FFFFFFu) == key) p &= 0x00FFFFFFu;
  }
}

}  // namespace

void TBitmap32::Assign(const TDecodedPicture& picture) {
  CheckPictureData(picture);
  ChangeInOneUpdate([&] {
    SetSize(picture.Width, picture.Height);
    if (picture.Kind == TPictureKind::Other) {
      // The picture draws itself over the current pixels (all 0 after a size change); always opaque.
      for (size_t i = 0; i < bits_.size(); ++i) bits_[i] = BlendPixel(picture.Pixels[i], bits_[i]);
      ResetAlpha(255);
    } else {
      std::copy(picture.Pixels.begin(), picture.Pixels.end(), bits_.begin());
      ApplyPictureAlphaRules(picture, bits_);
    }
  });
}

void TBitmap32::Assign(TDecodedPicture&& picture) {
  CheckPictureData(picture);
  // A picture drawn over pixels already there needs both at once: that case keeps the copying form.
  if (picture.Kind == TPictureKind::Other && picture.Width == width_ && picture.Height == height_) {
    Assign(static_cast<const TDecodedPicture&>(picture));
    return;
  }
  ChangeInOneUpdate([&] {
    AdoptStore(picture.Width, picture.Height, std::move(picture.Pixels));
    picture.Pixels.clear();
    if (picture.Kind == TPictureKind::Other) {
      for (TColor32& p : bits_) p = BlendPixel(p, 0) | 0xFF000000u;
    } else {
      ApplyPictureAlphaRules(picture, bits_);
    }
  });
}

void TBitmap32::AssignToPicture(TDecodedPicture& picture) const {
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = width_;
  picture.Height = height_;
  picture.BitsPerPixel = 32;
  picture.TransparentColor.reset();
  picture.Pixels = bits_;
}

}  // namespace mirelane
