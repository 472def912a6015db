// Fuzz target: the first byte picks the Targa, Photoshop, PCX, SGI or portable map reader; the rest is the
// file.
#include "fuzz_support.h"
#include "picture/picture_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  using Reader = mirelane::TDecodedPicture (*)(std::span<const uint8_t>);
  static constexpr Reader kReaders[] = {mirelane::DecodeTarga, mirelane::DecodePsd, mirelane::DecodePcx,
                                        mirelane::DecodeSgi, mirelane::DecodePortableMap};
  mirelane::FuzzDecoder(kReaders[data[0] % 5], std::span<const uint8_t>(data + 1, size - 1));
  return 0;
}
