// GIF reading through giflib: the first image only, with its transparent colour index as alpha 0.
#include <gif_lib.h>

#include <string>

#include "picture/byte_reader.h"
#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

constexpr size_t kMaxPixelsPerByte = 4 * 4096;

int GifReadBytes(GifFileType* gif, GifByteType* out, int count) {
  if (count <= 0) return 0;
  return static_cast<int>(static_cast<TMemorySource*>(gif->UserData)->Take(out, static_cast<size_t>(count)));
}

struct GifHandle {
  GifFileType* gif = nullptr;
  ~GifHandle() {
    if (gif != nullptr) {
      int ignored = 0;
      DGifCloseFile(gif, &ignored);
    }
  }
};

[[noreturn]] void GifFail(int code) {
  const char* text = GifErrorString(code);
  throw Error(std::string("GIF image is not valid. ") + (text != nullptr ? text : "Unknown error") + ".");
}

void Check(GifFileType* gif, int result) {
  if (result == GIF_ERROR) GifFail(gif->Error);
}

}  // namespace

TDecodedPicture DecodeGif(std::span<const uint8_t> bytes) {
  TMemorySource source{bytes.data(), bytes.size(), 0};
  GifHandle handle;
  int openError = 0;
  handle.gif = DGifOpen(&source, GifReadBytes, &openError);
  if (handle.gif == nullptr) GifFail(openError);
  GifFileType* gif = handle.gif;

  int transparentIndex = -1;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    Check(gif, DGifGetRecordType(gif, &record));
    if (record == TERMINATE_RECORD_TYPE) throw Error("GIF image is not valid. The file holds no image.");
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      Check(gif, DGifGetExtension(gif, &code, &block));
      // The graphic control extension just before the image names its transparent colour.
      if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4)
        transparentIndex = (block[1] & 0x01) != 0 ? block[4] : -1;
      while (block != nullptr) Check(gif, DGifGetExtensionNext(gif, &block));
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) continue;

    Check(gif, DGifGetImageDesc(gif));
    const GifImageDesc& desc = gif->Image;
    CheckPictureSize("GIF", desc.Width, desc.Height);
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (map == nullptr || map->Colors == nullptr)
      throw Error("GIF image is not valid. The file has no colour table.");
    // Indices beyond the colour table show black, as most viewers do.
    TColor32 palette[256];
    for (int i = 0; i < 256; ++i) {
      if (i < map->ColorCount) {
        const GifColorType& c = map->Colors[i];
        palette[i] = Color32(c.Red, c.Green, c.Blue);
      } else {
        palette[i] = kColor32Black;
      }
    }
    if (transparentIndex >= 0) palette[transparentIndex] &= 0x00FFFFFFu;

    const size_t width = static_cast<size_t>(desc.Width);
    const size_t height = static_cast<size_t>(desc.Height);
    // Each LZW code takes at least two bits and yields at most 4096 pixels: a picture larger than the
    // rest of the file can hold is refused before it is allocated.
    if (width * height / kMaxPixelsPerByte > bytes.size() - source.position)
      throw Error("GIF image is not valid. The picture data is too short for its size.");
    TDecodedPicture picture;
    picture.Kind = TPictureKind::Bitmap;
    picture.Width = desc.Width;
    picture.Height = desc.Height;
    picture.BitsPerPixel = transparentIndex >= 0 ? 32 : 8;
    std::vector<GifPixelType> line(width);
    if (desc.Interlace) {
      picture.Pixels.resize(width * height);
      static constexpr int kStart[4] = {0, 4, 2, 1};
      static constexpr int kStep[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (size_t y = static_cast<size_t>(kStart[pass]); y < height;
             y += static_cast<size_t>(kStep[pass])) {
          Check(gif, DGifGetLine(gif, line.data(), desc.Width));
          TColor32* row = picture.Pixels.data() + y * width;
          for (size_t x = 0; x < width; ++x) row[x] = palette[line[x]];
        }
    } else {
      picture.Pixels.reserve(width * height);
      for (size_t y = 0; y < height; ++y) {
        Check(gif, DGifGetLine(gif, line.data(), desc.Width));
        for (size_t x = 0; x < width; ++x) picture.Pixels.push_back(palette[line[x]]);
      }
    }
    return picture;
  }
}

}  // namespace mirelane
