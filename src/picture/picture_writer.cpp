// The picture writers: PNG chunk by chunk over zlib, JPEG through libjpeg, WebP through libwebp,
// BMP by hand; each file is replaced all at once.
#include "picture/picture_writer.h"

#include <webp/encode.h>
#include <zlib.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

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

struct DeflateHandle {
  z_stream stream{};
  bool initialised = false;
  ~DeflateHandle() {
    if (initialised) deflateEnd(&stream);
  }
};

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
  while (info->next_scanline < info->image_height) {
    // libjpeg's row type is not const, but it only reads the rows it is given.
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        const_cast<TColor32*>(picture->ScanLine(static_cast<int32_t>(info->next_scanline))));
    jpeg_write_scanlines(info, &row, 1);
  }
  jpeg_finish_compress(info);
  return true;
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

  const uint32_t ppm = static_cast<uint32_t>(DpiToPixelsPerMetre(dpi));
  uint8_t physical[9] = {};
  for (int i = 0; i < 4; ++i) {
    physical[i] = static_cast<uint8_t>(ppm >> (24 - 8 * i));
    physical[4 + i] = physical[i];
  }
  physical[8] = 1;  // metre
  PutChunk(out, "pHYs", physical, sizeof physical);

  DeflateHandle deflater;
  if (deflateInit2(&deflater.stream, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw Error("Cannot build the PNG image. The compressor cannot start.");
  deflater.initialised = true;
  std::vector<uint8_t> piece(kIdatPieceSize);
  z_stream& z = deflater.stream;
  z.next_out = piece.data();
  z.avail_out = static_cast<uInt>(piece.size());
  auto pump = [&](int flush) {
    for (;;) {
      const int result = deflate(&z, flush);
      if (result == Z_STREAM_ERROR) throw Error("Cannot build the PNG image. The compressor failed.");
      if (z.avail_out == 0) {
        PutChunk(out, "IDAT", piece.data(), piece.size());
        z.next_out = piece.data();
        z.avail_out = static_cast<uInt>(piece.size());
        continue;
      }
      if (flush == Z_FINISH ? result == Z_STREAM_END : z.avail_in == 0) return;
    }
  };

  // Each row: filter type 1 (Sub), then red, green, blue, alpha minus the pixel to the left.
  std::vector<uint8_t> row(1 + size_t{width} * 4);
  row[0] = 1;
  for (uint32_t y = 0; y < height; ++y) {
    const TColor32* src = picture.ScanLine(static_cast<int32_t>(y));
    TColor32 left = 0;
    uint8_t* dst = row.data() + 1;
    for (uint32_t x = 0; x < width; ++x, dst += 4) {
      const TColor32 p = src[x];
      dst[0] = static_cast<uint8_t>(RedOf(p) - RedOf(left));
      dst[1] = static_cast<uint8_t>(GreenOf(p) - GreenOf(left));
      dst[2] = static_cast<uint8_t>(BlueOf(p) - BlueOf(left));
      dst[3] = static_cast<uint8_t>(AlphaOf(p) - AlphaOf(left));
      left = p;
    }
    z.next_in = row.data();
    z.avail_in = static_cast<uInt>(row.size());
    pump(Z_NO_FLUSH);
  }
  pump(Z_FINISH);
  const size_t rest = piece.size() - z.avail_out;
  if (rest > 0) PutChunk(out, "IDAT", piece.data(), rest);
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
  return std::vector<uint8_t>(handles.writer.mem, handles.writer.mem + handles.writer.size);
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
