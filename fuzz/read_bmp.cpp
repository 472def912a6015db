// Fuzz target: arbitrary bytes through the Windows bitmap reader, or the icon reader when they do not start
// with "B".
#include "fuzz_support.h"
#include "picture/picture_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  mirelane::FuzzDecoder(size > 0 && data[0] == 'B' ? mirelane::DecodeBmp : mirelane::DecodeIcon, bytes);
  return 0;
}
