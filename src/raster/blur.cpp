// The recursive exponential blur, with the column pass run over whole rows to stay cache-friendly.
#include "raster/blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace mirelane {

namespace {

constexpr int32_t kMaxWeight = 65536;

int32_t ClampWeight(int32_t a) {
  return std::clamp(a, 0, kMaxWeight);
}

// The step on one channel byte. With a in 0..65536 and |d| <= 32640 the product stays below 2^31,
// so 32-bit arithmetic gives the same bits as the 64-bit product, and the right shift of a negative
// value is arithmetic (floor), as the filter requires.
inline uint8_t StepChannel(uint8_t v, int32_t& z, int32_t a) {
  const int32_t d = static_cast<int32_t>(v) * 128 - z;
  z += (a * d) >> 16;
  return static_cast<uint8_t>(z >> 7);
}

void Seed(const TColor32& pixel, BlurState& state) {
  uint8_t bytes[4];
  std::memcpy(bytes, &pixel, 4);
  for (int c = 0; c < 4; ++c) state.z[c] = bytes[c] * 128;
}

// Forward and backward along n pixels that lie stride elements apart.
void BlurLine(TColor32* first, int32_t n, ptrdiff_t stride, int32_t a) {
  if (n <= 0) return;
  BlurState state;
  Seed(first[0], state);
  for (int32_t i = 1; i < n; ++i) BlurStep(first[i * stride], state, a);
  for (int32_t i = n - 2; i >= 0; --i) BlurStep(first[i * stride], state, a);
}

// One step over a whole row of bytes against one accumulator per byte; independent lanes, so it
// vectorises.
void StepBytes(uint8_t* __restrict bytes, int32_t* __restrict z, size_t count, int32_t a) {
  for (size_t i = 0; i < count; ++i) {
    const int32_t d = static_cast<int32_t>(bytes[i]) * 128 - z[i];
    z[i] += (a * d) >> 16;
    bytes[i] = static_cast<uint8_t>(z[i] >> 7);
  }
}

}  // namespace

int32_t BlurWeight(int32_t radius) {
  const double a = (1.0 - std::exp(-2.3 / (static_cast<double>(radius) + 1.0))) * 65536.0;
  return static_cast<int32_t>(std::nearbyint(a));
}

int32_t BlurReach(int32_t radius) {
  if (radius < 1) return 0;
  // From the largest state, over zeros: each step takes at least 1 off a positive state (the shift
  // floors), so it ends; a smaller state never takes longer.
  const int32_t a = ClampWeight(BlurWeight(radius));
  int32_t z = 255 * 128, steps = 0;
  while (z > 0) {
    z += static_cast<int32_t>((static_cast<int64_t>(a) * -z) >> 16);
    ++steps;
  }
  return steps;
}

void BlurStep(TColor32& pixel, BlurState& state, int32_t a) {
  a = ClampWeight(a);
  uint8_t bytes[4];
  std::memcpy(bytes, &pixel, 4);
  for (int c = 0; c < 4; ++c) {
    const int32_t d = static_cast<int32_t>(bytes[c]) * 128 - state.z[c];
    state.z[c] += static_cast<int32_t>((static_cast<int64_t>(a) * d) >> 16);
    bytes[c] = static_cast<uint8_t>(state.z[c] >> 7);
  }
  std::memcpy(&pixel, bytes, 4);
}

void BlurRow(TBitmap32& surface, int32_t y, int32_t a) {
  if (surface.Empty() || y < 0 || y >= surface.Height()) return;
  a = ClampWeight(a);
  // The four channels of a row step together; the row itself is a serial recurrence.
  uint8_t* bytes = reinterpret_cast<uint8_t*>(surface.ScanLine(y));
  const int32_t w = surface.Width();
  int32_t z[4];
  for (int c = 0; c < 4; ++c) z[c] = bytes[c] * 128;
  for (int32_t x = 1; x < w; ++x)
    for (int c = 0; c < 4; ++c) bytes[4 * x + c] = StepChannel(bytes[4 * x + c], z[c], a);
  for (int32_t x = w - 2; x >= 0; --x)
    for (int c = 0; c < 4; ++c) bytes[4 * x + c] = StepChannel(bytes[4 * x + c], z[c], a);
}

void BlurColumn(TBitmap32& surface, int32_t x, int32_t a) {
  if (surface.Empty() || x < 0 || x >= surface.Width()) return;
  BlurLine(surface.Bits() + x, surface.Height(), surface.Width(), ClampWeight(a));
}

void BlurColumns(TBitmap32& surface, int32_t a) {
  if (surface.Empty()) return;
  a = ClampWeight(a);
  const size_t lanes = static_cast<size_t>(surface.Width()) * 4;
  const int32_t h = surface.Height();
  std::vector<int32_t> z(lanes);
  const uint8_t* top = reinterpret_cast<const uint8_t*>(surface.ScanLine(0));
  for (size_t i = 0; i < lanes; ++i) z[i] = top[i] * 128;
  for (int32_t y = 1; y < h; ++y)
    StepBytes(reinterpret_cast<uint8_t*>(surface.ScanLine(y)), z.data(), lanes, a);
  for (int32_t y = h - 2; y >= 0; --y)
    StepBytes(reinterpret_cast<uint8_t*>(surface.ScanLine(y)), z.data(), lanes, a);
}

void BlurBitmap(TBitmap32& surface, int32_t radius) {
  if (radius < 1 || surface.Empty()) return;
  const int32_t a = BlurWeight(radius);
  for (int32_t y = 0; y < surface.Height(); ++y) BlurRow(surface, y, a);
  BlurColumns(surface, a);
}

}  // namespace mirelane
