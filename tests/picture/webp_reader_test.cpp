// The WebP reader: still pictures with and without alpha, the first frame of an animation, and refusals.
#include <gtest/gtest.h>

#include "picture/decode_checks.h"
#include "picture/picture_decoders.h"
#include "picture/picture_fixtures.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"

namespace mirelane {
namespace {

using fixtures::Bytes;
using fixtures::Load;
using fixtures::MessageOf;
using fixtures::Pixels;

void Le24(Bytes& out, uint32_t v) {
  for (int i = 0; i < 3; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void AppendRiffChunk(Bytes& out, const std::string& type, const Bytes& data) {
  out.insert(out.end(), type.begin(), type.end());
  fixtures::Le32(out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) out.push_back(0);
}

Bytes Riff(const Bytes& chunks) {
  Bytes out = {'R', 'I', 'F', 'F'};
  fixtures::Le32(out, static_cast<uint32_t>(chunks.size() + 4));
  out.insert(out.end(), {'W', 'E', 'B', 'P'});
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

struct Frame {
  int x, y;  // even, as the container stores them halved
  TColor32 colour;
  int width, height;
};

// An animation on a canvas, each frame a lossless picture of one colour at its place.
Bytes Animation(int canvasWidth, int canvasHeight, const std::vector<Frame>& frames) {
  Bytes chunks;
  Bytes header = {0x12, 0, 0, 0};  // animation and alpha
  Le24(header, static_cast<uint32_t>(canvasWidth - 1));
  Le24(header, static_cast<uint32_t>(canvasHeight - 1));
  AppendRiffChunk(chunks, "VP8X", header);
  AppendRiffChunk(chunks, "ANIM", Bytes{0, 0, 0, 0, 0, 0});
  for (const Frame& f : frames) {
    TBitmap32 picture(f.width, f.height);
    picture.Clear(f.colour);
    const Bytes still = fixtures::UntaggedWebp(EncodeWebp(picture));
    Bytes frame;
    Le24(frame, static_cast<uint32_t>(f.x / 2));
    Le24(frame, static_cast<uint32_t>(f.y / 2));
    Le24(frame, static_cast<uint32_t>(f.width - 1));
    Le24(frame, static_cast<uint32_t>(f.height - 1));
    Le24(frame, 100);       // duration
    frame.push_back(0x02);  // do not blend
    frame.insert(frame.end(), still.begin() + 12, still.end());
    AppendRiffChunk(chunks, "ANMF", frame);
  }
  return Riff(chunks);
}

TEST(DecodeWebp, AnimationYieldsItsFirstFrameInPlaceOnATransparentCanvas) {
  const Bytes file = Animation(8, 6, {{2, 2, 0xFFFF0000u, 4, 2}, {0, 0, 0xFF0000FFu, 8, 6}});
  const TDecodedPicture picture = DecodeWebp(file);
  ASSERT_EQ(picture.Width, 8);
  ASSERT_EQ(picture.Height, 6);
  EXPECT_EQ(picture.BitsPerPixel, 32);
  const Pixels loaded = Load(picture);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inFirstFrame = x >= 2 && x < 6 && y >= 2 && y < 4;
      EXPECT_EQ(loaded[static_cast<size_t>(y * 8 + x)], inFirstFrame ? 0xFFFF0000u : 0u) << x << "," << y;
    }
}

TEST(DecodeWebp, AlphaReachesTheSurfaceAndOpaquePicturesLoadOpaque) {
  TBitmap32 graded(4, 1);
  for (int x = 0; x < 4; ++x) graded.PixelAt(x, 0) = Color32(10, 20, 30, static_cast<uint8_t>(x * 85));
  TBitmap32 opaque(4, 1);
  opaque.Clear(0xFF405060u);
  const struct {
    const char* name;
    const TBitmap32* picture;
    TWebpOptions options;
  } cases[] = {
      {"lossless graded", &graded, {}},
      {"lossy graded", &graded, {false, 80}},
      {"lossy opaque", &opaque, {false, 80}},
  };
  for (const auto& c : cases) {
    const Pixels loaded = Load(DecodeWebp(EncodeWebp(*c.picture, c.options)));
    ASSERT_EQ(loaded.size(), 4u) << c.name;
    for (size_t x = 0; x < 4; ++x)
      EXPECT_EQ(AlphaOf(loaded[x]), AlphaOf(c.picture->Bits()[x])) << c.name << x;
  }
}

TEST(DecodeWebp, RefusesBrokenFilesWithAMessage) {
  TBitmap32 noise(40, 30);
  for (size_t i = 0; i < noise.PixelCount(); ++i) noise.Bits()[i] = static_cast<TColor32>(i * 2654435761u);
  const Bytes good = fixtures::UntaggedWebp(EncodeWebp(noise));
  const Bytes truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  Bytes scrambled = good;
  for (size_t i = 25; i < scrambled.size(); i += 3) scrambled[i] ^= 0x5A;
  Bytes huge = Animation(8, 6, {{0, 0, 0xFF00FF00u, 2, 2}});
  huge[24] = huge[26] = huge[27] = huge[29] = 0;  // canvas 20481 x 20481
  huge[25] = huge[28] = 0x50;
  const std::pair<Bytes, std::string> cases[] = {
      {{}, "WebP image is not valid. The file is not a complete WebP container."},
      {truncated, "WebP image is not valid. The file is not a complete WebP container."},
      {Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
       "WebP image is not valid. The file is not a complete WebP container."},
      {scrambled, "WebP image is not valid. The picture data is broken."},
      {huge,
       "WebP image is too large (20481 x 20481 pixels; the limit is 8192 x 8192 pixels, 65535 on a side)."},
  };
  for (const auto& [bytes, message] : cases) EXPECT_EQ(MessageOf(DecodeWebp, bytes), message) << bytes.size();
}

}  // namespace
}  // namespace mirelane
