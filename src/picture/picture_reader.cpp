// The picture registry and ReadPicture: choose the reader by extension, read the file, decode it.
#include "picture/picture_reader.h"

#include <cstdio>
#include <memory>
#include <new>

#include "picture/picture_decoders.h"
#include "picture/regular_file.h"
#include "raster/bitmap32.h"
#include "raster/error.h"

namespace mirelane {

namespace {

// Files beyond this size are refused before being read into memory.
constexpr uint64_t kMaxPictureFileBytes = uint64_t{1} << 30;

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::vector<TPictureFormat> BuildRegistry() {
  // Metafiles, RLA, Autodesk, Photo-CD, Dr. Halo and Paint Shop Pro have no decoder here and are left out.
  return {
      {"ico", "Icons", DecodeIcon},
      {"bmp", "Bitmaps", DecodeBmp},
      {"jpeg", "JPEG Image File", DecodeJpeg},
      {"jpg", "JPEG Image File", DecodeJpeg},
      {"png", "Portable Network Graphics", DecodePng},
      {"bmp", "Windows bitmaps", DecodeBmp},
      {"ico", "Windows icons", DecodeIcon},
      {"jfif", "JFIF images", DecodeJpeg},
      {"jpg", "JPG images", DecodeJpeg},
      {"jpe", "JPE images", DecodeJpeg},
      {"jpeg", "JPEG images", DecodeJpeg},
      {"rle", "Run length encoded Windows bitmaps", DecodeBmp},
      {"dib", "Device independant Windows bitmaps", DecodeBmp},
      {"win", "Truevision images", DecodeTarga},
      {"vst", "Truevision images", DecodeTarga},
      {"vda", "Truevision images", DecodeTarga},
      {"tga", "Truevision images", DecodeTarga},
      {"icb", "Truevision images", DecodeTarga},
      {"tiff", "Macintosh TIFF images", DecodeTiff},
      {"tif", "PC TIF images", DecodeTiff},
      {"fax", "GFI fax images", DecodeTiff},
      {"eps", "Encapsulated Postscript images", DecodeEps},
      {"pcx", "ZSoft Paintbrush images", DecodePcx},
      {"pcc", "ZSoft Paintbrush images", DecodePcx},
      {"scr", "Word 5.x screen capture images", DecodePcx},
      {"sgi", "SGI true color images", DecodeSgi},
      {"rgba", "SGI true color images with alpha", DecodeSgi},
      {"rgb", "SGI true color images", DecodeSgi},
      {"bw", "SGI black/white images", DecodeSgi},
      {"psd", "Photoshop images", DecodePsd},
      {"pdd", "Photoshop images", DecodePsd},
      {"ppm", "Portable pixel map images", DecodePortableMap},
      {"pgm", "Portable gray map images", DecodePortableMap},
      {"pbm", "Portable bitmap images", DecodePortableMap},
      {"gif", "CompuServe images", DecodeGif},
      {"png", "Portable network graphic images", DecodePng},
      {"webp", "WebP images", DecodeWebp},
  };
}

Error CannotOpen(const std::string& fileName, const std::string& reason) {
  return Error("Cannot open file \"" + fileName + "\". " + reason);
}

}  // namespace

const std::vector<TPictureFormat>& PictureFormatRegistry() {
  static const std::vector<TPictureFormat> registry = BuildRegistry();
  return registry;
}

std::string FileExtension(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("/\\");
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return {};
  return fileName.substr(dot + 1);
}

const TPictureFormat& PictureFormatFor(const std::string& extension) {
  const std::string wanted = Lower(extension);
  const auto& registry = PictureFormatRegistry();
  for (auto it = registry.rbegin(); it != registry.rend(); ++it)
    if (!wanted.empty() && it->Extension == wanted) return *it;
  throw Error("Unknown picture file extension (." + extension + ")");
}

namespace {

// The colour step every reader's picture passes through once.
TDecodedPicture InSrgb(TDecodedPicture picture, const std::string& fileName, TColourNote* note) {
  TColourNote colour = ConvertToSrgb(picture, fileName);
  if (note != nullptr) *note = std::move(colour);
  return picture;
}

}  // namespace

TDecodedPicture ReadPictureFromMemory(const std::string& extension, std::span<const uint8_t> bytes,
                                      TColourNote* note) {
  const TPictureFormat& format = PictureFormatFor(extension);
  try {
    return InSrgb(format.Reader(bytes), "the ." + extension + " picture", note);
  } catch (const std::bad_alloc&) {
    throw Error("There is not enough memory to load the picture.");
  }
}

TDecodedPicture ReadPicture(const std::string& fileName, TColourNote* note) {
  const TPictureFormat& format = PictureFormatFor(FileExtension(fileName));
  // The reader's own reason, behind the name of the file it concerns.
  auto cannotRead = [&fileName](const std::string& reason) {
    return Error("Cannot read file \"" + fileName + "\". " + reason);
  };
  try {
    std::vector<uint8_t> bytes;
    try {
      bytes = ReadRegularFile(fileName, kMaxPictureFileBytes);
    } catch (const FileReadError& e) {
      throw CannotOpen(fileName, e.what());
    }
    try {
      return InSrgb(format.Reader(bytes), fileName, note);
    } catch (const Error& e) {
      throw cannotRead(e.what());
    }
  } catch (const std::bad_alloc&) {
    throw cannotRead("There is not enough memory to load the picture.");
  }
}

TColourNote LoadFromFile(TBitmap32& bitmap, const std::string& fileName) {
  TColourNote note;
  bitmap.Assign(ReadPicture(fileName, &note));
  return note;
}

std::string PictureFileFilter() {
  const auto& registry = PictureFormatRegistry();
  std::string pairs;
  std::string patterns;
  for (auto it = registry.rbegin(); it != registry.rend(); ++it) {
    const std::string pattern = "*." + it->Extension;
    pairs += "|" + it->Description + " (" + pattern + ")|" + pattern;
    if (!patterns.empty()) patterns += ";";
    patterns += pattern;
  }
  return "All (" + patterns + ")|" + patterns + pairs;
}

void CheckPictureSize(const char* format, int64_t width, int64_t height) {
  static_assert(kMaxPicturePixels == 8192 * 8192, "the message below names the pixel limit as a square");
  if (width <= 0 || height <= 0) throw Error(std::string(format) + " image has no pixels.");
  if (!PictureSizeAllowed(width, height))
    throw Error(std::string(format) + " image is too large (" + std::to_string(width) + " x " +
                std::to_string(height) + " pixels; the limit is 8192 x 8192 pixels, " +
                std::to_string(kMaxPictureSide) + " on a side).");
}

}  // namespace mirelane
