// Half-open integer rectangles: (Left, Top, Right, Bottom) with Right and Bottom exclusive.
#pragma once

#include <algorithm>
#include <cstdint>

namespace mirelane {

struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;

  constexpr int32_t Width() const { return Right - Left; }
  constexpr int32_t Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TRect MakeRect(int32_t l, int32_t t, int32_t r, int32_t b) {
  return TRect{l, t, r, b};
}

// The common part; empty rectangles come back as (0, 0, 0, 0).
constexpr TRect IntersectRect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}

constexpr bool RectInside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

}  // namespace mirelane
