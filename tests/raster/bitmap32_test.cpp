// TBitmap32: size protocol, fills, transfers, assignment, flips, stream form and notifications.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "raster/bitmap32.h"
#include "raster/blend.h"
#include "raster/error.h"
#include "raster/resampler.h"

namespace mirelane {
namespace {

// Every pixel of a surface, row by row, for whole-surface comparisons.
std::vector<TColor32> PixelsOf(const TBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + b.PixelCount());
}

void FillWith(TBitmap32& b, const std::vector<TColor32>& pixels) {
  ASSERT_EQ(b.PixelCount(), pixels.size());
  std::copy(pixels.begin(), pixels.end(), b.Bits());
}

// Runs f and returns the message of the mirelane::Error it throws, or "" when it throws none.
template <class F>
std::string ErrorMessageOf(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// ---- Colour functions --------------------------------------------------------------------

TEST(ColorFunctions, ColorToColor32) {
  struct Case {
    TColor in;
    TColor32 expected;
  };
  const Case cases[] = {
      {0x000000FF, 0xFFFF0000u},
      {0x12345678, 0xFF785634u},
      {0x00000000, 0xFF000000u},
      {0x00FFFFFF, 0xFFFFFFFFu},
  };
  for (const auto& c : cases) EXPECT_EQ(ColorToColor32(c.in), c.expected) << std::hex << c.in;
  // A negative value names a system colour by its low byte; the result is opaque.
  const TColor32 system = ColorToColor32(static_cast<TColor>(0xFF00000Fu));
  EXPECT_EQ(system, ColorToColor32(SystemColor(15)));
  EXPECT_EQ(AlphaOf(system), 255u);
}

TEST(ColorFunctions, SmallHelpers) {
  EXPECT_EQ(WithAlpha(0x12345678u, -5), 0x00345678u);
  EXPECT_EQ(WithAlpha(0x12345678u, 300), 0xFF345678u);
  EXPECT_EQ(WithAlpha(0x12345678u, 0x80), 0x80345678u);
  EXPECT_EQ(IntensityOf(0xFFFFFFFFu), 255u);
  EXPECT_EQ(IntensityOf(0x00FFFFFFu), 255u);
  EXPECT_EQ(IntensityOf(0xFFFF0000u), (255u * 61) >> 8);
  EXPECT_EQ(LightenColor(0x80F01005u, 20), 0x80FF2419u);
  EXPECT_EQ(LightenColor(0x80F01005u, -20), 0x80DC0000u);
  EXPECT_EQ(ToFixed(1.5), 0x18000);
  EXPECT_EQ(ToFixed(0.5 / 65536.0), 0);  // ties to even
  EXPECT_EQ(ToFixed(1.5 / 65536.0), 2);  // ties to even
  EXPECT_EQ(ToFixed(int32_t{3}), 3 << 16);
}

// ---- Size protocol -----------------------------------------------------------------------

TEST(Bitmap32, NewSurfaceHasDesignStartValues) {
  TBitmap32 b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.DrawMode(), dmOpaque);
  EXPECT_EQ(b.CombineMode(), cmBlend);
  EXPECT_EQ(b.MasterAlpha(), 255u);
  EXPECT_EQ(b.OuterColor(), 0u);
  EXPECT_EQ(b.ResamplerClassName(), "TNearestResampler");
}

TEST(Bitmap32, SetSizeSameKeepsPixelsOtherClears) {
  TBitmap32 b(3, 2);
  b.Clear(0x12345678u);
  EXPECT_FALSE(b.SetSize(3, 2));
  EXPECT_EQ(b.PixelAt(2, 1), 0x12345678u);
  EXPECT_TRUE(b.SetSize(2, 3));
  for (TColor32 p : PixelsOf(b)) EXPECT_EQ(p, 0u);
  EXPECT_EQ(b.ClipRect(), MakeRect(0, 0, 2, 3));
  EXPECT_TRUE(b.SetSize(-4, 5));
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 5);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32, UnallocatableSizeFailsAndLeavesSurfaceEmpty) {
  const std::pair<int32_t, int32_t> sizes[] = {
      {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()},
      {1 << 20, 1 << 20},
      {70000, 70000},
      {std::numeric_limits<int32_t>::max(), 2},
  };
  for (const auto& [w, h] : sizes) {
    TBitmap32 b(4, 4);
    b.Clear(0xFFFFFFFFu);
    EXPECT_EQ(ErrorMessageOf([&] { b.SetSize(w, h); }), "Can't allocate the DIB handle") << w << " x " << h;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.PixelCount(), 0u);
    // Still usable afterwards.
    EXPECT_TRUE(b.SetSize(2, 2));
    EXPECT_EQ(b.PixelAt(1, 1), 0u);
  }
}

TEST(Bitmap32, FailedSetSizeTellsListenersTheSurfaceIsEmpty) {
  TBitmap32 b(4, 4);
  std::vector<std::string> events;
  b.OnChange = [&](TNotifiablePersistent&) { events.push_back("change " + std::to_string(b.Width())); };
  EXPECT_EQ(ErrorMessageOf([&] { b.SetSize(1 << 20, 1 << 20); }), "Can't allocate the DIB handle");
  EXPECT_EQ(events, (std::vector<std::string>{"change 0"}));
}

TEST(Bitmap32, SetSizeFrom) {
  TBitmap32 a(5, 7), b;
  b.SetSizeFrom(&a);
  EXPECT_EQ(b.BoundsRect(), MakeRect(0, 0, 5, 7));
  b.SetSizeFrom(nullptr);
  EXPECT_TRUE(b.Empty());
  TLinearResampler notAMap(b);
  EXPECT_EQ(ErrorMessageOf([&] { b.SetSizeFrom(&notAMap); }), "Can't set size from 'TLinearResampler'");
}

// ---- Fills -------------------------------------------------------------------------------

TEST(Bitmap32, ClearAndResetAlpha) {
  TBitmap32 b(2, 2);
  b.Clear(0x80123456u);
  for (TColor32 p : PixelsOf(b)) EXPECT_EQ(p, 0x80123456u);
  b.ResetAlpha();
  for (TColor32 p : PixelsOf(b)) EXPECT_EQ(p, 0xFF123456u);
  b.ResetAlpha(7);
  for (TColor32 p : PixelsOf(b)) EXPECT_EQ(p, 0x07123456u);
}

TEST(Bitmap32, FillRectClippedWritesWithoutBlending) {
  TBitmap32 b(4, 3);
  b.Clear(0xFF000000u);
  b.FillRectClipped(2, 1, 10, 10, 0x10FFFFFFu);
  const std::vector<TColor32> expected = {
      0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u,  //
      0xFF000000u, 0xFF000000u, 0x10FFFFFFu, 0x10FFFFFFu,  //
      0xFF000000u, 0xFF000000u, 0x10FFFFFFu, 0x10FFFFFFu,  //
  };
  EXPECT_EQ(PixelsOf(b), expected);
  b.FillRectClipped(3, 0, 3, 3, 0x11111111u);      // empty: nothing
  b.FillRectClipped(-5, -5, -1, -1, 0x11111111u);  // outside: nothing
  EXPECT_EQ(PixelsOf(b), expected);
}

TEST(Bitmap32, FrameRectClipped) {
  const TColor32 c = 0xFFABCDEFu;
  struct Case {
    TRect rect;
    std::vector<TColor32> expected;  // 4 x 3 surface
  };
  const Case cases[] = {
      // One pixel high: a single row.
      {MakeRect(1, 1, 4, 2), {0, 0, 0, 0, 0, c, c, c, 0, 0, 0, 0}},
      // One pixel wide: a single column.
      {MakeRect(2, 0, 3, 3), {0, 0, c, 0, 0, 0, c, 0, 0, 0, c, 0}},
      // A full outline with an untouched inside.
      {MakeRect(0, 0, 3, 3), {c, c, c, 0, c, 0, c, 0, c, c, c, 0}},
      // Two rows, no columns in between.
      {MakeRect(0, 1, 2, 3), {0, 0, 0, 0, c, c, 0, 0, c, c, 0, 0}},
      // Clipped by the surface: only the parts inside are drawn.
      {MakeRect(-1, -1, 2, 2), {0, c, 0, 0, c, c, 0, 0, 0, 0, 0, 0}},
      // Empty or wholly outside: nothing.
      {MakeRect(2, 2, 2, 3), std::vector<TColor32>(12, 0)},
      {MakeRect(5, 0, 9, 3), std::vector<TColor32>(12, 0)},
  };
  for (const auto& k : cases) {
    TBitmap32 b(4, 3);
    b.FrameRectClipped(k.rect, c);
    EXPECT_EQ(PixelsOf(b), k.expected)
        << k.rect.Left << "," << k.rect.Top << "," << k.rect.Right << "," << k.rect.Bottom;
  }
}

// ---- Transfers ---------------------------------------------------------------------------

TEST(TransferRect, FailureMessages) {
  TBitmap32 a(2, 2), b(2, 2);
  struct Case {
    TBitmap32* dst;
    const TBitmap32* src;
    TRect srcRect;
    std::string message;
  };
  const Case cases[] = {
      {&a, nullptr, MakeRect(0, 0, 2, 2), "Source bitmap is nil"},
      {nullptr, &b, MakeRect(0, 0, 2, 2), "Destination bitmap is nil"},
      {nullptr, nullptr, MakeRect(0, 0, 2, 2), "Destination bitmap is nil"},
      {&a, &b, MakeRect(0, 0, 3, 2), "Source rectangle is invalid"},
      {&a, &b, MakeRect(-1, 0, 1, 2), "Source rectangle is invalid"},
      {&a, &b, MakeRect(0, 0, 2, 2), ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorMessageOf(
                  [&] { TransferRect(c.dst, MakeRect(0, 0, 2, 2), MakeRect(0, 0, 2, 2), c.src, c.srcRect); }),
              c.message);
  }
  EXPECT_EQ(ErrorMessageOf([&] { b.DrawTo(nullptr, MakeRect(0, 0, 2, 2)); }), "Destination bitmap is nil");
}

TEST(TransferRect, DrawWithBadSourceRect) {
  TBitmap32 src(2, 2), dst(2, 2);
  src.Clear(0xFFFFFFFFu);
  EXPECT_EQ(ErrorMessageOf([&] { dst.Draw(MakeRect(0, 0, 2, 2), MakeRect(1, 1, 3, 3), &src); }),
            "Source rectangle is invalid");
  // An empty source rectangle does nothing, even one that lies outside.
  EXPECT_EQ(ErrorMessageOf([&] { dst.Draw(MakeRect(0, 0, 2, 2), MakeRect(5, 5, 5, 9), &src); }), "");
  for (TColor32 p : PixelsOf(dst)) EXPECT_EQ(p, 0u);
  // An absent source does nothing.
  EXPECT_EQ(ErrorMessageOf([&] { dst.Draw(MakeRect(0, 0, 2, 2), MakeRect(0, 0, 2, 2), nullptr); }), "");
}

// The same opaque white source over opaque black, drawn at its size and stretched.
TEST(TransferRect, SameSizeCopiesWhiteButBilinearStretchBlendsToFE) {
  TBitmap32 src(2, 2);
  src.Clear(0xFFFFFFFFu);
  src.SetDrawMode(dmBlend);
  src.SetResamplerClassName("TLinearResampler");
  TBitmap32 same(2, 2), stretched(4, 4);
  same.Clear(0xFF000000u);
  stretched.Clear(0xFF000000u);
  same.Draw(same.BoundsRect(), src.BoundsRect(), &src);
  stretched.Draw(stretched.BoundsRect(), src.BoundsRect(), &src);
  for (TColor32 p : PixelsOf(same)) EXPECT_EQ(p, 0xFFFFFFFFu);
  for (TColor32 p : PixelsOf(stretched)) EXPECT_EQ(p, 0xFFFEFEFEu);
}

TEST(TransferRect, DrawModesOnTheBlockPath) {
  const std::vector<TColor32> srcPixels = {0x00000000u, 0x00000001u, 0x01000000u, 0x80FFFFFFu};
  const std::vector<TColor32> dstPixels = {0xFF102030u, 0xFF102030u, 0xFF102030u, 0x00000000u};
  struct Case {
    const char* name;
    TDrawMode mode;
    uint32_t master;
    std::vector<TColor32> expected;
  };
  const Case cases[] = {
      {"opaque copies all four bytes", dmOpaque, 255, srcPixels},
      {"opaque with master 0 still copies", dmOpaque, 0, srcPixels},
      {"blend with master 0 draws nothing", dmBlend, 0, dstPixels},
      {"blend uses BlendRun at master 255",
       dmBlend,
       255,
       {0xFF102030u, 0xFF102030u, BlendPixel(0x01000000u, 0xFF102030u), 0x40808080u}},
      {"blend uses BlendRunMaster below 255",
       dmBlend,
       100,
       {0xFF102030u, 0xFF102030u, 0xFF102030u, CombinePixels(0x80FFFFFFu, 0, (129 * 100) >> 8)}},
      {"transparent skips only the outer colour",
       dmTransparent,
       0,
       {0xFF102030u, 0x00000001u, 0x01000000u, 0x80FFFFFFu}},
  };
  for (const auto& c : cases) {
    TBitmap32 src(2, 2), dst(2, 2);
    FillWith(src, srcPixels);
    FillWith(dst, dstPixels);
    src.SetDrawMode(c.mode);
    src.SetMasterAlpha(c.master);
    dst.Draw(0, 0, &src);
    EXPECT_EQ(PixelsOf(dst), c.expected) << c.name;
  }
}

TEST(TransferRect, OffsetAndClippedBlockTakesTheMatchingSourceRun) {
  TBitmap32 src(3, 3), dst(4, 4);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 3; ++x) src.PixelAt(x, y) = 0xFF000000u | static_cast<TColor32>(y * 16 + x);
  // DstRect reaches outside the destination on the left and top; SrcRect is the inner 2 x 2.
  dst.Draw(MakeRect(-1, -1, 1, 1), MakeRect(1, 1, 3, 3), &src);
  EXPECT_EQ(dst.PixelAt(0, 0), 0xFF000000u | (2 * 16 + 2));
  EXPECT_EQ(dst.PixelAt(1, 0), 0u);
  EXPECT_EQ(dst.PixelAt(0, 1), 0u);
}

TEST(TransferRect, DrawingASurfaceOntoItselfReadsTheOriginal) {
  TBitmap32 b(1, 4);
  FillWith(b, {1, 2, 3, 4});
  b.Draw(MakeRect(0, 1, 1, 4), MakeRect(0, 0, 1, 3), &b);
  EXPECT_EQ(PixelsOf(b), (std::vector<TColor32>{1, 1, 2, 3}));
}

TEST(TransferRect, MasterAboveByteCountsAsFullInPixelRule) {
  TBitmap32 src(1, 1), dst(2, 2);
  src.Clear(0xFFFFFFFFu);
  src.SetDrawMode(dmBlend);
  src.SetMasterAlpha(1000);
  src.SetResamplerClassName("TLinearResampler");
  dst.Clear(0xFF000000u);
  dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
  for (TColor32 p : PixelsOf(dst)) EXPECT_EQ(p, 0xFFFEFEFEu);
}

// ---- Flips and quarter turns ---------------------------------------------------------------

// A 3 x 2 surface whose pixel (x, y) holds 10 * y + x.
void FillNumbered(TBitmap32& b) {
  for (int32_t y = 0; y < b.Height(); ++y)
    for (int32_t x = 0; x < b.Width(); ++x) b.PixelAt(x, y) = static_cast<TColor32>(10 * y + x);
}

TEST(Bitmap32, FlipsAndRotations) {
  struct Case {
    const char* name;
    void (TBitmap32::*op)(TBitmap32*);
    int32_t width, height;
    std::vector<TColor32> expected;
  };
  // Source rows: 0 1 2 / 10 11 12.
  const Case cases[] = {
      {"FlipHorizontal", &TBitmap32::FlipHorizontal, 3, 2, {2, 1, 0, 12, 11, 10}},
      {"FlipVertical", &TBitmap32::FlipVertical, 3, 2, {10, 11, 12, 0, 1, 2}},
      {"Rotate90", &TBitmap32::Rotate90, 2, 3, {10, 0, 11, 1, 12, 2}},
      {"Rotate180", &TBitmap32::Rotate180, 3, 2, {12, 11, 10, 2, 1, 0}},
      {"Rotate270", &TBitmap32::Rotate270, 2, 3, {2, 12, 1, 11, 0, 10}},
  };
  for (const auto& c : cases) {
    TBitmap32 inPlace(3, 2), src(3, 2), dst(7, 7);
    FillNumbered(inPlace);
    FillNumbered(src);
    (inPlace.*c.op)(nullptr);
    (src.*c.op)(&dst);
    EXPECT_EQ(inPlace.Width(), c.width) << c.name;
    EXPECT_EQ(inPlace.Height(), c.height) << c.name;
    EXPECT_EQ(PixelsOf(inPlace), c.expected) << c.name;
    EXPECT_EQ(dst.Width(), c.width) << c.name;
    EXPECT_EQ(PixelsOf(dst), c.expected) << c.name;
    EXPECT_EQ(src.Width(), 3) << c.name << " must leave the source alone";
  }
  // The worked corner positions: source (0, 0) at (1, 0) after Rotate90, at (0, 2) after Rotate270.
  TBitmap32 a(3, 2), b(3, 2);
  a.PixelAt(0, 0) = 0xFFFFFFFFu;
  b.PixelAt(0, 0) = 0xFFFFFFFFu;
  a.Rotate90();
  b.Rotate270();
  EXPECT_EQ(a.PixelAt(1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(b.PixelAt(0, 2), 0xFFFFFFFFu);
}

// Turns compose as turns do, on any shape of surface: four quarters or two halves are no turn, a
// quarter and three quarters undo each other, two quarters are a half.
TEST(Bitmap32, TurnsComposeOnEveryShape) {
  std::mt19937 rng(7);
  for (const auto& [w, h] :
       std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {1, 9}, {9, 1}, {7, 3}, {4, 4}, {3, 8}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    TBitmap32 original(w, h);
    for (size_t i = 0; i < original.PixelCount(); ++i) original.Bits()[i] = rng();
    const auto turned = [&](std::initializer_list<void (TBitmap32::*)(TBitmap32*)> turns) {
      TBitmap32 b;
      b.Assign(&original);
      for (auto turn : turns) (b.*turn)(nullptr);
      return b;
    };
    const std::vector<TColor32> pixels = PixelsOf(original);
    using B = TBitmap32;
    EXPECT_EQ(PixelsOf(turned({&B::Rotate90, &B::Rotate90, &B::Rotate90, &B::Rotate90})), pixels);
    EXPECT_EQ(PixelsOf(turned({&B::Rotate180, &B::Rotate180})), pixels);
    EXPECT_EQ(PixelsOf(turned({&B::Rotate90, &B::Rotate270})), pixels);
    EXPECT_EQ(PixelsOf(turned({&B::Rotate90, &B::Rotate90})), PixelsOf(turned({&B::Rotate180})));
    EXPECT_EQ(PixelsOf(turned({&B::Rotate270})), PixelsOf(turned({&B::Rotate180, &B::Rotate90})));
    EXPECT_EQ(PixelsOf(turned({&B::FlipHorizontal, &B::FlipVertical})), PixelsOf(turned({&B::Rotate180})));
  }
}

TEST(Bitmap32, QuarterTurnInPlaceNotifiesAfterThePixelsAreThere) {
  TBitmap32 b(3, 2);
  FillNumbered(b);
  std::vector<TColor32> seenOnChange;
  b.OnChange = [&](TNotifiablePersistent&) { seenOnChange = PixelsOf(b); };
  b.Rotate90();
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(seenOnChange, (std::vector<TColor32>{10, 0, 11, 1, 12, 2}));
  // A square surface keeps its size: a quarter turn raises nothing.
  TBitmap32 square(2, 2);
  int changes = 0;
  square.OnChange = [&](TNotifiablePersistent&) { ++changes; };
  square.Rotate90();
  EXPECT_EQ(changes, 0);
}

// ---- Assignment --------------------------------------------------------------------------

TEST(Bitmap32, AssignFromSurfaceCopiesPixelsAndProperties) {
  TBitmap32 src(2, 1);
  FillWith(src, {0x80112233u, 0x01020304u});
  src.SetDrawMode(dmBlend);
  src.SetMasterAlpha(99);
  src.SetOuterColor(0x12345678u);
  src.SetResamplerClassName("TLinearResampler");

  TBitmap32 dst(5, 5);
  int changes = 0;
  dst.OnChange = [&](TNotifiablePersistent&) { ++changes; };
  dst.Assign(&src);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(PixelsOf(dst), PixelsOf(src));
  EXPECT_EQ(dst.DrawMode(), dmBlend);
  EXPECT_EQ(dst.MasterAlpha(), 99u);
  EXPECT_EQ(dst.OuterColor(), 0x12345678u);
  EXPECT_EQ(dst.ResamplerClassName(), "TLinearResampler");
  EXPECT_NE(dst.Resampler(), src.Resampler()) << "a resampler of its own";

  dst.Assign(static_cast<const TBitmap32*>(nullptr));
  EXPECT_TRUE(dst.Empty());
}

// Moving hands over the store itself (no copy) and every drawing property, keeps each object's
// handlers where they were set, and leaves the source an empty surface that can be used again.
TEST(Bitmap32, MovingHandsTheStoreAndPropertiesOverAndEmptiesTheSource) {
  for (const bool assign : {false, true}) {
    SCOPED_TRACE(assign ? "move assignment" : "move construction");
    TBitmap32 src(3, 2);
    FillWith(src, {1, 2, 3, 4, 5, 6});
    src.SetDrawMode(dmBlend);
    src.SetCombineMode(cmMerge);
    src.SetMasterAlpha(77);
    src.SetOuterColor(0x11223344u);
    src.SetResamplerClassName("TLinearResampler");
    int sourceChanges = 0, targetChanges = 0;
    src.OnChange = [&](TNotifiablePersistent&) { ++sourceChanges; };
    const TColor32* store = src.Bits();

    std::optional<TBitmap32> made;
    TBitmap32 target(5, 5);
    target.OnChange = [&](TNotifiablePersistent&) { ++targetChanges; };
    if (assign)
      target = std::move(src);
    else
      made.emplace(std::move(src));
    TBitmap32& dst = assign ? target : *made;

    EXPECT_EQ(dst.Bits(), store);
    EXPECT_EQ(dst.Width(), 3);
    EXPECT_EQ(dst.Height(), 2);
    EXPECT_EQ(PixelsOf(dst), (std::vector<TColor32>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(dst.ClipRect(), (TRect{0, 0, 3, 2}));
    EXPECT_EQ(dst.DrawMode(), dmBlend);
    EXPECT_EQ(dst.CombineMode(), cmMerge);
    EXPECT_EQ(dst.MasterAlpha(), 77u);
    EXPECT_EQ(dst.OuterColor(), 0x11223344u);
    EXPECT_EQ(dst.ResamplerClassName(), "TLinearResampler");
    EXPECT_EQ(targetChanges, assign ? 1 : 0);
    EXPECT_EQ(static_cast<bool>(dst.OnChange), assign);

    EXPECT_TRUE(src.Empty());
    EXPECT_EQ(src.Width(), 0);
    EXPECT_EQ(src.Height(), 0);
    EXPECT_EQ(src.PixelCount(), 0u);
    EXPECT_GE(sourceChanges, 1);  // its listeners learn that it is empty
    src.SetSize(2, 2);
    src.Clear(9);
    EXPECT_EQ(PixelsOf(src), (std::vector<TColor32>(4, 9)));
  }
  TBitmap32 self(2, 2);
  self.Clear(7);
  TBitmap32& alias = self;
  self = std::move(alias);
  EXPECT_EQ(PixelsOf(self), (std::vector<TColor32>(4, 7)));
}

// A decoded picture one row high.
TDecodedPicture Picture(TPictureKind kind, int bits, std::optional<TColor> key, std::vector<TColor32> row) {
  TDecodedPicture p;
  p.Kind = kind;
  p.Width = static_cast<int32_t>(row.size());
  p.Height = 1;
  p.BitsPerPixel = bits;
  p.TransparentColor = key;
  p.Pixels = std::move(row);
  return p;
}

TEST(Bitmap32, AssignFromDecodedPictures) {
  struct Case {
    const char* name;
    TPictureKind kind;
    int bits;
    std::optional<TColor> key;
    std::vector<TColor32> pixels, expected;
  };
  const TColor32 half = 0x80FF0000u;  // half-transparent red
  const Case cases[] = {
      {"32-bit bitmap keeps alpha",
       TPictureKind::Bitmap,
       32,
       std::nullopt,
       {0x00123456u, half},
       {0x00123456u, half}},
      {"lower depth becomes opaque",
       TPictureKind::Bitmap,
       24,
       std::nullopt,
       {0x00123456u, half},
       {0xFF123456u, 0xFFFF0000u}},
      // Key colour 0x000000FF is red: red pixels lose their alpha, keeping their colour bytes.
      {"key colour cuts holes",
       TPictureKind::Bitmap,
       24,
       TColor{0x000000FF},
       {0x00FF0000u, 0x00123456u},
       {0x00FF0000u, 0xFF123456u}},
      // Opaque icon pixels look the same on white and red; clear ones show only the white; a graded
      // one differs between the two by its own alpha, which it keeps.
      {"icon rule",
       TPictureKind::IconOrMetafile,
       32,
       std::nullopt,
       {0xFF102030u, 0x00102030u, half, 0x01ABCDEFu, 0xFE010203u},
       {0xFF102030u, 0x00FFFFFFu, half, 0x01ABCDEFu, 0xFE010203u}},
      {"other picture is opaque",
       TPictureKind::Other,
       32,
       std::nullopt,
       {0xFF102030u, 0xFF405060u},
       {0xFF102030u, 0xFF405060u}},
      // Drawn over the cleared pixels of a new size: half of the colour, then opaque.
      {"other picture over a new size",
       TPictureKind::Other,
       32,
       std::nullopt,
       {half, 0x00405060u},
       {0xFF800000u, 0xFF000000u}},
  };
  for (const auto& c : cases) {
    // Copying the picture and taking its store over must load the same.
    for (const bool moved : {false, true}) {
      TBitmap32 b(9, 9);
      TDecodedPicture picture = Picture(c.kind, c.bits, c.key, c.pixels);
      if (moved) {
        b.Assign(std::move(picture));
      } else {
        b.Assign(static_cast<const TDecodedPicture&>(picture));
        EXPECT_EQ(picture.Pixels, c.pixels) << c.name;
      }
      EXPECT_EQ(b.Width(), static_cast<int32_t>(c.pixels.size())) << c.name;
      EXPECT_EQ(b.ClipRect().Right, b.Width()) << c.name;
      EXPECT_EQ(PixelsOf(b), c.expected) << c.name << (moved ? " (moved)" : " (copied)");
      TDecodedPicture back;
      b.AssignToPicture(back);
      EXPECT_EQ(back.Pixels, c.expected) << c.name;
      EXPECT_EQ(back.BitsPerPixel, 32) << c.name;
    }
  }
}

TEST(Bitmap32, AssignMovedPictureHandsItsStoreOver) {
  TBitmap32 b;
  int changes = 0;
  b.OnChange = [&changes](TNotifiablePersistent&) { ++changes; };
  TDecodedPicture picture = Picture(TPictureKind::Bitmap, 32, std::nullopt, {1, 2, 3});
  const TColor32* store = picture.Pixels.data();
  b.Assign(std::move(picture));
  EXPECT_EQ(b.Bits(), store);
  EXPECT_EQ(changes, 1);
}

TEST(Bitmap32, AssignOtherPictureOfSameSizeDrawsOverPreviousPixelsThenOpaque) {
  TBitmap32 b(1, 1);
  b.Clear(0x00FFFFFFu);
  b.Assign(Picture(TPictureKind::Other, 32, std::nullopt, {0x00000000u}));
  EXPECT_EQ(b.PixelAt(0, 0), 0xFFFFFFFFu);
  b.Clear(0x00FFFFFFu);
  const TDecodedPicture kept = Picture(TPictureKind::Other, 32, std::nullopt, {0x00000000u});
  b.Assign(kept);
  EXPECT_EQ(b.PixelAt(0, 0), 0xFFFFFFFFu);
}

TEST(Bitmap32, AssignRejectsInconsistentPicture) {
  TBitmap32 b(2, 2);
  b.Clear(0xFFFFFFFFu);
  EXPECT_NE(ErrorMessageOf([&] {
              b.Assign(TDecodedPicture{TPictureKind::Bitmap, 3, 3, 32, {}, {1, 2}, TSampleSpace::Colour, {}});
            }),
            "");
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.PixelAt(1, 1), 0xFFFFFFFFu);
}

// ---- Notifications -----------------------------------------------------------------------

TEST(Bitmap32, SetSizeRaisesChangeOnlyForANewSize) {
  TBitmap32 b;
  int changes = 0;
  b.OnChange = [&](TNotifiablePersistent&) { ++changes; };
  b.SetSize(4, 3);
  EXPECT_EQ(changes, 1);
  b.SetSize(4, 3);
  EXPECT_EQ(changes, 1);
}

TEST(Bitmap32, DrawingNotifiesAndBeginUpdateSuppresses) {
  TBitmap32 src(2, 2), b(8, 8);
  int changes = 0;
  b.OnChange = [&](TNotifiablePersistent&) { ++changes; };

  b.FillRectClipped(6, 6, 10, 10, 1);
  b.Draw(MakeRect(1, 2, 3, 4), src.BoundsRect(), &src);
  b.Draw(MakeRect(1, 2, 5, 6), src.BoundsRect(), &src);      // stretched
  b.Draw(MakeRect(20, 20, 22, 22), src.BoundsRect(), &src);  // clipped away: nothing
  EXPECT_EQ(changes, 3);

  b.BeginUpdate();
  b.BeginUpdate();
  b.Clear(5);
  b.SetMasterAlpha(3);
  b.EndUpdate();
  b.FillRectClipped(0, 0, 1, 1, 2);
  b.EndUpdate();  // raises nothing by itself
  EXPECT_EQ(changes, 3);
  b.Changed();
  EXPECT_EQ(changes, 4);
}

TEST(Bitmap32, SettersNotifyOnlyOnRealChange) {
  TBitmap32 b(1, 1);
  int changes = 0;
  b.OnChange = [&](TNotifiablePersistent&) { ++changes; };
  b.SetDrawMode(dmOpaque);
  b.SetMasterAlpha(255);
  b.SetCombineMode(cmBlend);
  EXPECT_EQ(changes, 0);
  b.SetDrawMode(dmBlend);
  b.SetMasterAlpha(300);  // stored without clamping
  b.SetCombineMode(cmMerge);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(b.MasterAlpha(), 300u);
}

}  // namespace
}  // namespace mirelane
