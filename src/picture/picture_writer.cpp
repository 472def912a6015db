// The picture writers: PNG chunk by chunk over libdeflate, JPEG through libjpeg, WebP through libwebp,
// BMP by hand; each file is replaced all at once.
#include "picture/picture_writer.h"

#include <libdeflate.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <span>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "picture/colour_management.h"
#include "picture/file_replacement.h"
#include "picture/picture_reader.h"
#include "raster/bitmap32.h"
#include "raster/error.h"

namespace mirelane {

namespace {

constexpr size_t kIdatPieceSize = 65535;

void CheckNotEmpty(const TBitmap32& picture) {
  if (picture.Empty()) throw Error("Cannot save an empty picture.");
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutLe32(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
  at[2] = static_cast<uint8_t>(v >> 16);
  at[3] = static_cast<uint8_t>(v >> 24);
}

void PutLe16(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t length) {
  PutBe32(out, static_cast<uint32_t>(length));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  if (length > 0) out.insert(out.end(), data, data + length);
  const uLong crc = crc32(0, out.data() + typeAt, static_cast<uInt>(length + 4));
  PutBe32(out, static_cast<uint32_t>(crc));
}

// The PNG's pixel bytes: red, green, blue, alpha from left to right.
void RowToRgba(const TColor32* src, uint32_t width, uint8_t* dst) {
  for (uint32_t x = 0; x < width; ++x, dst += 4) {
    const TColor32 p = src[x];
    dst[0] = static_cast<uint8_t>(RedOf(p));
    dst[1] = static_cast<uint8_t>(GreenOf(p));
    dst[2] = static_cast<uint8_t>(BlueOf(p));
    dst[3] = static_cast<uint8_t>(AlphaOf(p));
  }
}

constexpr uint8_t kPngFilterSub = 1;
constexpr uint8_t kPngFilterUp = 2;

// The row filter whose bytes, read as signed, add up to less in absolute value: small differences
// deflate best. Sub wins ties, so a one-row picture is Sub filtered.
uint8_t ChooseRowFilter(const uint8_t* row, const uint8_t* above, size_t length) {
  auto magnitude = [](int difference) {
    return static_cast<uint32_t>(std::abs(static_cast<int8_t>(static_cast<uint8_t>(difference))));
  };
  uint64_t sub = 0, up = 0;
  for (size_t i = 0; i < 4 && i < length; ++i) sub += magnitude(row[i]);
  for (size_t i = 4; i < length; ++i) sub += magnitude(row[i] - row[i - 4]);
  for (size_t i = 0; i < length; ++i) up += magnitude(row[i] - above[i]);
  return up < sub ? kPngFilterUp : kPngFilterSub;
}

// The filter-type byte, then each byte minus the one to its left (Sub) or above (Up), mod 256.
void FilterRow(uint8_t filter, const uint8_t* row, const uint8_t* above, size_t length, uint8_t* out) {
  out[0] = filter;
  ++out;
  if (filter == kPngFilterUp) {
    for (size_t i = 0; i < length; ++i) out[i] = static_cast<uint8_t>(row[i] - above[i]);
    return;
  }
  for (size_t i = 0; i < 4 && i < length; ++i) out[i] = row[i];
  for (size_t i = 4; i < length; ++i) out[i] = static_cast<uint8_t>(row[i] - row[i - 4]);
}

// Bytes that are written before they are read: left uninitialised, so that pages the compressor never
// reaches are never touched.
struct ByteBuffer {
  explicit ByteBuffer(size_t size) : data(std::make_unique_for_overwrite<uint8_t[]>(size)), size(size) {}
  std::unique_ptr<uint8_t[]> data;
  size_t size;
};

// Rows first..end-1 filtered into their places in `filtered`, each by its own best choice of Sub and
// Up; the row above the picture's first row is zeros.
void FilterPngRows(const TBitmap32& picture, int32_t first, int32_t end, uint8_t* filtered) {
  const uint32_t width = static_cast<uint32_t>(picture.Width());
  const size_t length = size_t{width} * 4;
  std::vector<uint8_t> above(length, 0), row(length);
  if (first > 0) RowToRgba(picture.ScanLine(first - 1), width, above.data());
  for (int32_t y = first; y < end; ++y) {
    RowToRgba(picture.ScanLine(y), width, row.data());
    FilterRow(ChooseRowFilter(row.data(), above.data(), length), row.data(), above.data(), length,
              filtered + static_cast<size_t>(y) * (length + 1));
    row.swap(above);
  }
}

// Below this many pixels a second thread costs more than it saves.
constexpr size_t kPixelsWorthASecondThread = size_t{1} << 18;

// Every row filtered; a large picture's lower half on a second thread, since each row needs only
// itself and the row above.
ByteBuffer FilteredPngRows(const TBitmap32& picture) {
  const int32_t height = picture.Height();
  ByteBuffer filtered((size_t{static_cast<uint32_t>(picture.Width())} * 4 + 1) * static_cast<size_t>(height));
  if (picture.PixelCount() < kPixelsWorthASecondThread || height < 2) {
    FilterPngRows(picture, 0, height, filtered.data.get());
    return filtered;
  }
  const int32_t middle = height / 2;
  std::future<void> lower =
      std::async(std::launch::async, FilterPngRows, std::cref(picture), middle, height, filtered.data.get());
  FilterPngRows(picture, 0, middle, filtered.data.get());
  lower.get();
  return filtered;
}

// Measured on 2048 x 2048 shots with the per-row filter choice: six to twenty times faster than zlib
// at level 9 over Sub-filtered rows, and the files still come out a little smaller. Fixed Up needs
// level 7 to be as small, which costs more than choosing the filter per row.
constexpr int kPngDeflateLevel = 6;

struct CompressorDeleter {
  void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

// One complete zlib stream (header, deflate data, Adler-32).
ByteBuffer ZlibCompress(const ByteBuffer& data) {
  const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
      libdeflate_alloc_compressor(kPngDeflateLevel));
  if (!compressor) throw Error("Cannot build the PNG image. The compressor cannot start.");
  ByteBuffer stream(libdeflate_zlib_compress_bound(compressor.get(), data.size));
  stream.size =
      libdeflate_zlib_compress(compressor.get(), data.data.get(), data.size, stream.data.get(), stream.size);
  if (stream.size == 0) throw Error("Cannot build the PNG image. The compressor failed.");
  return stream;
}

// libjpeg leaves through longjmp: nothing with a destructor lives in the frame that calls it.
struct JpegWriteFailure {
  jpeg_error_mgr manager;
  jmp_buf jump;
  char text[JMSG_LENGTH_MAX];
};

void JpegWriteErrorExit(j_common_ptr info) {
  auto* failure = reinterpret_cast<JpegWriteFailure*>(info->err);
  info->err->format_message(info, failure->text);  // libjpeg's own words, not its message number
  std::longjmp(failure->jump, 1);
}

struct JpegCompressHandle {
  jpeg_compress_struct info{};
  bool created = false;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ~JpegCompressHandle() {
    if (created) jpeg_destroy_compress(&info);
    std::free(buffer);
  }
};

bool EncodeJpegFrame(JpegCompressHandle* handle, JpegWriteFailure* failure, const TBitmap32* picture, int dpi,
                     int quality) {
  jpeg_compress_struct* info = &handle->info;
  if (setjmp(failure->jump)) return false;
  jpeg_mem_dest(info, &handle->buffer, &handle->size);
  info->image_width = static_cast<JDIMENSION>(picture->Width());
  info->image_height = static_cast<JDIMENSION>(picture->Height());
  info->input_components = 4;
  info->in_color_space = JCS_EXT_BGRX;  // TColor32's bytes; the alpha byte is skipped
  jpeg_set_defaults(info);
  jpeg_set_quality(info, quality, TRUE);
  info->write_JFIF_header = TRUE;
  info->density_unit = 1;
  info->X_density = static_cast<UINT16>(dpi & 0xFFFF);
  info->Y_density = static_cast<UINT16>(dpi & 0xFFFF);
  jpeg_start_compress(info, TRUE);
  const std::vector<uint8_t>& srgb = SrgbIccProfile();
  jpeg_write_icc_profile(info, srgb.data(), static_cast<unsigned int>(srgb.size()));
  while (info->next_scanline < info->image_height) {
    // libjpeg's row type is not const, but it only reads the rows it is given.
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        const_cast<TColor32*>(picture->ScanLine(static_cast<int32_t>(info->next_scanline))));
    jpeg_write_scanlines(info, &row, 1);
  }
  jpeg_finish_compress(info);
  return true;
}

struct MuxHandle {
  WebPMux* mux = nullptr;
  WebPData assembled{};
  ~MuxHandle() {
    WebPMuxDelete(mux);
    WebPDataClear(&assembled);
  }
};

// The encoded WebP with the sRGB profile in an ICCP chunk, so that browsers show what was previewed.
std::vector<uint8_t> TaggedSrgb(const uint8_t* encoded, size_t size) {
  const WebPData image{encoded, size};
  MuxHandle handle;
  handle.mux = WebPMuxCreate(&image, 0);
  const std::vector<uint8_t>& srgb = SrgbIccProfile();
  const WebPData profile{srgb.data(), srgb.size()};
  if (handle.mux == nullptr || WebPMuxSetChunk(handle.mux, "ICCP", &profile, 0) != WEBP_MUX_OK ||
      WebPMuxAssemble(handle.mux, &handle.assembled) != WEBP_MUX_OK)
    throw std::bad_alloc();  // the muxer fails only for want of memory on a picture it has just encoded
  return std::vector<uint8_t>(handle.assembled.bytes, handle.assembled.bytes + handle.assembled.size);
}

void CheckQuality(const char* format, int quality) {
  if (quality < 1 || quality > 100)
    throw Error(std::string(format) + " quality must be from 1 to 100 (got " + std::to_string(quality) +
                ").");
}

struct WebpEncodeHandles {
  WebPPicture picture;
  WebPMemoryWriter writer;
  WebpEncodeHandles() {
    WebPPictureInit(&picture);
    WebPMemoryWriterInit(&writer);
  }
  WebpEncodeHandles(const WebpEncodeHandles&) = delete;
  WebpEncodeHandles& operator=(const WebpEncodeHandles&) = delete;
  ~WebpEncodeHandles() {
    WebPPictureFree(&picture);
    WebPMemoryWriterClear(&writer);
  }
};

std::string WebpEncodeFailure(WebPEncodingError code) {
  switch (code) {
    case VP8_ENC_ERROR_BAD_DIMENSION:
      return "The picture is too large for a WebP file (at most 16383 pixels each way).";
    case VP8_ENC_ERROR_FILE_TOO_BIG:
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
    case VP8_ENC_ERROR_PARTITION_OVERFLOW:
      return "Cannot build the WebP image. The picture holds too much detail for a WebP file at this "
             "quality.";
    default:
      return "Cannot build the WebP image. The encoder failed (code " +
             std::to_string(static_cast<int>(code)) + ").";
  }
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

int32_t DpiToPixelsPerMetre(int dpi) {
  return static_cast<int32_t>(std::ceil(static_cast<long double>(dpi) * 39.3700787L));
}

std::vector<uint8_t> EncodePng(const TBitmap32& picture, int dpi) {
  CheckNotEmpty(picture);
  const uint32_t width = static_cast<uint32_t>(picture.Width());
  const uint32_t height = static_cast<uint32_t>(picture.Height());
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

  uint8_t header[13] = {};
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    header[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  header[8] = 8;  // bit depth
  header[9] = 6;  // RGB with alpha
  PutChunk(out, "IHDR", header, sizeof header);
  const uint8_t perceptual = 0;  // sRGB, rendering intent perceptual
  PutChunk(out, "sRGB", &perceptual, 1);

  const uint32_t ppm = static_cast<uint32_t>(DpiToPixelsPerMetre(dpi));
  uint8_t physical[9] = {};
  for (int i = 0; i < 4; ++i) {
    physical[i] = static_cast<uint8_t>(ppm >> (24 - 8 * i));
    physical[4 + i] = physical[i];
  }
  physical[8] = 1;  // metre
  PutChunk(out, "pHYs", physical, sizeof physical);

  // The filtered rows are freed before the file is assembled.
  const ByteBuffer stream = ZlibCompress(FilteredPngRows(picture));
  out.reserve(out.size() + stream.size + (stream.size / kIdatPieceSize + 1) * 12 + 12);
  for (size_t at = 0; at < stream.size; at += kIdatPieceSize)
    PutChunk(out, "IDAT", stream.data.get() + at, std::min(kIdatPieceSize, stream.size - at));
  PutChunk(out, "IEND", nullptr, 0);
  return out;
}

namespace {

constexpr size_t kBmpHeaderSize = 54;

// The file and info headers of a 32-bit BMP, bottom row first.
std::array<uint8_t, kBmpHeaderSize> BmpHeader(const TBitmap32& picture, int dpi) {
  CheckNotEmpty(picture);
  const size_t width = static_cast<size_t>(picture.Width());
  const size_t height = static_cast<size_t>(picture.Height());
  const size_t imageSize = width * height * 4;
  if (kBmpHeaderSize + imageSize > 0xFFFFFFFFu) throw Error("The picture is too large for a BMP file.");
  std::array<uint8_t, kBmpHeaderSize> header{};
  uint8_t* h = header.data();
  h[0] = 'B';
  h[1] = 'M';
  PutLe32(h + 2, static_cast<uint32_t>(kBmpHeaderSize + imageSize));
  PutLe32(h + 10, kBmpHeaderSize);
  PutLe32(h + 14, 40);
  PutLe32(h + 18, static_cast<uint32_t>(width));
  PutLe32(h + 22, static_cast<uint32_t>(height));
  PutLe16(h + 26, 1);
  PutLe16(h + 28, 32);
  PutLe32(h + 34, static_cast<uint32_t>(imageSize));
  const uint32_t ppm = static_cast<uint32_t>(DpiToPixelsPerMetre(dpi));
  PutLe32(h + 38, ppm);
  PutLe32(h + 42, ppm);
  return header;
}

// The file as pieces: the header, then the rows bottom first, each read in place from the picture
// (TColor32 in memory is blue, green, red, alpha: exactly the BMP pixel).
std::vector<std::span<const uint8_t>> BmpPieces(const TBitmap32& picture,
                                                const std::array<uint8_t, kBmpHeaderSize>& header) {
  std::vector<std::span<const uint8_t>> pieces;
  pieces.reserve(static_cast<size_t>(picture.Height()) + 1);
  pieces.emplace_back(header);
  const size_t rowBytes = static_cast<size_t>(picture.Width()) * sizeof(TColor32);
  for (int32_t y = picture.Height() - 1; y >= 0; --y)
    pieces.emplace_back(reinterpret_cast<const uint8_t*>(picture.ScanLine(y)), rowBytes);
  return pieces;
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const TBitmap32& picture, int dpi) {
  const std::array<uint8_t, kBmpHeaderSize> header = BmpHeader(picture, dpi);
  std::vector<uint8_t> out;
  out.reserve(kBmpHeaderSize + picture.PixelCount() * sizeof(TColor32));
  for (const std::span<const uint8_t> piece : BmpPieces(picture, header))
    out.insert(out.end(), piece.begin(), piece.end());
  return out;
}

std::vector<uint8_t> EncodeJpg(const TBitmap32& picture, int dpi, int quality) {
  CheckNotEmpty(picture);
  CheckQuality("JPEG", quality);
  JpegWriteFailure failure{};
  JpegCompressHandle handle;
  handle.info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = JpegWriteErrorExit;
  jpeg_create_compress(&handle.info);
  handle.created = true;
  if (!EncodeJpegFrame(&handle, &failure, &picture, dpi, quality))
    throw Error(std::string("Cannot build the JPEG image. ") + failure.text);
  return std::vector<uint8_t>(handle.buffer, handle.buffer + handle.size);
}

std::vector<uint8_t> EncodeWebp(const TBitmap32& picture, const TWebpOptions& options) {
  CheckNotEmpty(picture);
  if (!options.Lossless) CheckQuality("WebP", options.Quality);
  if (picture.Width() > WEBP_MAX_DIMENSION || picture.Height() > WEBP_MAX_DIMENSION)
    throw Error(WebpEncodeFailure(VP8_ENC_ERROR_BAD_DIMENSION));
  WebPConfig config;
  const bool configured = options.Lossless ? WebPConfigInit(&config) != 0
                                           : WebPConfigPreset(&config, WEBP_PRESET_DEFAULT,
                                                              static_cast<float>(options.Quality)) != 0;
  if (!configured) throw Error("Cannot build the WebP image. The encoder cannot start.");
  if (options.Lossless) {
    config.lossless = 1;
    config.exact = 1;  // keep the colour under fully transparent pixels, as PNG and BMP do
  }
  WebpEncodeHandles handles;
  WebPPicture& pic = handles.picture;
  pic.use_argb = 1;
  pic.width = picture.Width();
  pic.height = picture.Height();
  // TColor32 is stored blue, green, red, alpha: WebP's BGRA.
  if (!WebPPictureImportBGRA(&pic, reinterpret_cast<const uint8_t*>(picture.Bits()),
                             picture.Width() * static_cast<int>(sizeof(TColor32))))
    throw std::bad_alloc();
  pic.writer = WebPMemoryWrite;
  pic.custom_ptr = &handles.writer;
  if (!WebPEncode(&config, &pic)) {
    if (pic.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY ||
        pic.error_code == VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY)
      throw std::bad_alloc();
    throw Error(WebpEncodeFailure(pic.error_code));
  }
  return TaggedSrgb(handles.writer.mem, handles.writer.size);
}

void SavePng(const TBitmap32& picture, const std::string& fileName, int dpi) {
  WriteFileAtomically(fileName, EncodePng(picture, dpi));
}

void SaveBmp(const TBitmap32& picture, const std::string& fileName, int dpi) {
  // Straight from the picture's rows: a large picture is not copied into a file-sized buffer first.
  const std::array<uint8_t, kBmpHeaderSize> header = BmpHeader(picture, dpi);
  WriteFileAtomically(fileName, BmpPieces(picture, header));
}

void SaveJpg(const TBitmap32& picture, const std::string& fileName, int dpi, int quality) {
  WriteFileAtomically(fileName, EncodeJpg(picture, dpi, quality));
}

void SaveWebp(const TBitmap32& picture, const std::string& fileName, const TWebpOptions& options) {
  WriteFileAtomically(fileName, EncodeWebp(picture, options));
}

std::string_view SaveFormatName(TSaveFormat format) {
  switch (format) {
    case TSaveFormat::Png:
      return "PNG";
    case TSaveFormat::Jpeg:
      return "JPEG";
    case TSaveFormat::Bmp:
      return "BMP";
    case TSaveFormat::Webp:
      return "WebP";
  }
  return "?";
}

TSaveFormat SaveFormatFor(const std::string& fileName) {
  const std::string extension = Lower(FileExtension(fileName));
  if (extension == "png") return TSaveFormat::Png;
  if (extension == "jpg" || extension == "jpeg" || extension == "jpe" || extension == "jfif")
    return TSaveFormat::Jpeg;
  if (extension == "bmp") return TSaveFormat::Bmp;
  if (extension == "webp") return TSaveFormat::Webp;
  throw Error("Cannot save \"" + fileName +
              "\": the file name must end in .jpg (JPEG), .png (PNG), .bmp (BMP) or .webp (WebP).");
}

void SavePicture(const TBitmap32& picture, const std::string& fileName, int dpi,
                 const TSaveQuality& quality) {
  const TSaveFormat format = SaveFormatFor(fileName);
  try {
    switch (format) {
      case TSaveFormat::Png:
        SavePng(picture, fileName, dpi);
        break;
      case TSaveFormat::Jpeg:
        SaveJpg(picture, fileName, dpi, quality.JpegQuality);
        break;
      case TSaveFormat::Bmp:
        SaveBmp(picture, fileName, dpi);
        break;
      case TSaveFormat::Webp:
        SaveWebp(picture, fileName, quality.Webp);
        break;
    }
  } catch (const std::bad_alloc&) {
    throw Error("There is not enough memory to save the picture \"" + fileName + "\".");
  }
}

}  // namespace mirelane
