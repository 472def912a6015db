// Targa and Photoshop pictures through stb_image, limited to the sizes every reader accepts.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_ONLY_PSD
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 65535
#define STBI_FAILURE_USERMSG
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <climits>
#include <memory>
#include <string>

#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

struct StbFree {
  void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

TDecodedPicture DecodeWithStb(std::span<const uint8_t> bytes, const char* format) {
  const std::string prefix = std::string(format) + " image is not valid. ";
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX))
    throw Error(prefix + "The file is empty.");
  const int length = static_cast<int>(bytes.size());
  int width = 0, height = 0, channels = 0;
  // The size first, so that a lying header is refused before stb allocates anything.
  if (stbi_info_from_memory(bytes.data(), length, &width, &height, &channels) == 0)
    throw Error(prefix + stbi_failure_reason() + ".");
  CheckPictureSize(format, width, height);
  int loadedWidth = 0, loadedHeight = 0;
  std::unique_ptr<stbi_uc, StbFree> rgba(
      stbi_load_from_memory(bytes.data(), length, &loadedWidth, &loadedHeight, &channels, 4));
  if (!rgba) throw Error(prefix + stbi_failure_reason() + ".");
  if (loadedWidth != width || loadedHeight != height)
    throw Error(prefix + "The picture size is inconsistent.");

  TDecodedPicture picture;
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = width;
  picture.Height = height;
  picture.BitsPerPixel = channels == 2 || channels == 4 ? 32 : 24;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  picture.Pixels.resize(count);
  const stbi_uc* src = rgba.get();
  for (size_t i = 0; i < count; ++i, src += 4) picture.Pixels[i] = Color32(src[0], src[1], src[2], src[3]);
  return picture;
}

// stb guesses the format from the content; each entry point accepts only its own format.
bool StartsWithPsdSignature(std::span<const uint8_t> bytes) {
  return bytes.size() >= 4 && bytes[0] == '8' && bytes[1] == 'B' && bytes[2] == 'P' && bytes[3] == 'S';
}

}  // namespace

TDecodedPicture DecodeTarga(std::span<const uint8_t> bytes) {
  if (StartsWithPsdSignature(bytes)) throw Error("Targa image is not valid. The file is a Photoshop image.");
  return DecodeWithStb(bytes, "Targa");
}

TDecodedPicture DecodePsd(std::span<const uint8_t> bytes) {
  if (!StartsWithPsdSignature(bytes)) throw Error("Photoshop image is not valid. The signature is missing.");
  return DecodeWithStb(bytes, "Photoshop");
}

}  // namespace mirelane
