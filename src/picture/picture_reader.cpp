// The picture registry and ReadPicture: choose the reader by extension, read the file, decode it.
#include "picture/picture_reader.h"

#include <algorithm>
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

namespace {

// The last registration for the extension (case ignored); null when none.
const TPictureFormat* FormatByExtension(const std::string& extension) {
  const std::string wanted = Lower(extension);
  const auto& registry = PictureFormatRegistry();
  for (auto it = registry.rbegin(); it != registry.rend(); ++it)
    if (!wanted.empty() && it->Extension == wanted) return &*it;
  return nullptr;
}

}  // namespace

const TPictureFormat& PictureFormatFor(const std::string& extension) {
  if (const TPictureFormat* format = FormatByExtension(extension)) return *format;
  throw Error("Unknown picture file extension (." + extension + ")");
}

namespace {

// Formats whose files say what they are in their first bytes, by the extension of their reader. Targa
// has no signature: its files, and those that match none here, are read by their extension.
struct TSignature {
  std::string_view Magic;
  size_t Offset;
  const char* Extension;
};
constexpr TSignature kSignatures[] = {
    {"\x89PNG\r\n\x1a\n", 0, "png"},
    {"\xFF\xD8\xFF", 0, "jpg"},
    {"GIF87a", 0, "gif"},
    {"GIF89a", 0, "gif"},
    {"BM", 0, "bmp"},
    {std::string_view("II*\0", 4), 0, "tif"},
    {std::string_view("MM\0*", 4), 0, "tif"},
    {"WEBP", 8, "webp"},
    {std::string_view("\0\0\1\0", 4), 0, "ico"},
    {"8BPS", 0, "psd"},
    {"\x01\xDA", 0, "sgi"},
    {"\xC5\xD0\xD3\xC6", 0, "eps"},
};

bool StartsWith(std::span<const uint8_t> bytes, size_t offset, std::string_view magic) {
  return bytes.size() >= offset + magic.size() &&
         std::equal(magic.begin(), magic.end(), bytes.begin() + static_cast<long>(offset),
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

// The reader the content names; null when it names none.
const TPictureFormat* FormatBySignature(std::span<const uint8_t> bytes) {
  for (const TSignature& s : kSignatures)
    if (StartsWith(bytes, s.Offset, s.Magic) && (s.Offset == 0 || StartsWith(bytes, 0, "RIFF")))
      return &PictureFormatFor(s.Extension);
  // "P1" to "P6" and a blank: the portable maps.
  if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6' &&
      (bytes[2] == ' ' || bytes[2] == '\n' || bytes[2] == '\r' || bytes[2] == '\t'))
    return &PictureFormatFor("ppm");
  // PCX: the manufacturer byte 10, a known version, run-length coding, a known bit depth.
  if (bytes.size() >= 4 && bytes[0] == 0x0A && (bytes[1] <= 5 && bytes[1] != 1) && bytes[2] == 1 &&
      (bytes[3] == 1 || bytes[3] == 2 || bytes[3] == 4 || bytes[3] == 8))
    return &PictureFormatFor("pcx");
  return nullptr;
}

// What a file starts with, for a message: up to eight bytes in hexadecimal and as text.
std::string Beginning(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return "it is empty";
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex, text;
  for (size_t i = 0; i < bytes.size() && i < 8; ++i) {
    hex += (i > 0 ? " " : "");
    hex += kHex[bytes[i] >> 4];
    hex += kHex[bytes[i] & 15];
    text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
  }
  return "it starts with " + hex + " (\"" + text + "\")";
}

// The reader for a file: the one its content names, else the one its extension names.
const TPictureFormat& ChooseFormat(const std::string& extension, std::span<const uint8_t> bytes) {
  if (const TPictureFormat* format = FormatBySignature(bytes)) return *format;
  if (const TPictureFormat* format = FormatByExtension(extension)) return *format;
  throw Error("Unknown picture file extension (." + extension +
              "), and the content is no picture this program "
              "reads: " +
              Beginning(bytes) + ".");
}

// The colour step every reader's picture passes through once.
TDecodedPicture InSrgb(TDecodedPicture picture, const std::string& fileName, TColourNote* note) {
  TColourNote colour = ConvertToSrgb(picture, fileName);
  if (note != nullptr) *note = std::move(colour);
  return picture;
}

}  // namespace

TDecodedPicture ReadPictureFromMemory(const std::string& extension, std::span<const uint8_t> bytes,
                                      TColourNote* note) {
  try {
    return InSrgb(ChooseFormat(extension, bytes).Reader(bytes), "the ." + extension + " picture", note);
  } catch (const std::bad_alloc&) {
    throw Error("There is not enough memory to load the picture.");
  }
}

TDecodedPicture ReadPicture(const std::string& fileName, TColourNote* note) {
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
      return InSrgb(ChooseFormat(FileExtension(fileName), bytes).Reader(bytes), fileName, note);
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
