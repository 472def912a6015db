// PNG reading through libpng: every colour type to 32-bit BGRA, keeping alpha wherever the file has it.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "picture/byte_reader.h"
#include "picture/colour_management.h"
#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

constexpr size_t kPngChunkLimit = size_t{64} << 20;
constexpr uint64_t kMaxDeflateRatio = 1032;

// Plain data shared with libpng's callbacks; libpng leaves through longjmp, so nothing here has a destructor.
struct PngSource : TMemorySource {
  char message[200];
  char warning[200];  // libpng explains a bad header in a warning before failing
};

void PngFail(png_structp png, png_const_charp text) {
  auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
  std::snprintf(source->message, sizeof source->message, "%s", text);
  png_longjmp(png, 1);
}

void PngKeepWarning(png_structp png, png_const_charp text) {
  auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
  std::snprintf(source->warning, sizeof source->warning, "%s", text);
}

void PngReadBytes(png_structp png, png_bytep out, size_t count) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > source->Remaining()) png_error(png, "Read Error: the file is truncated");
  source->Take(out, count);
}

// Frees libpng's structures on every path out of the decoder.
struct PngReadHandle {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngReadHandle() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  }
};

struct PngLayout {
  png_uint_32 width;
  png_uint_32 height;
  int colorType;
  bool hasAlpha;
  bool tooLarge;
  bool tooShort;
  png_fixed_point gamma;  // 0 without a gAMA chunk
  bool srgb;              // an sRGB chunk says the colours are sRGB
  bool hasChromaticities;
  double chromaticities[8];  // cHRM: white, red, green, blue as x, y
};

// The part that libpng may longjmp out of: no object with a destructor lives in this frame.
// Pixels are grown row by row so that a truncated file never makes us touch the whole declared size.
bool DecodePngFrame(png_structp png, png_infop info, size_t fileSize, PngLayout* layout,
                    std::vector<TColor32>* pixels) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, static_cast<png_uint_32>(kMaxPictureSide),
                      static_cast<png_uint_32>(kMaxPictureSide));
  png_set_chunk_malloc_max(png, kPngChunkLimit);
  // Texts, profiles and other ancillary data the composer never uses are skipped unread: libpng would
  // otherwise allocate and clear a buffer of whatever length such a chunk claims.
  static constexpr char kSkippedChunks[] = "tEXt\0zTXt\0iTXt\0pCAL\0sCAL\0sPLT\0iCCP\0eXIf\0hIST\0tIME";
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, reinterpret_cast<png_const_bytep>(kSkippedChunks),
                              static_cast<int>(sizeof kSkippedChunks / 5));
  png_read_info(png, info);
  int bitDepth = 0;
  int interlace = 0;
  png_get_IHDR(png, info, &layout->width, &layout->height, &bitDepth, &layout->colorType, &interlace, nullptr,
               nullptr);
  if (!PictureSizeAllowed(layout->width, layout->height)) {
    layout->tooLarge = true;
    return false;
  }
  // Deflate expands at most 1032 times: refuse a picture the file cannot hold before allocating it.
  const uint64_t rawRowBytes = (uint64_t{layout->width} * bitDepth * png_get_channels(png, info) + 7) / 8 + 1;
  if (rawRowBytes * layout->height > uint64_t{kMaxDeflateRatio} * fileSize) {
    layout->tooShort = true;
    return false;
  }
  png_fixed_point gamma = 0;
  if (png_get_gAMA_fixed(png, info, &gamma) != 0) layout->gamma = gamma;
  layout->srgb = png_get_valid(png, info, PNG_INFO_sRGB) != 0;
  double* xy = layout->chromaticities;
  layout->hasChromaticities =
      png_get_cHRM(png, info, &xy[0], &xy[1], &xy[2], &xy[3], &xy[4], &xy[5], &xy[6], &xy[7]) != 0;

  const int colorType = layout->colorType;
  layout->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  // tRNS becomes real alpha: per palette entry, or alpha 0 on exactly the named grey or RGB colour.
  if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
    png_set_tRNS_to_alpha(png);
    layout->hasAlpha = true;
  }
  if (bitDepth == 16) png_set_scale_16(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!layout->hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t{layout->width} * 4) png_error(png, "unexpected row layout");

  const size_t width = layout->width;
  const size_t height = layout->height;
  pixels->reserve(width * height);
  if (passes > 1) {
    pixels->resize(width * height);
    for (int pass = 0; pass < passes; ++pass)
      for (size_t y = 0; y < height; ++y)
        png_read_row(png, reinterpret_cast<png_bytep>(pixels->data() + y * width), nullptr);
  } else {
    for (size_t y = 0; y < height; ++y) {
      pixels->resize((y + 1) * width);
      png_read_row(png, reinterpret_cast<png_bytep>(pixels->data() + y * width), nullptr);
    }
  }
  return true;
}

// libpng's texts turned into the messages users see for the common faults.
// A zlib stream inflated, or nothing when it is broken or would exceed what any profile needs.
std::vector<uint8_t> InflateBounded(std::span<const uint8_t> packed) {
  constexpr size_t kLimit = size_t{16} << 20;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return {};
  std::vector<uint8_t> out;
  uint8_t piece[16384];
  stream.next_in = const_cast<Bytef*>(packed.data());
  stream.avail_in = static_cast<uInt>(packed.size());
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = piece;
    stream.avail_out = sizeof piece;
    status = inflate(&stream, Z_NO_FLUSH);
    out.insert(out.end(), piece, piece + (sizeof piece - stream.avail_out));
    if (out.size() > kLimit || (status == Z_BUF_ERROR && stream.avail_in == 0)) break;
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) return {};
  return out;
}

std::string PngMessage(const std::string& error, const std::string& warning) {
  const std::string& text =
      error.find("Invalid IHDR data") != std::string::npos && !warning.empty() ? warning : error;
  auto has = [&text](const char* part) { return text.find(part) != std::string::npos; };
  if (has("CRC error")) return "Cannot load image. CRC error found in PNG file.";
  if (has("PLTE") || has("palette")) return "Cannot load image. Palette in PNG file is invalid.";
  if (has("compression method"))
    return "Cannot load image. The compression scheme is not supported for PNG files.";
  if (has("bit depth") || has("color type")) return "Invalid color format in PNG file.";
  if (has("critical chunk")) return "Cannot load PNG image. Unexpected but critical chunk detected.";
  if (has("IDAT") || has("compressed data") || has("Decompression") || has("LZ") || has("ADLER32") ||
      has("zlib") || has("invalid distance") || has("invalid code") || has("invalid block") ||
      has("incorrect header") || has("invalid window") || has("too many length"))
    return "LZ77 decompression error.";
  if (has("truncated")) return "Cannot load PNG image. The file is truncated.";
  return "Cannot load PNG image. " + text + ".";
}

// round(255 * (v / 255)^(1 / (g * 2.2))) with ties to even, for the colour bytes only.
void ApplyFileGamma(png_fixed_point gamma, std::vector<TColor32>& pixels) {
  const double exponent = 1.0 / (gamma / 100000.0 * 2.2);
  uint8_t table[256];
  for (int v = 0; v < 256; ++v) {
    const double mapped = std::nearbyint(255.0 * std::pow(v / 255.0, exponent));
    table[v] = static_cast<uint8_t>(mapped < 0 ? 0 : (mapped > 255 ? 255 : mapped));
  }
  for (TColor32& p : pixels)
    p = (p & 0xFF000000u) | (uint32_t{table[(p >> 16) & 0xFF]} << 16) |
        (uint32_t{table[(p >> 8) & 0xFF]} << 8) | table[p & 0xFF];
}

// The profile of the iCCP chunk, inflated; empty without one. One that cannot be inflated is handed on
// as stored, so that the colour step reports it as damaged. Chunks are walked here rather than through
// libpng so that the profile is bounded by what a real one needs.
std::vector<uint8_t> EmbeddedProfile(std::span<const uint8_t> bytes) {
  const TByteReader in(bytes);
  for (size_t pos = 8; in.Has(pos, 8);) {
    uint32_t length = 0;
    in.U32Be(pos, length);
    const std::span<const uint8_t> type = bytes.subspan(pos + 4, 4);
    if (!in.Has(pos + 8, size_t{length}) || std::memcmp(type.data(), "IDAT", 4) == 0) return {};
    if (std::memcmp(type.data(), "iCCP", 4) == 0) {
      const std::span<const uint8_t> data = bytes.subspan(pos + 8, length);
      const auto nameEnd = std::find(data.begin(), data.end(), uint8_t{0});
      const size_t at = static_cast<size_t>(nameEnd - data.begin()) + 2;  // the name's end and the method
      if (at > data.size() || data[at - 1] != 0) return {};
      std::vector<uint8_t> profile = InflateBounded(data.subspan(at));
      if (profile.empty()) profile.assign(data.begin() + static_cast<long>(at), data.end());
      return profile;
    }
    pos += size_t{12} + length;
  }
  return {};
}

}  // namespace

TDecodedPicture DecodePng(std::span<const uint8_t> bytes) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
    throw Error("Cannot load image. Invalid or unexpected PNG image format.");
  // The declared size is judged before libpng allocates anything for it.
  if (bytes.size() >= 24 && std::memcmp(bytes.data() + 12, "IHDR", 4) == 0) {
    const int64_t width = (int64_t{bytes[16]} << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19];
    const int64_t height = (int64_t{bytes[20]} << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23];
    if (width > 0 && height > 0) CheckPictureSize("PNG", width, height);
  }
  PngSource source{{bytes.data(), bytes.size(), 0}, {}, {}};
  PngReadHandle handle;
  handle.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, PngFail, PngKeepWarning);
  if (handle.png == nullptr) throw Error("Cannot load PNG image. Out of memory.");
  handle.info = png_create_info_struct(handle.png);
  if (handle.info == nullptr) throw Error("Cannot load PNG image. Out of memory.");
  png_set_read_fn(handle.png, &source, PngReadBytes);

  PngLayout layout{};
  TDecodedPicture picture;
  if (!DecodePngFrame(handle.png, handle.info, bytes.size(), &layout, &picture.Pixels)) {
    if (layout.tooLarge) CheckPictureSize("PNG", layout.width, layout.height);
    if (layout.tooShort) throw Error("LZ77 decompression error.");
    throw Error(PngMessage(source.message, source.warning));
  }
  // The colours' own description, strongest first: a profile, the sRGB mark, then chromaticities with
  // a gamma; a gamma alone keeps the plain gamma rule.
  picture.IccProfile = EmbeddedProfile(bytes);
  if (picture.IccProfile.empty() && !layout.srgb && layout.hasChromaticities && layout.gamma > 0)
    picture.IccProfile = IccProfileFromChromaticities(layout.chromaticities, layout.gamma / 100000.0);
  if (picture.IccProfile.empty() && layout.gamma > 0) ApplyFileGamma(layout.gamma, picture.Pixels);
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(layout.width);
  picture.Height = static_cast<int32_t>(layout.height);
  picture.BitsPerPixel = layout.hasAlpha ? 32 : 24;
  return picture;
}

}  // namespace mirelane
