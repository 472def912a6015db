// Fuzz target: arbitrary bytes through the icon reader (DIB and PNG entries, AND masks, own alpha).
#include "fuzz_support.h"
#include "picture/picture_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mirelane::FuzzDecoder(mirelane::DecodeIcon, std::span<const uint8_t>(data, size));
  return 0;
}
