// The resampler kinds, their sampling routines (nearest, bilinear, kernel convolution, box
// average) and the resampler registry.
#include "raster/resampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mirelane {

namespace {

// One source index per destination column (or row); no half-pixel offset.
std::vector<int32_t> NearestMap(int32_t dstLo, int32_t dstN, int32_t clipLo, int32_t clipHi, int32_t srcLo,
                                int32_t srcHi) {
  std::vector<int32_t> map(static_cast<size_t>(clipHi - clipLo));
  if (dstN < 2) {
    const int32_t only = (srcLo + srcHi - 1) / 2;
    for (auto& m : map) m = only;
    return map;
  }
  const float step = static_cast<float>(srcHi - srcLo) / static_cast<float>(dstN);
  for (int32_t x = clipLo; x < clipHi; ++x) {
    const auto index =
        static_cast<int32_t>(static_cast<double>(x - dstLo) * static_cast<double>(step) + srcLo);
    // The rounded step could only overshoot for absurd sizes; the clamp keeps every read inside.
    map[static_cast<size_t>(x - clipLo)] = std::min(index, srcHi - 1);
  }
  return map;
}

}  // namespace

void NearestStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect) {
  NearestStretch(dst, dstRect, clip, src, srcRect, TTransferCombiner(src));
}

void NearestStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TTransferCombiner& combiner) {
  const auto columns =
      NearestMap(dstRect.Left, dstRect.Width(), clip.Left, clip.Right, srcRect.Left, srcRect.Right);
  const auto rows =
      NearestMap(dstRect.Top, dstRect.Height(), clip.Top, clip.Bottom, srcRect.Top, srcRect.Bottom);
  const int n = clip.Width();
  std::vector<TColor32> run(static_cast<size_t>(n));
  int32_t gatheredRow = -1;
  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    const int32_t sy = rows[static_cast<size_t>(y - clip.Top)];
    if (sy != gatheredRow) {
      const TColor32* line = src.ScanLine(sy);
      for (int i = 0; i < n; ++i) run[static_cast<size_t>(i)] = line[columns[static_cast<size_t>(i)]];
      gatheredRow = sy;
    }
    combiner.CombineRun(run.data(), dst.ScanLine(y) + clip.Left, n);
  }
}

void TNearestResampler::ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip,
                                     const TBitmap32& src, const TRect& srcRect,
                                     const TTransferCombiner& combiner) const {
  NearestStretch(dst, dstRect, clip, src, srcRect, combiner);
}

std::unique_ptr<TCustomResampler> TNearestResampler::CloneFor(TBitmap32& bitmap) const {
  return std::make_unique<TNearestResampler>(bitmap);
}

// ---- Bilinear enlargement ---------------------------------------------------------------

std::vector<TBilinearEntry> BilinearTable(int32_t dstLo, int32_t dstHi, int32_t clipLo, int32_t clipHi,
                                          int32_t srcLo, int32_t srcHi, int32_t srcSize) {
  if (dstHi <= dstLo || clipHi <= clipLo) return {};
  std::vector<TBilinearEntry> table(static_cast<size_t>(clipHi - clipLo));
  const float scale = static_cast<float>(srcHi - srcLo) / static_cast<float>(dstHi - dstLo);
  const auto last = static_cast<float>(srcSize - 1);
  for (int32_t x = clipLo; x < clipHi; ++x) {
    auto t = static_cast<float>(static_cast<double>(srcLo) - 0.5 +
                                (static_cast<double>(x - dstLo) + 0.5) * static_cast<double>(scale));
    if (t < 0.0f)
      t = 0.0f;
    else if (t > last)
      t = last;
    const float whole = std::floor(t);
    const auto fraction = static_cast<int32_t>(std::nearbyint((t - whole) * 256.0f));
    table[static_cast<size_t>(x - clipLo)] = {static_cast<int32_t>(whole), 256 - fraction};
  }
  // Entries on the last source index lean fully on it through the index before, so p + 1 exists.
  for (size_t i = table.size(); i-- > 0 && table[i].Pos == srcHi - 1;) table[i] = {srcHi - 2, 0};
  return table;
}

namespace {

// (a * w + b * (256 - w)) >> 8 per channel, two channels per 32-bit lane: exact because no
// channel's sum exceeds 65280.
inline TColor32 Lerp256(TColor32 a, TColor32 b, uint32_t w) {
  const uint32_t iw = 256 - w;
  const uint32_t rb = (((a & 0x00FF00FFu) * w + (b & 0x00FF00FFu) * iw) >> 8) & 0x00FF00FFu;
  const uint32_t ag = (((a >> 8) & 0x00FF00FFu) * w + ((b >> 8) & 0x00FF00FFu) * iw) & 0xFF00FF00u;
  return rb | ag;
}

// One source row mixed horizontally through the column entries.
void MixRow(const TColor32* line, const std::vector<TBilinearEntry>& columns, TColor32* out) {
  const size_t n = columns.size();
  for (size_t i = 0; i < n; ++i) {
    const TBilinearEntry e = columns[i];
    out[i] = Lerp256(line[e.Pos], line[e.Pos + 1], static_cast<uint32_t>(e.Weight));
  }
}

}  // namespace

// top = (P10 * 256 + (P00 - P10) * wx) >> 8 is P00 * wx + P10 * (256 - wx), shifted: the same
// floor division, computed on unsigned lanes.
TColor32 BilinearMix(TColor32 p00, TColor32 p10, TColor32 p01, TColor32 p11, int32_t wx, int32_t wy) {
  const TColor32 top = Lerp256(p00, p10, static_cast<uint32_t>(wx));
  const TColor32 bottom = Lerp256(p01, p11, static_cast<uint32_t>(wx));
  return Lerp256(top, bottom, static_cast<uint32_t>(wy));
}

void BilinearStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                     const TRect& srcRect) {
  BilinearStretch(dst, dstRect, clip, src, srcRect, TTransferCombiner(src));
}

void BilinearStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                     const TRect& srcRect, const TTransferCombiner& combiner) {
  if (srcRect.Width() < 2 || srcRect.Height() < 2) {
    // No 2 x 2 block to mix: the tent convolution gives the same kind of result safely.
    KernelResample(dst, dstRect, clip, src, srcRect, TLinearKernel(), combiner);
    return;
  }
  const auto columns = BilinearTable(dstRect.Left, dstRect.Right, clip.Left, clip.Right, srcRect.Left,
                                     srcRect.Right, src.Width());
  const auto rows = BilinearTable(dstRect.Top, dstRect.Bottom, clip.Top, clip.Bottom, srcRect.Top,
                                  srcRect.Bottom, src.Height());
  const auto n = static_cast<size_t>(clip.Width());
  // The horizontal mixes of source rows q and q + 1, kept while destination rows share q.
  std::vector<TColor32> upper(n), lower(n), out(n);
  int32_t mixedRow = std::numeric_limits<int32_t>::min();
  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    const TBilinearEntry row = rows[static_cast<size_t>(y - clip.Top)];
    if (row.Pos != mixedRow) {
      if (row.Pos == mixedRow + 1) {
        upper.swap(lower);
      } else {
        MixRow(src.ScanLine(row.Pos), columns, upper.data());
      }
      MixRow(src.ScanLine(row.Pos + 1), columns, lower.data());
      mixedRow = row.Pos;
    }
    const auto wy = static_cast<uint32_t>(row.Weight);
    for (size_t i = 0; i < n; ++i) out[i] = Lerp256(upper[i], lower[i], wy);
    combiner.CombinePixels(out.data(), dst.ScanLine(y) + clip.Left, static_cast<int>(n));
  }
}

// ---- Kernel convolution --------------------------------------------------------------------

namespace {

// Weights stay far inside int32 even for absurd kernel parameters; real kernels never get near.
constexpr double kMaxWeight = 65536.0;
// Likewise the reach of one list, in source indices either side of the centre.
constexpr double kMaxSupport = 65536.0;

int32_t RoundWeight(double w) {
  if (!std::isfinite(w)) return 0;
  return static_cast<int32_t>(std::nearbyint(std::clamp(w, -kMaxWeight, kMaxWeight)));
}

}  // namespace

void AccumulateRowPairPlain(uint32_t* sums, const uint8_t* a, int32_t wa, const uint8_t* b, int32_t wb,
                            size_t n) {
  const auto ua = static_cast<uint32_t>(wa), ub = static_cast<uint32_t>(wb);
  for (size_t i = 0; i < n; ++i) sums[i] += ua * a[i] + ub * b[i];
}

void AccumulateRowPair(uint32_t* sums, const uint8_t* a, int32_t wa, const uint8_t* b, int32_t wb, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  // pmaddwd forms wa * a + wb * b for byte pairs in one step. Exact while both weights fit in
  // 16 bits (the products then stay far inside int32); the additions wrap like the plain form.
  if (wa >= -32768 && wa <= 32767 && wb >= -32768 && wb <= 32767) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i weights = _mm_set1_epi32(
        static_cast<int32_t>((static_cast<uint32_t>(wb) << 16) | (static_cast<uint32_t>(wa) & 0xFFFFu)));
    for (; i + 16 <= n; i += 16) {
      const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
      const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
      const __m128i lo = _mm_unpacklo_epi8(va, vb);  // a0 b0 a1 b1 ... a7 b7
      const __m128i hi = _mm_unpackhi_epi8(va, vb);
      __m128i* out = reinterpret_cast<__m128i*>(sums + i);
      const __m128i p0 = _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), weights);
      const __m128i p1 = _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), weights);
      const __m128i p2 = _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), weights);
      const __m128i p3 = _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), weights);
      _mm_storeu_si128(out + 0, _mm_add_epi32(_mm_loadu_si128(out + 0), p0));
      _mm_storeu_si128(out + 1, _mm_add_epi32(_mm_loadu_si128(out + 1), p1));
      _mm_storeu_si128(out + 2, _mm_add_epi32(_mm_loadu_si128(out + 2), p2));
      _mm_storeu_si128(out + 3, _mm_add_epi32(_mm_loadu_si128(out + 3), p3));
    }
  }
#endif
  AccumulateRowPairPlain(sums + i, a + i, wa, b + i, wb, n - i);
}

std::vector<TContributionList> ContributionTable(int32_t dstLo, int32_t dstHi, int32_t clipLo, int32_t clipHi,
                                                 int32_t srcLo, int32_t srcHi, const TLinearKernel& kernel) {
  const int32_t srcN = srcHi - srcLo;
  const int32_t dstN = dstHi - dstLo;
  if (srcN <= 0 || dstN <= 0 || clipHi <= clipLo) return {};
  std::vector<TContributionList> table(static_cast<size_t>(clipHi - clipLo));
  if (srcN == 1) {
    for (auto& list : table) list = {{srcLo, 256}};
    return table;
  }
  const float s = static_cast<float>(dstN) / static_cast<float>(srcN);
  const float r = 1.0f / s;
  const float radius = kernel.KernelRadius();
  const bool reducing = s < 1.0f;
  const float support = reducing ? radius * r : radius;
  const double reach =
      std::isfinite(support) ? std::clamp(static_cast<double>(support), 0.0, kMaxSupport) : 0.0;
  auto clampIndex = [srcLo, srcHi](int64_t j) {
    return static_cast<int32_t>(std::clamp<int64_t>(j, srcLo, srcHi - 1));
  };
  for (int32_t x = clipLo; x < clipHi; ++x) {
    TContributionList& list = table[static_cast<size_t>(x - clipLo)];
    const auto c = static_cast<float>(static_cast<double>(srcLo) - 0.5 +
                                      (static_cast<double>(x - dstLo) + 0.5) * static_cast<double>(r));
    const auto first = static_cast<int64_t>(std::floor(static_cast<double>(c) - reach));
    const auto last = static_cast<int64_t>(std::ceil(static_cast<double>(c) + reach));
    for (int64_t j = first; j <= last; ++j) {
      const double d = static_cast<double>(c) - static_cast<double>(j);
      int32_t w = 0;
      if (reducing) {
        const float k = kernel.KernelAt(static_cast<float>(d * static_cast<double>(s)));
        w = RoundWeight(static_cast<double>(s) * (256.0 * static_cast<double>(k)));
      } else {
        w = RoundWeight(256.0 * static_cast<double>(kernel.KernelAt(static_cast<float>(d))));
      }
      if (w != 0) list.push_back({clampIndex(j), w});
    }
    // Only kernels other than the tent can leave an enlarging list empty; both cases fall back
    // to the nearest source index, kept inside the source span.
    if (list.empty()) list = {{clampIndex(static_cast<int64_t>(std::floor(c))), 256}};
    int64_t sum = 0;
    for (const auto& pair : list) sum += pair.Weight;
    const int64_t e = sum - 256;
    if (e != 0) {
      auto& middle = list[(list.size() - 1) / 2].Weight;
      middle = static_cast<int32_t>(middle - e);
    }
  }
  return table;
}

void KernelResample(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TLinearKernel& kernel) {
  KernelResample(dst, dstRect, clip, src, srcRect, kernel, TTransferCombiner(src));
}

void KernelResample(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TLinearKernel& kernel, const TTransferCombiner& combiner) {
  const auto cx = ContributionTable(dstRect.Left, dstRect.Right, clip.Left, clip.Right, srcRect.Left,
                                    srcRect.Right, kernel);
  const auto cy = ContributionTable(dstRect.Top, dstRect.Bottom, clip.Top, clip.Bottom, srcRect.Top,
                                    srcRect.Bottom, kernel);
  if (cx.empty() || cy.empty()) return;
  // The source columns the clip needs. Kernels whose small weights round to zero can leave a
  // list starting further left than the first one, so take the true bounds over all lists.
  int32_t lo = cx.front().front().Index, hi = cx.back().back().Index;
  for (const auto& list : cx) {
    for (const auto& pair : list) {
      lo = std::min(lo, pair.Index);
      hi = std::max(hi, pair.Index);
    }
  }
  const auto span = static_cast<size_t>(hi - lo + 1) * 4;
  // Four sums per source column, in the pixel's byte order (blue, green, red, alpha). The sums
  // wrap as unsigned values, which equals signed 32-bit arithmetic whenever that does not overflow.
  std::vector<uint32_t> sums(span);
  const auto n = static_cast<size_t>(clip.Width());
  std::vector<TColor32> out(n);
  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    const TContributionList& rowList = cy[static_cast<size_t>(y - clip.Top)];
    // Two source rows per pass halve the traffic through the sums buffer.
    size_t k = 0;
    for (; k + 1 < rowList.size(); k += 2) {
      const auto* a = reinterpret_cast<const uint8_t*>(src.ScanLine(rowList[k].Index) + lo);
      const auto* b = reinterpret_cast<const uint8_t*>(src.ScanLine(rowList[k + 1].Index) + lo);
      AccumulateRowPair(sums.data(), a, rowList[k].Weight, b, rowList[k + 1].Weight, span);
    }
    if (k < rowList.size()) {
      const auto* a = reinterpret_cast<const uint8_t*>(src.ScanLine(rowList[k].Index) + lo);
      AccumulateRowPair(sums.data(), a, rowList[k].Weight, a, 0, span);
    }
    for (size_t i = 0; i < n; ++i) {
      uint32_t total[4] = {0, 0, 0, 0};
      for (const auto& pair : cx[i]) {
        const uint32_t* column = sums.data() + static_cast<size_t>(pair.Index - lo) * 4;
        const auto w = static_cast<uint32_t>(pair.Weight);
        for (int c = 0; c < 4; ++c) total[c] += w * column[c];
      }
      TColor32 pixel = 0;
      for (int c = 0; c < 4; ++c) {
        auto value = static_cast<int32_t>(total[c]);
        pixel |= ((static_cast<uint32_t>(value) & 0xFF0000u) >> 16) << (8 * c);
      }
      out[i] = pixel;
    }
    combiner.CombinePixels(out.data(), dst.ScanLine(y) + clip.Left, static_cast<int>(n));
  }
}

// ---- The resampler kinds ---------------------------------------------------------------------

void TLinearResampler::ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip,
                                    const TBitmap32& src, const TRect& srcRect,
                                    const TTransferCombiner& combiner) const {
  const int32_t srcW = srcRect.Width(), srcH = srcRect.Height();
  if (dstRect.Width() > srcW && dstRect.Height() > srcH && srcW > 1 && srcH > 1)
    BilinearStretch(dst, dstRect, clip, src, srcRect, combiner);
  else
    KernelResample(dst, dstRect, clip, src, srcRect, TLinearKernel(), combiner);
}

std::unique_ptr<TCustomResampler> TLinearResampler::CloneFor(TBitmap32& bitmap) const {
  return std::make_unique<TLinearResampler>(bitmap);
}

const std::vector<std::string>& ResamplerClassNames() {
  static const std::vector<std::string> names = {"TNearestResampler", "TLinearResampler", "TDraftResampler",
                                                 "TKernelResampler"};
  return names;
}

std::unique_ptr<TCustomResampler> CreateResampler(const std::string& name, TBitmap32& bitmap) {
  if (name == "TNearestResampler") return std::make_unique<TNearestResampler>(bitmap);
  if (name == "TLinearResampler") return std::make_unique<TLinearResampler>(bitmap);
  return nullptr;
}

}  // namespace mirelane
