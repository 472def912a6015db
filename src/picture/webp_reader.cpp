// WebP reading through libwebp: still pictures and the first frame of an animation, alpha kept, with the
// ICCP colour profile.
#include <webp/decode.h>
#include <webp/demux.h>

#include <new>
#include <string>
#include <vector>

#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

struct DemuxHandle {
  WebPDemuxer* demux = nullptr;
  ~DemuxHandle() { WebPDemuxDelete(demux); }
};

struct FrameHandle {
  WebPIterator frame{};
  bool valid = false;
  ~FrameHandle() {
    if (valid) WebPDemuxReleaseIterator(&frame);
  }
};

[[noreturn]] void WebpFail(const std::string& reason) {
  throw Error("WebP image is not valid. " + reason);
}

std::string StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_NOT_ENOUGH_DATA:
      return "The file ends before the picture does.";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      return "The file uses a feature this reader does not support.";
    case VP8_STATUS_INVALID_PARAM:
      return "The picture's frame does not fit its canvas.";
    default:
      return "The picture data is broken.";
  }
}

// A broken or cut file mostly fails within its first rows: decoding the top row into a small buffer
// first keeps a forged size from costing a canvas-sized allocation.
void ProbeTopRow(const WebPIterator& frame) {
  WebPDecoderConfig probe;
  if (!WebPInitDecoderConfig(&probe)) WebpFail("The decoder cannot start.");
  std::vector<uint8_t> row(static_cast<size_t>(frame.width) * 4);
  probe.options.use_cropping = 1;
  probe.options.crop_width = frame.width;
  probe.options.crop_height = 1;
  probe.output.colorspace = MODE_BGRA;
  probe.output.is_external_memory = 1;
  probe.output.u.RGBA.rgba = row.data();
  probe.output.u.RGBA.stride = static_cast<int>(row.size());
  probe.output.u.RGBA.size = row.size();
  const VP8StatusCode status = WebPDecode(frame.fragment.bytes, frame.fragment.size, &probe);
  WebPFreeDecBuffer(&probe.output);
  if (status == VP8_STATUS_OUT_OF_MEMORY) throw std::bad_alloc();
  if (status != VP8_STATUS_OK) WebpFail(StatusText(status));
}

}  // namespace

TDecodedPicture DecodeWebp(std::span<const uint8_t> bytes) {
  const WebPData data{bytes.data(), bytes.size()};
  DemuxHandle handle;
  handle.demux = WebPDemux(&data);
  if (handle.demux == nullptr) WebpFail("The file is not a complete WebP container.");
  const int64_t canvasWidth = WebPDemuxGetI(handle.demux, WEBP_FF_CANVAS_WIDTH);
  const int64_t canvasHeight = WebPDemuxGetI(handle.demux, WEBP_FF_CANVAS_HEIGHT);
  CheckPictureSize("WebP", canvasWidth, canvasHeight);

  FrameHandle first;
  first.valid = WebPDemuxGetFrame(handle.demux, 1, &first.frame) != 0;
  if (!first.valid) WebpFail("The file holds no picture.");
  const WebPIterator& frame = first.frame;
  if (frame.x_offset < 0 || frame.y_offset < 0 || frame.width <= 0 || frame.height <= 0 ||
      frame.x_offset + int64_t{frame.width} > canvasWidth ||
      frame.y_offset + int64_t{frame.height} > canvasHeight)
    WebpFail(StatusText(VP8_STATUS_INVALID_PARAM));

  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) WebpFail("The decoder cannot start.");
  const VP8StatusCode features = WebPGetFeatures(frame.fragment.bytes, frame.fragment.size, &config.input);
  if (features != VP8_STATUS_OK) WebpFail(StatusText(features));
  if (config.input.width != frame.width || config.input.height != frame.height)
    WebpFail("The first frame's size differs from its header.");
  ProbeTopRow(frame);

  TDecodedPicture picture;
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(canvasWidth);
  picture.Height = static_cast<int32_t>(canvasHeight);
  picture.BitsPerPixel = 32;
  // Around the first frame an animation's canvas starts transparent.
  picture.Pixels.assign(static_cast<size_t>(canvasWidth) * static_cast<size_t>(canvasHeight), 0);

  // The frame decodes straight into its place on the canvas, in TColor32's byte order.
  const size_t stride = static_cast<size_t>(canvasWidth) * sizeof(TColor32);
  const size_t offset =
      static_cast<size_t>(frame.y_offset) * stride + static_cast<size_t>(frame.x_offset) * 4;
  config.output.colorspace = MODE_BGRA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = reinterpret_cast<uint8_t*>(picture.Pixels.data()) + offset;
  config.output.u.RGBA.stride = static_cast<int>(stride);
  config.output.u.RGBA.size = picture.Pixels.size() * sizeof(TColor32) - offset;
  const VP8StatusCode status = WebPDecode(frame.fragment.bytes, frame.fragment.size, &config);
  WebPFreeDecBuffer(&config.output);  // frees nothing of ours: the memory is external
  if (status == VP8_STATUS_OUT_OF_MEMORY) throw std::bad_alloc();
  if (status != VP8_STATUS_OK) WebpFail(StatusText(status));
  WebPChunkIterator profile{};
  if (WebPDemuxGetChunk(handle.demux, "ICCP", 1, &profile) != 0)
    picture.IccProfile.assign(profile.chunk.bytes, profile.chunk.bytes + profile.chunk.size);
  WebPDemuxReleaseChunkIterator(&profile);
  return picture;
}

}  // namespace mirelane
