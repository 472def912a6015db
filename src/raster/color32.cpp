// Colour conversions and the system colour table behind negative toolkit colours.
#include "raster/color32.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace mirelane {

namespace {

// A fixed, sensible desktop palette in the classic numbering of system colours (0x00BBGGRR).
constexpr std::array<TColor, 31> kSystemColors = {
    0x00C8D0D4,  // 0  scroll bar
    0x00A56E3A,  // 1  background (desktop)
    0x00D1B499,  // 2  active caption
    0x00DBCDBF,  // 3  inactive caption
    0x00F0F0F0,  // 4  menu
    0x00FFFFFF,  // 5  window
    0x00646464,  // 6  window frame
    0x00000000,  // 7  menu text
    0x00000000,  // 8  window text
    0x00000000,  // 9  caption text
    0x00B4B4B4,  // 10 active border
    0x00FCF7F4,  // 11 inactive border
    0x00ABABAB,  // 12 app workspace
    0x00D77800,  // 13 highlight
    0x00FFFFFF,  // 14 highlight text
    0x00F0F0F0,  // 15 button face
    0x00A0A0A0,  // 16 button shadow
    0x006D6D6D,  // 17 grey text
    0x00000000,  // 18 button text
    0x00000000,  // 19 inactive caption text
    0x00FFFFFF,  // 20 button highlight
    0x00696969,  // 21 3D dark shadow
    0x00E3E3E3,  // 22 3D light
    0x00000000,  // 23 info text
    0x00E1FFFF,  // 24 info background
    0x00B5B5B5,  // 25 hot light (unused number in old tables)
    0x00CC6600,  // 26 hot light
    0x00EAD1B9,  // 27 gradient active caption
    0x00F2E4D7,  // 28 gradient inactive caption
    0x00D77800,  // 29 menu highlight
    0x00F0F0F0,  // 30 menu bar
};

}  // namespace

TColor SystemColor(int number) {
  if (number < 0 || number >= static_cast<int>(kSystemColors.size())) return 0;
  return kSystemColors[static_cast<size_t>(number)];
}

TColor32 ColorToColor32(TColor c) {
  if (c < 0) c = SystemColor(c & 0xFF);
  const uint32_t v = static_cast<uint32_t>(c);
  const uint32_t r = v & 0xFF, g = (v >> 8) & 0xFF, b = (v >> 16) & 0xFF;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

TColor32 LightenColor(TColor32 p, int n) {
  auto shift = [n](uint32_t c) { return static_cast<uint32_t>(std::clamp(static_cast<int>(c) + n, 0, 255)); };
  return (p & 0xFF000000u) | (shift(RedOf(p)) << 16) | (shift(GreenOf(p)) << 8) | shift(BlueOf(p));
}

int32_t ToFixed(double x) {
  return static_cast<int32_t>(std::nearbyint(x * 65536.0));
}

}  // namespace mirelane
