// JPEG reading through libjpeg: full size, accurate inverse transform, smooth upsampling, always opaque;
// RGB, grey, and the CMYK and YCCK files of print work (handed on as inks), with the embedded profile.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
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

bool DecodeJpegFrame(jpeg_decompress_struct* info, JpegFailure* failure, const uint8_t* data, size_t size,
                     JpegSize* jpegSize, TDecodedPicture* picture) {
  if (setjmp(failure->jump)) return false;
  std::vector<TColor32>* pixels = &picture->Pixels;
  jpeg_mem_src(info, data, static_cast<unsigned long>(size));
  // A profile comes in numbered APP2 pieces; libjpeg joins them in order.
  jpeg_save_markers(info, JPEG_APP0 + 2, 0xFFFF);
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
  // TColor32's byte order with alpha 255; four CMYK bytes fill the same room until the colour step.
  if (cmyk) picture->Samples = info->saw_Adobe_marker ? TSampleSpace::InvertedInks : TSampleSpace::Inks;
  JOCTET* profile = nullptr;
  unsigned int profileLength = 0;
  if (jpeg_read_icc_profile(info, &profile, &profileLength)) {
    picture->IccProfile.assign(profile, profile + profileLength);
    std::free(profile);
  }
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
    jpeg_read_scanlines(info, &row, 1);
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
  if (!DecodeJpegFrame(&handle.info, &failure, bytes.data(), bytes.size(), &size, &picture)) {
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
