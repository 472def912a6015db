// Small picture files made in memory for the reader and writer tests and the fuzz seeds.
#pragma once

#include <cstdint>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <gif_lib.h>
#include <jpeglib.h>
#include <tiffio.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace mirelane::fixtures {

using Bytes = std::vector<uint8_t>;

inline void Be32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}
inline void Le16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Le32(Bytes& out, uint32_t v) {
  Le16(out, v & 0xFFFF);
  Le16(out, v >> 16);
}
inline void Be16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

inline uint32_t ReadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint32_t ReadLe32(const uint8_t* p) {
  return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// ---- PNG, chunk by chunk -----------------------------------------------------------------

struct PngChunk {
  std::string type;
  Bytes data;
};

inline void AppendChunk(Bytes& out, const std::string& type, const Bytes& data, bool breakCrc = false) {
  Be32(out, static_cast<uint32_t>(data.size()));
  Bytes typed(type.begin(), type.end());
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  uint32_t crc = static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size())));
  if (breakCrc) crc ^= 1;
  Be32(out, crc);
}

inline Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
  out.resize(size);
  return out;
}

inline Bytes Ihdr(uint32_t width, uint32_t height, int depth, int colorType, int interlace = 0,
                  int compression = 0) {
  Bytes d;
  Be32(d, width);
  Be32(d, height);
  d.push_back(static_cast<uint8_t>(depth));
  d.push_back(static_cast<uint8_t>(colorType));
  d.push_back(static_cast<uint8_t>(compression));
  d.push_back(0);
  d.push_back(static_cast<uint8_t>(interlace));
  return d;
}

// Raw rows (without filter bytes) of bytesPerRow each, filtered with type 0.
inline Bytes UnfilteredRows(const Bytes& rows, size_t bytesPerRow) {
  Bytes out;
  for (size_t at = 0; at < rows.size(); at += bytesPerRow) {
    out.push_back(0);
    out.insert(out.end(), rows.begin() + static_cast<long>(at),
               rows.begin() + static_cast<long>(at + bytesPerRow));
  }
  return out;
}

// The seven Adam7 passes of an image with whole bytes per pixel, each row with filter byte 0.
inline Bytes Adam7Rows(const Bytes& pixels, size_t width, size_t height, size_t bytesPerPixel) {
  static const int kX0[7] = {0, 4, 0, 2, 0, 1, 0}, kY0[7] = {0, 0, 4, 0, 2, 0, 1};
  static const int kDx[7] = {8, 8, 4, 4, 2, 2, 1}, kDy[7] = {8, 8, 8, 4, 4, 2, 2};
  Bytes out;
  for (int p = 0; p < 7; ++p) {
    if (static_cast<size_t>(kX0[p]) >= width) continue;
    for (size_t y = static_cast<size_t>(kY0[p]); y < height; y += static_cast<size_t>(kDy[p])) {
      out.push_back(0);
      for (size_t x = static_cast<size_t>(kX0[p]); x < width; x += static_cast<size_t>(kDx[p]))
        for (size_t b = 0; b < bytesPerPixel; ++b) out.push_back(pixels[(y * width + x) * bytesPerPixel + b]);
    }
  }
  return out;
}

inline Bytes PngFile(const std::vector<PngChunk>& chunks) {
  Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const auto& c : chunks) AppendChunk(out, c.type, c.data);
  return out;
}

// ---- GIF through giflib -------------------------------------------------------------------

inline int GifCollect(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

struct GifFrame {
  int width, height;
  std::vector<uint8_t> indices;
  int transparentIndex = -1;
  bool interlace = false;
};

// A GIF with a global colour table and the given frames.
inline Bytes GifFile(int width, int height, const std::vector<GifColorType>& colours,
                     const std::vector<GifFrame>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifCollect, &error);
  int tableSize = 2;
  while (tableSize < static_cast<int>(colours.size())) tableSize *= 2;
  std::vector<GifColorType> table(colours);
  table.resize(static_cast<size_t>(tableSize));
  ColorMapObject* map = GifMakeMapObject(tableSize, table.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, width, height, 8, 0, map);
  for (const GifFrame& f : frames) {
    if (f.transparentIndex >= 0) {
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
      gcb.TransparentColor = f.transparentIndex;
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    }
    EGifPutImageDesc(gif, 0, 0, f.width, f.height, f.interlace, nullptr);
    // giflib wants the rows in file order: for an interlaced image, the four passes.
    std::vector<int> order;
    if (f.interlace) {
      const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int p = 0; p < 4; ++p)
        for (int y = start[p]; y < f.height; y += step[p]) order.push_back(y);
    } else {
      for (int y = 0; y < f.height; ++y) order.push_back(y);
    }
    for (int y : order) {
      std::vector<GifPixelType> line(f.indices.begin() + y * f.width, f.indices.begin() + (y + 1) * f.width);
      EGifPutLine(gif, line.data(), f.width);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

// ---- TIFF through libtiff -----------------------------------------------------------------

inline Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// An 8-bit contiguous TIFF; with extraAlpha the last sample of each pixel is alpha of the given kind.
// photometric 0 takes RGB or grey by the sample count; an ICC profile is embedded when given.
inline Bytes TiffFile(uint32_t width, uint32_t height, int samples, bool extraAlpha, const Bytes& data,
                      uint16_t compression = COMPRESSION_NONE, uint16_t alphaKind = EXTRASAMPLE_UNASSALPHA,
                      uint16_t photometric = 0, const Bytes& profile = {}) {
  char name[] = "/tmp/mirelane_tiff_XXXXXX";
  const int fd = mkstemp(name);
  close(fd);
  TIFF* tif = TIFFOpen(name, "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (photometric == 0) photometric = samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  if (!profile.empty())
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()), profile.data());
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  if (extraAlpha) {
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &alphaKind);
  }
  const size_t rowBytes = size_t{width} * static_cast<size_t>(samples);
  for (uint32_t y = 0; y < height; ++y)
    TIFFWriteScanline(tif, const_cast<uint8_t*>(data.data() + y * rowBytes), y, 0);
  TIFFClose(tif);
  Bytes bytes = ReadFileBytes(name);
  std::remove(name);
  return bytes;
}

// ---- BMP by hand --------------------------------------------------------------------------

// A BITMAPFILEHEADER + BITMAPINFOHEADER file; rows must already be in file order and padded.
inline Bytes BmpFile(int32_t width, int32_t height, uint16_t bits, uint32_t compression, const Bytes& palette,
                     const Bytes& pixelData, uint32_t colorsUsed = 0, const Bytes& masks = {}) {
  Bytes out = {'B', 'M'};
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(masks.size() + palette.size());
  Le32(out, offset + static_cast<uint32_t>(pixelData.size()));
  Le32(out, 0);
  Le32(out, offset);
  Le32(out, 40);
  Le32(out, static_cast<uint32_t>(width));
  Le32(out, static_cast<uint32_t>(height));
  Le16(out, 1);
  Le16(out, bits);
  Le32(out, compression);
  Le32(out, static_cast<uint32_t>(pixelData.size()));
  Le32(out, 2835);
  Le32(out, 2835);
  Le32(out, colorsUsed);
  Le32(out, 0);
  out.insert(out.end(), masks.begin(), masks.end());
  out.insert(out.end(), palette.begin(), palette.end());
  out.insert(out.end(), pixelData.begin(), pixelData.end());
  return out;
}

// ---- JPEG through libjpeg ----------------------------------------------------------------

// A JPEG whose every row is `row` (components samples a pixel); libjpeg's default error handler ends the
// test program on failure.
inline Bytes JpegOfRepeatedRow(uint32_t width, uint32_t height, std::vector<JSAMPLE> row, int components,
                               J_COLOR_SPACE space, bool progressive) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// A JPEG of one CMYK colour, stored as CMYK or YCCK, with or without the Adobe marker; the samples are
// written as given (an Adobe file conventionally holds them inverted).
inline Bytes CmykJpeg(uint32_t width, uint32_t height, const std::vector<JSAMPLE>& cmyk, J_COLOR_SPACE stored,
                      bool adobeMarker) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, stored);
  info.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row;
  for (uint32_t x = 0; x < width; ++x) row.insert(row.end(), cmyk.begin(), cmyk.end());
  while (info.next_scanline < height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// A grey JPEG with every sample equal.
inline Bytes GreyJpeg(uint32_t width, uint32_t height, uint8_t value) {
  return JpegOfRepeatedRow(width, height, std::vector<JSAMPLE>(width, value), 1, JCS_GRAYSCALE, false);
}

// A progressive colour JPEG of a gradient.
inline Bytes ProgressiveJpeg(uint32_t width, uint32_t height) {
  std::vector<JSAMPLE> row(size_t{width} * 3);
  for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<JSAMPLE>(i * 10);
  return JpegOfRepeatedRow(width, height, std::move(row), 3, JCS_RGB, true);
}

// The image chunk of a WebP file in a simple container of its own: saved files carry a profile in
// an extended container, and tests that edit the bitstream or build animations want the bare frame.
inline Bytes UntaggedWebp(const Bytes& webp) {
  for (size_t pos = 12; pos + 8 <= webp.size();) {
    const std::string type(webp.begin() + static_cast<long>(pos), webp.begin() + static_cast<long>(pos) + 4);
    const uint32_t length =
        webp[pos + 4] | webp[pos + 5] << 8 | webp[pos + 6] << 16 | uint32_t{webp[pos + 7]} << 24;
    const size_t padded = length + (length & 1);
    if (type == "VP8L" || type == "VP8 ") {
      Bytes out = {'R', 'I', 'F', 'F'};
      Le32(out, static_cast<uint32_t>(padded + 12));
      out.insert(out.end(), {'W', 'E', 'B', 'P'});
      out.insert(out.end(), webp.begin() + static_cast<long>(pos),
                 webp.begin() + static_cast<long>(pos + 8 + padded));
      return out;
    }
    pos += 8 + padded;
  }
  return {};
}

// ---- Temporary folder ---------------------------------------------------------------------

class TempFolder {
 public:
  TempFolder() {
    char name[] = "/tmp/mirelane_pictures_XXXXXX";
    path_ = mkdtemp(name);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace mirelane::fixtures
