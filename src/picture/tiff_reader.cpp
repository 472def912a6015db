// TIFF reading through libtiff (first directory, any layout libtiff's RGBA interface handles),
// and the TIFF preview inside an EPS file.
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "picture/byte_reader.h"
#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

// The RGBA interface reads strip by strip; no single allocation of libtiff's may exceed this.
constexpr tmsize_t kTiffAllocationLimit = tmsize_t{256} << 20;
constexpr uint32_t kTiffRowsPerBlock = 64;

struct TiffSource : TMemorySource {
  char message[200];
};

tmsize_t TiffRead(thandle_t handle, void* out, tmsize_t count) {
  if (count <= 0) return 0;
  return static_cast<tmsize_t>(static_cast<TiffSource*>(handle)->Take(out, static_cast<size_t>(count)));
}

tmsize_t TiffWrite(thandle_t, void*, tmsize_t) {
  return 0;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence) {
  auto* source = static_cast<TiffSource*>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = source->position;
  if (whence == SEEK_END) base = source->size;
  const uint64_t target = base + offset;
  if (target < base) return static_cast<toff_t>(-1);
  // Seeking past the end is allowed; reads there simply return nothing.
  source->position = target > source->size ? source->size : static_cast<size_t>(target);
  return target;
}

int TiffClose(thandle_t) {
  return 0;
}
toff_t TiffSize(thandle_t handle) {
  return static_cast<TiffSource*>(handle)->size;
}
int TiffMap(thandle_t, void**, toff_t*) {
  return 0;
}
void TiffUnmap(thandle_t, void*, toff_t) {}

int TiffError(TIFF*, void* userData, const char*, const char* format, va_list args) {
  auto* source = static_cast<TiffSource*>(userData);
  if (source->message[0] != 0) return 1;  // keep the first error: it names the cause
  char text[160];
  std::vsnprintf(text, sizeof text, format, args);
  // The module is libtiff's function, and texts start with the file name, which it has none of here.
  const char* start = text;
  while (*start == ':' || *start == ' ') ++start;
  std::snprintf(source->message, sizeof source->message, "%s", start);
  return 1;
}

int TiffIgnoreWarning(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

struct TiffOptionsHandle {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  ~TiffOptionsHandle() {
    if (options != nullptr) TIFFOpenOptionsFree(options);
  }
};

struct TiffHandle {
  TIFF* tiff = nullptr;
  ~TiffHandle() {
    if (tiff != nullptr) TIFFClose(tiff);
  }
};

struct RgbaImageHandle {
  TIFFRGBAImage image{};
  bool begun = false;
  ~RgbaImageHandle() {
    if (begun) TIFFRGBAImageEnd(&image);
  }
};

[[noreturn]] void TiffFail(const TiffSource& source, const char* fallback) {
  throw Error(std::string("TIFF image is not valid. ") +
              (source.message[0] != 0 ? source.message : fallback) + ".");
}

// libtiff delivers alpha premultiplied; the surface keeps straight alpha.
TColor32 Unpremultiply(uint32_t abgr) {
  const uint32_t a = TIFFGetA(abgr);
  uint32_t r = TIFFGetR(abgr);
  uint32_t g = TIFFGetG(abgr);
  uint32_t b = TIFFGetB(abgr);
  if (a != 255) {
    if (a == 0) {
      r = g = b = 0;
    } else {
      auto up = [a](uint32_t c) {
        const uint32_t v = (c * 255 + a / 2) / a;
        return v > 255 ? 255u : v;
      };
      r = up(r);
      g = up(g);
      b = up(b);
    }
  }
  return Color32(r, g, b, a);
}

// 8-bit RGB or grey in one plane of strips, with no extra sample or one of unassociated alpha: the common
// layout that can be read as stored, without libtiff's RGBA interface premultiplying the alpha on the way.
struct TStraightLayout {
  bool readable = false;
  bool grey = false;
  bool inks = false;  // four CMYK samples, kept as inks for the colour step
  bool alpha = false;
  uint16_t samples = 0;
};

TStraightLayout StraightLayoutOf(TIFF* tiff) {
  uint16_t bits = 0, samples = 0, planar = 0, photometric = 0, orientation = 0, extraCount = 0, inkSet = 0;
  uint16_t* extra = nullptr;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
  if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 1) return {};
  TStraightLayout layout;
  layout.grey = photometric == PHOTOMETRIC_MINISBLACK;
  layout.inks = photometric == PHOTOMETRIC_SEPARATED && inkSet == INKSET_CMYK;
  const uint16_t colours = layout.grey ? 1 : (layout.inks ? 4 : 3);
  layout.alpha = extraCount == 1 && extra != nullptr && extra[0] == EXTRASAMPLE_UNASSALPHA;
  layout.samples = samples;
  layout.readable = bits == 8 && planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT &&
                    !TIFFIsTiled(tiff) && (layout.grey || layout.inks || photometric == PHOTOMETRIC_RGB) &&
                    samples == colours + (layout.alpha ? 1 : 0) && (extraCount == 0 || layout.alpha) &&
                    !(layout.inks && layout.alpha);
  return layout;
}

// Rows as stored, one scanline at a time into the picture; false when libtiff cannot deliver one.
bool ReadStraightRows(TIFF* tiff, const TStraightLayout& layout, uint32_t width, uint32_t height,
                      std::vector<TColor32>& pixels) {
  const tmsize_t rowBytes = TIFFScanlineSize(tiff);
  if (rowBytes < static_cast<tmsize_t>(width) * layout.samples) return false;
  std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
  for (uint32_t y = 0; y < height; ++y) {
    if (TIFFReadScanline(tiff, row.data(), y, 0) != 1) return false;
    const size_t at = pixels.size();
    pixels.resize(at + width);
    TColor32* out = pixels.data() + at;
    const uint8_t* s = row.data();
    for (uint32_t x = 0; x < width; ++x, s += layout.samples) {
      const uint32_t a = layout.alpha ? s[layout.samples - 1] : 255;
      // Inks keep their byte order: C, M, Y, K in blue, green, red, alpha.
      out[x] = layout.inks   ? Color32(s[2], s[1], s[0], s[3])
               : layout.grey ? Color32(s[0], s[0], s[0], a)
                             : Color32(s[0], s[1], s[2], a);
    }
  }
  return true;
}

std::vector<uint8_t> EmbeddedProfile(TIFF* tiff) {
  uint32_t length = 0;
  const uint8_t* data = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &length, &data) != 1 || data == nullptr) return {};
  return std::vector<uint8_t>(data, data + length);
}

}  // namespace

TDecodedPicture DecodeTiff(std::span<const uint8_t> bytes) {
  TiffSource source{{bytes.data(), bytes.size(), 0}, {}};
  TiffOptionsHandle options;
  if (options.options == nullptr) throw Error("TIFF image is not valid. Out of memory.");
  TIFFOpenOptionsSetErrorHandlerExtR(options.options, TiffError, &source);
  TIFFOpenOptionsSetWarningHandlerExtR(options.options, TiffIgnoreWarning, &source);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.options, kTiffAllocationLimit);
  TiffHandle handle;
  handle.tiff = TIFFClientOpenExt("", "rm", &source, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                                  TiffMap, TiffUnmap, options.options);
  if (handle.tiff == nullptr) TiffFail(source, "The file is not a TIFF file");

  uint32_t width = 0;
  uint32_t height = 0;
  if (TIFFGetField(handle.tiff, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(handle.tiff, TIFFTAG_IMAGELENGTH, &height) != 1)
    TiffFail(source, "The picture size is missing");
  CheckPictureSize("TIFF", width, height);

  const TStraightLayout straight = StraightLayoutOf(handle.tiff);
  if (straight.readable) {
    TDecodedPicture picture;
    picture.Pixels.reserve(size_t{width} * height);
    if (!ReadStraightRows(handle.tiff, straight, width, height, picture.Pixels) || source.message[0] != 0)
      TiffFail(source, "The picture data cannot be read");
    picture.Kind = TPictureKind::Bitmap;
    picture.Width = static_cast<int32_t>(width);
    picture.Height = static_cast<int32_t>(height);
    picture.BitsPerPixel = straight.alpha ? 32 : 24;
    if (straight.inks) picture.Samples = TSampleSpace::Inks;
    picture.IccProfile = EmbeddedProfile(handle.tiff);
    return picture;
  }

  char reason[1024] = {};
  if (TIFFRGBAImageOK(handle.tiff, reason) != 1)
    throw Error(std::string("TIFF image is not supported. ") + reason);
  RgbaImageHandle rgba;
  if (TIFFRGBAImageBegin(&rgba.image, handle.tiff, 0, reason) != 1)
    throw Error(std::string("TIFF image is not supported. ") + reason);
  rgba.begun = true;
  rgba.image.req_orientation = ORIENTATION_TOPLEFT;
  const bool hasAlpha = rgba.image.alpha != 0;

  // Blocks of rows, so a file whose data runs out fails before the whole picture is allocated.
  TDecodedPicture picture;
  picture.Pixels.reserve(size_t{width} * height);
  std::vector<uint32_t> block(size_t{width} * kTiffRowsPerBlock);
  for (uint32_t top = 0; top < height; top += kTiffRowsPerBlock) {
    const uint32_t rows = height - top < kTiffRowsPerBlock ? height - top : kTiffRowsPerBlock;
    rgba.image.row_offset = static_cast<int>(top);
    rgba.image.col_offset = 0;
    if (TIFFRGBAImageGet(&rgba.image, block.data(), width, rows) != 1 || source.message[0] != 0)
      TiffFail(source, "The picture data cannot be read");
    for (size_t i = 0; i < size_t{width} * rows; ++i) picture.Pixels.push_back(Unpremultiply(block[i]));
  }
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(width);
  picture.Height = static_cast<int32_t>(height);
  picture.BitsPerPixel = hasAlpha ? 32 : 24;
  // libtiff mixes other ink layouts into RGB by itself, so their press profile no longer applies.
  if (rgba.image.photometric != PHOTOMETRIC_SEPARATED) picture.IccProfile = EmbeddedProfile(handle.tiff);
  return picture;
}

TDecodedPicture DecodeEps(std::span<const uint8_t> bytes) {
  // The 30-byte preview header: C5 D0 D3 C6, PostScript offset and length, WMF offset and length,
  // TIFF offset and length, checksum.
  const TByteReader reader(bytes);
  uint32_t magic = 0;
  uint32_t tiffOffset = 0;
  uint32_t tiffLength = 0;
  if (bytes.size() < 30 || !reader.U32Le(0, magic) || magic != 0xC6D3D0C5u)
    throw Error("EPS image is not valid. The file has no preview header.");
  reader.U32Le(20, tiffOffset);
  reader.U32Le(24, tiffLength);
  if (tiffOffset == 0 || tiffLength == 0) throw Error("EPS image has no TIFF preview.");
  if (!reader.Has(tiffOffset, tiffLength))
    throw Error("EPS image is not valid. The TIFF preview lies outside the file.");
  return DecodeTiff(bytes.subspan(tiffOffset, tiffLength));
}

}  // namespace mirelane
