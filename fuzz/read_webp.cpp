// Fuzz target: arbitrary bytes through the WebP reader.
#include "fuzz_support.h"
#include "picture/picture_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mirelane::FuzzDecoder(mirelane::DecodeWebp, std::span<const uint8_t>(data, size));
  return 0;
}
