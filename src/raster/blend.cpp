// Run forms of the blend rules. On x86-64 four pixels are blended at once in 16-bit lanes
// (SSE2 is part of the base instruction set); the scalar loop finishes the tail and serves
// other targets. Both give the same bits: every channel sum fits in 16 unsigned bits.
#include "raster/blend.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mirelane {

namespace {

#if defined(__SSE2__)

// The core for four pixels; w holds each pixel's weight in its 32-bit lane (0..255).
inline __m128i BlendCore4(__m128i f, __m128i b, __m128i w) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i c256 = _mm_set1_epi16(256);
  const __m128i round = _mm_set1_epi16(128);
  // Each pixel's weight in all four of its 16-bit channel lanes.
  const __m128i w2 = _mm_or_si128(w, _mm_slli_epi32(w, 16));
  const __m128i wLo = _mm_unpacklo_epi32(w2, w2);
  const __m128i wHi = _mm_unpackhi_epi32(w2, w2);
  const __m128i fLo = _mm_unpacklo_epi8(f, zero), fHi = _mm_unpackhi_epi8(f, zero);
  const __m128i bLo = _mm_unpacklo_epi8(b, zero), bHi = _mm_unpackhi_epi8(b, zero);
  const __m128i lo = _mm_srli_epi16(
      _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(fLo, wLo), _mm_mullo_epi16(bLo, _mm_sub_epi16(c256, wLo))),
                    round),
      8);
  const __m128i hi = _mm_srli_epi16(
      _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(fHi, wHi), _mm_mullo_epi16(bHi, _mm_sub_epi16(c256, wHi))),
                    round),
      8);
  return _mm_packus_epi16(lo, hi);
}

// mask ? a : b, per 32-bit lane.
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

#endif

}  // namespace

void BlendRun(const TColor32* src, TColor32* dst, int n) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi32(255);
  for (; i + 4 <= n; i += 4) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i fa = _mm_srli_epi32(f, 24);
    const __m128i transparent = _mm_cmpeq_epi32(fa, zero);
    // Layers are mostly transparent: four clear pixels leave the destination untouched,
    // so it is neither read nor written.
    if (_mm_movemask_epi8(transparent) == 0xFFFF) continue;
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i mixed = BlendCore4(f, b, fa);
    // Alpha 255 copies the source bit for bit, alpha 0 keeps the destination.
    const __m128i out = Select(transparent, b, Select(_mm_cmpeq_epi32(fa, full), f, mixed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
#endif
  for (; i < n; ++i) {
    const TColor32 f = src[i];
    const TColor32 b = dst[i];
    const uint32_t fa = f >> 24;
    const TColor32 mixed = BlendCore(f, b, fa);
    dst[i] = fa == 0 ? b : (fa == 255 ? f : mixed);
  }
}

void BlendRunMaster(const TColor32* src, TColor32* dst, int n, uint32_t m) {
  m = std::min<uint32_t>(m, 255);
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi32(1);
  const __m128i master = _mm_set1_epi32(static_cast<int32_t>(m));
  for (; i + 4 <= n; i += 4) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i fa = _mm_srli_epi32(f, 24);
    // (Fa + 1) * M <= 65280 fits the low 16 bits of each lane, whose high half stays 0.
    const __m128i w = _mm_srli_epi32(_mm_mullo_epi16(_mm_add_epi32(fa, one), master), 8);
    // Fa = 0 gives w = 0 as M <= 255, so one test covers both skips.
    const __m128i skip = _mm_cmpeq_epi32(w, zero);
    if (_mm_movemask_epi8(skip) == 0xFFFF) continue;
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i mixed = BlendCore4(f, b, w);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Select(skip, b, mixed));
  }
#endif
  for (; i < n; ++i) {
    const TColor32 f = src[i];
    const TColor32 b = dst[i];
    const uint32_t fa = f >> 24;
    const uint32_t w = ((fa + 1) * m) >> 8;
    const TColor32 mixed = BlendCore(f, b, w);
    dst[i] = (fa == 0 || w == 0) ? b : mixed;
  }
}

namespace {

#if defined(__SSE2__)

// MergeCore for four pixels whose backgrounds are each opaque or clear; w = 0 lanes are left to
// the caller.
inline __m128i MergeCoreOpaqueOrClear4(__m128i f, __m128i b, __m128i w, __m128i opaque) {
  const __m128i alpha = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m128i onOpaque = _mm_or_si128(BlendCore4(f, b, w), alpha);
  const __m128i onClear = _mm_or_si128(_mm_andnot_si128(alpha, f), _mm_slli_epi32(w, 24));
  return Select(opaque, onOpaque, onClear);
}

// True when some lane with a weight falls on a partly transparent background: those need the
// division of the general rule.
inline bool NeedsGeneralMerge(__m128i b, __m128i skip, __m128i* opaque) {
  const __m128i ba = _mm_srli_epi32(b, 24);
  *opaque = _mm_cmpeq_epi32(ba, _mm_set1_epi32(255));
  const __m128i simple = _mm_or_si128(_mm_or_si128(*opaque, _mm_cmpeq_epi32(ba, _mm_setzero_si128())), skip);
  return _mm_movemask_epi8(simple) != 0xFFFF;
}

#endif

}  // namespace

void MergeRun(const TColor32* src, TColor32* dst, int n) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi32(255);
  for (; i + 4 <= n; i += 4) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i fa = _mm_srli_epi32(f, 24);
    const __m128i skip = _mm_cmpeq_epi32(fa, zero);
    // Clear source runs leave the destination untouched, as in BlendRun.
    if (_mm_movemask_epi8(skip) == 0xFFFF) continue;
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    __m128i opaque;
    if (NeedsGeneralMerge(b, skip, &opaque)) {
      for (int k = i; k < i + 4; ++k) dst[k] = MergePixel(src[k], dst[k]);
      continue;
    }
    const __m128i merged = MergeCoreOpaqueOrClear4(f, b, fa, opaque);
    const __m128i out = Select(skip, b, Select(_mm_cmpeq_epi32(fa, full), f, merged));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
#endif
  for (; i < n; ++i) dst[i] = MergePixel(src[i], dst[i]);
}

void MergeRunMaster(const TColor32* src, TColor32* dst, int n, uint32_t m) {
  m = std::min<uint32_t>(m, 255);
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi32(1);
  const __m128i master = _mm_set1_epi32(static_cast<int32_t>(m));
  for (; i + 4 <= n; i += 4) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i fa = _mm_srli_epi32(f, 24);
    // The weight of BlendRunMaster; Fa = 0 gives w = 0.
    const __m128i w = _mm_srli_epi32(_mm_mullo_epi16(_mm_add_epi32(fa, one), master), 8);
    const __m128i skip = _mm_cmpeq_epi32(w, zero);
    if (_mm_movemask_epi8(skip) == 0xFFFF) continue;
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    __m128i opaque;
    if (NeedsGeneralMerge(b, skip, &opaque)) {
      for (int k = i; k < i + 4; ++k) dst[k] = MergeCore(src[k], dst[k], ((AlphaOf(src[k]) + 1) * m) >> 8);
      continue;
    }
    const __m128i merged = MergeCoreOpaqueOrClear4(f, b, w, opaque);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Select(skip, b, merged));
  }
#endif
  for (; i < n; ++i) dst[i] = MergeCore(src[i], dst[i], ((AlphaOf(src[i]) + 1) * m) >> 8);
}

}  // namespace mirelane
