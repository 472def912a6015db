// Fuzz target: arbitrary bytes through the TIFF reader, or the EPS reader when they start like an EPS preview
// header.
#include "fuzz_support.h"
#include "picture/picture_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const bool eps = size >= 4 && data[0] == 0xC5 && data[1] == 0xD0 && data[2] == 0xD3 && data[3] == 0xC6;
  mirelane::FuzzDecoder(eps ? mirelane::DecodeEps : mirelane::DecodeTiff, bytes);
  return 0;
}
