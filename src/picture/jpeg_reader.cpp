// JPEG reading through libjpeg: full size, accurate inverse transform, smooth upsampling, always opaque;
// RGB, grey, and the CMYK and YCCK files of print work.
#include <csetjmp>
#include <cstdio>
#include <string>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

// A progressive file can repeat scans without end; real files use a few dozen.
constexpr int kMaxJpegScans = 500;
// 64 pixels per block and at least one bit per block (a Huffman-coded block takes two: a DC code and an
// end of block), with room to spare.
constexpr int64_t kMaxPixelsPerByte = 1024;

// libjpeg leaves through longjmp: this struct and the decoding frame hold nothing with a destructor.
struct JpegFailure {
  jpeg_error_mgr manager;
  jmp_buf jump;
  char text[JMSG_LENGTH_MAX];  // libjpeg's own words for the failure
  bool tooManyScans;
};

void JpegErrorExit(j_common_ptr info) {
  auto* failure = reinterpret_cast<JpegFailure*>(info->err);
  info->err->format_message(info, failure->text);
  std::longjmp(failure->jump, 1);
}

// Warnings are ignored, except that running out of data is a failure: a cut-off file is not a picture.
void JpegMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(info);
}

void JpegProgress(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxJpegScans) {
    reinterpret_cast<JpegFailure*>(info->err)->tooManyScans = true;
    JpegErrorExit(info);
  }
}

struct JpegDecompressHandle {
  jpeg_decompress_struct info{};
  bool created = false;
  ~JpegDecompressHandle() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

struct JpegSize {
  JDIMENSION width;
  JDIMENSION height;
  bool tooLarge;
  bool tooShort;
};

// CMYK (and YCCK, which libjpeg turns into CMYK) samples decoded into a row of TColor32 in place, made RGB
// by the plain multiplicative rule. Files with an Adobe marker store the inks inverted, as Photoshop
// writes them.
void CmykRowToBgra(TColor32* row, size_t width, bool inverted) {
  auto* bytes = reinterpret_cast<uint8_t*>(row);
  for (size_t x = 0; x < width; ++x) {
    const uint8_t* s = bytes + 4 * x;
    uint32_t c = s[0], m = s[1], y = s[2], k = s[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    // Now each is the share of light the ink lets through: red = (1 - C)(1 - K), rounded.
    row[x] = Color32((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
  }
}

bool DecodeJpegFrame(jpeg_decompress_struct* info, JpegFailure* failure, const uint8_t* data, size_t size,
                     JpegSize* jpegSize, std::vector<TColor32>* pixels) {
  if (setjmp(failure->jump)) return false;
  jpeg_mem_src(info, data, static_cast<unsigned long>(size));
  jpeg_read_header(info, TRUE);
  jpegSize->width = info->image_width;
  jpegSize->height = info->image_height;
  if (!PictureSizeAllowed(info->image_width, info->image_height)) {
    jpegSize->tooLarge = true;
    return false;
  }
  // A picture larger than the file can hold is refused before anything is allocated for it: else a
  // few hundred corrupt bytes decode (as blank blocks) to a picture of 2^26 pixels, and a file of several
  // scans would even be buffered whole first.
  if (int64_t{info->image_width} * info->image_height > kMaxPixelsPerByte * int64_t(size)) {
    jpegSize->tooShort = true;
    return false;
  }
  const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
  const bool inverted = cmyk && info->saw_Adobe_marker;
  // TColor32's byte order with alpha 255; four CMYK bytes fill the same room and are converted per row.
  info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  info->dct_method = JDCT_ISLOW;
  info->do_fancy_upsampling = TRUE;
  info->scale_num = 1;
  info->scale_denom = 1;
  jpeg_start_decompress(info);
  const size_t width = info->output_width;
  const size_t height = info->output_height;
  pixels->reserve(width * height);
  while (info->output_scanline < info->output_height) {
    pixels->resize((info->output_scanline + size_t{1}) * width);
    TColor32* target = pixels->data() + info->output_scanline * width;
    JSAMPROW row = reinterpret_cast<JSAMPROW>(target);
    if (jpeg_read_scanlines(info, &row, 1) == 1 && cmyk) CmykRowToBgra(target, width, inverted);
  }
  jpeg_finish_decompress(info);
  return height > 0;
}

}  // namespace

TDecodedPicture DecodeJpeg(std::span<const uint8_t> bytes) {
  JpegFailure failure{};
  jpeg_progress_mgr progress{};
  progress.progress_monitor = JpegProgress;
  JpegDecompressHandle handle;
  handle.info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = JpegErrorExit;
  failure.manager.emit_message = JpegMessage;
  jpeg_create_decompress(&handle.info);
  handle.created = true;
  handle.info.progress = &progress;
  handle.info.mem->max_memory_to_use = long{512} << 20;

  JpegSize size{};
  TDecodedPicture picture;
  if (bytes.empty()) throw Error("JPEG image is not valid. The file is empty.");
  if (!DecodeJpegFrame(&handle.info, &failure, bytes.data(), bytes.size(), &size, &picture.Pixels)) {
    if (size.tooLarge) CheckPictureSize("JPEG", size.width, size.height);
    if (size.tooShort) throw Error("JPEG image is not valid. The picture data is too short for its size.");
    if (failure.tooManyScans) throw Error("JPEG image is not valid: too many scans.");
    throw Error(std::string("JPEG image is not valid. ") + failure.text + ".");
  }
  picture.Kind = TPictureKind::Other;
  picture.Width = static_cast<int32_t>(size.width);
  picture.Height = static_cast<int32_t>(size.height);
  picture.BitsPerPixel = 24;
  return picture;
}

}  // namespace mirelane
