// Fuzz target: arbitrary bytes through the WebP reader.
#include <webp/decode.h>

#include "fuzz_support.h"
#include "picture/picture_decoders.h"

namespace {

// A few bytes of lossless WebP can describe a legal uniform picture of the largest accepted size, whose
// decoding takes a second; such inputs would slow the search to a crawl without reaching new code, so
// pictures declaring more pixels than this are left to the unit tests of the size limit.
constexpr int64_t kFuzzPixelBudget = int64_t{1} << 22;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(data, size, &features) == VP8_STATUS_OK &&
      int64_t{features.width} * features.height > kFuzzPixelBudget)
    return 0;
  mirelane::FuzzDecoder(mirelane::DecodeWebp, std::span<const uint8_t>(data, size));
  return 0;
}
