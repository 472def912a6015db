// Generation of the shade maps: linear ramps, a uniform grey, and soft-edged shapes whose edge
// follows a Gaussian profile.
#include "raster/shade_maps.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "raster/error.h"

namespace mirelane {

namespace {

TColor32 Grey(double level) {
  const auto g = static_cast<uint32_t>(std::clamp(std::nearbyint(level), 0.0, 255.0));
  return Color32(g, g, g);
}

// The soft edge of the rounded panel: 255 x Phi(distance / sigma), distance measured inwards from the
// half-intensity outline. Sigma 1.77 reproduces the panel's profile 0, 1, 6, 20, 50, 99, 155, ... to
// within one level.
constexpr double kEdgeSigma = 1.77;
double SoftEdge(double inside) {
  return 255.0 * 0.5 * std::erfc(-inside / (kEdgeSigma * std::sqrt(2.0)));
}

// A one-pixel linear edge for the ring and disc maps: half intensity on the circle.
double LinearEdge(double inside) {
  return 255.0 * std::clamp(inside + 0.5, 0.0, 1.0);
}

template <typename Fn>
std::unique_ptr<TBitmap32> Generate(int32_t w, int32_t h, Fn pixel) {
  auto map = std::make_unique<TBitmap32>(w, h);
  for (int32_t y = 0; y < h; ++y) {
    TColor32* row = map->ScanLine(y);
    for (int32_t x = 0; x < w; ++x) row[x] = pixel(x, y);
  }
  return map;
}

// Signed distance inside a rounded rectangle given by its outline edges (pixel-centre coordinates)
// and corner radius; negative outside.
double InsideRoundRect(double x, double y, double left, double top, double right, double bottom,
                       double radius) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double qx = std::abs(x - cx) - ((right - left) / 2 - radius);
  const double qy = std::abs(y - cy) - ((bottom - top) / 2 - radius);
  const double outside =
      std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
  return -outside;
}

}  // namespace

std::unique_ptr<TBitmap32> MakeShadeMap(int index) {
  switch (index) {
    case kShadeMapCorner:
      return Generate(300, 300, [](int32_t x, int32_t y) { return Grey(127.5 + 127.5 * (y - x) / 299.0); });
    case kShadeMapSide:
      // From a faintly warm dark grey (0x1F1B1A) at the top to white at the bottom.
      return Generate(300, 300, [](int32_t, int32_t y) {
        const double t = y / 299.0;
        auto channel = [t](double top) {
          return static_cast<uint32_t>(std::nearbyint(top + (255.0 - top) * t));
        };
        return Color32(channel(0x1F), channel(0x1B), channel(0x1A));
      });
    case kShadeMapUniform:
      return Generate(300, 300, [](int32_t, int32_t) { return TColor32{0xFFADA9A8u}; });
    case kShadeMapRing:
      return Generate(400, 400, [](int32_t x, int32_t y) {
        const double d = std::hypot(x - 199.5, y - 199.5);
        return Grey(LinearEdge(std::min(189.5 - d, d - 77.5)));
      });
    case kShadeMapRoundRect:
      // Half-intensity outline 12.5 columns in from the left and right, 9.5 rows below the top and
      // 10.5 above the bottom, corners of radius 8.
      return Generate(326, 257, [](int32_t x, int32_t y) {
        return Grey(SoftEdge(InsideRoundRect(x, y, 12.5, 9.5, 325 - 12.5, 256 - 10.5, 8.0)));
      });
    case kShadeMapDisc:
      return Generate(400, 400, [](int32_t x, int32_t y) {
        const double d = std::hypot(x - 199.5, y - 199.5);
        return Grey(LinearEdge(std::min(189.5 - d, d - 27.0)));
      });
    default:
      throw Error("There is no shade map " + std::to_string(index));
  }
}

const TBitmap32List& ShadeBitmap32List() {
  static const TBitmap32List list = [] {
    TBitmap32List maps;
    for (int i = 0; i < kShadeMapCount; ++i) maps.Add(MakeShadeMap(i));
    return maps;
  }();
  return list;
}

}  // namespace mirelane
