// Fuzz target: arbitrary bytes through the PNG reader. Chunk checksums are made right first, so that
// mutations reach the decoder instead of stopping at the CRC test (which the unit tests cover).
#include <zlib.h>

#include <vector>

#include "fuzz_support.h"
#include "picture/picture_decoders.h"

namespace {

void FixChunkChecksums(std::vector<uint8_t>& png) {
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const size_t length =
        (size_t{png[at]} << 24) | (size_t{png[at + 1]} << 16) | (size_t{png[at + 2]} << 8) | png[at + 3];
    if (length > png.size() - at - 12) return;
    const uLong crc = crc32(0, png.data() + at + 4, static_cast<uInt>(length + 4));
    uint8_t* out = png.data() + at + 8 + length;
    out[0] = static_cast<uint8_t>(crc >> 24);
    out[1] = static_cast<uint8_t>(crc >> 16);
    out[2] = static_cast<uint8_t>(crc >> 8);
    out[3] = static_cast<uint8_t>(crc);
    at += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> png(data, data + size);
  FixChunkChecksums(png);
  mirelane::FuzzDecoder(mirelane::DecodePng, png);
  return 0;
}
