// Writing the composed picture as PNG (with alpha), JPEG, BMP or WebP; the first three record the resolution.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirelane {

class TBitmap32;

// JPEG's quality unless asked otherwise, on the IJG scale.
constexpr int kDefaultJpegQuality = 90;

// WebP keeps every byte of the picture, alpha included, unless a lossy quality (1..100) is asked for;
// even then the alpha channel stays exact.
struct TWebpOptions {
  bool Lossless = true;
  int Quality = 90;
};

// The quality settings of the formats that can lose detail, as the save command passes them on.
struct TSaveQuality {
  int JpegQuality = kDefaultJpegQuality;
  TWebpOptions Webp;
};

// ceil(dpi x 39.3700787): the resolution is always rounded up (300 gives 11812).
int32_t DpiToPixelsPerMetre(int dpi);

// The complete file images, built in memory.
// Every file says its colours are sRGB: PNG by an sRGB chunk, JPEG and WebP by an embedded profile.
// PNG: IHDR, sRGB, pHYs, IDAT pieces of 65535 bytes, IEND; 8-bit RGBA. Each row is Sub or Up filtered,
// whichever leaves the smaller differences (Sub on a tie), and the rows are one zlib stream deflated
// by libdeflate at level 6.
std::vector<uint8_t> EncodePng(const TBitmap32& picture, int dpi);
// BMP: the 54-byte header and 32-bit pixels (alpha kept), bottom row first.
std::vector<uint8_t> EncodeBmp(const TBitmap32& picture, int dpi);
// JPEG: baseline, quality 90 unless given, 2x2 luminance sampling, JFIF density in dots per inch;
// alpha ignored.
std::vector<uint8_t> EncodeJpg(const TBitmap32& picture, int dpi, int quality = kDefaultJpegQuality);
// WebP: a still picture with alpha; it has no place for a resolution.
std::vector<uint8_t> EncodeWebp(const TBitmap32& picture, const TWebpOptions& options = {});

// Each writes its file completely or not at all: a failure leaves any earlier file untouched.
void SavePng(const TBitmap32& picture, const std::string& fileName, int dpi);
void SaveBmp(const TBitmap32& picture, const std::string& fileName, int dpi);
void SaveJpg(const TBitmap32& picture, const std::string& fileName, int dpi,
             int quality = kDefaultJpegQuality);
void SaveWebp(const TBitmap32& picture, const std::string& fileName, const TWebpOptions& options = {});

enum class TSaveFormat { Png, Jpeg, Bmp, Webp };
inline constexpr TSaveFormat kSaveFormats[] = {TSaveFormat::Png, TSaveFormat::Jpeg, TSaveFormat::Bmp,
                                               TSaveFormat::Webp};
// The format's name as people write it: "PNG", "JPEG", "BMP", "WebP".
std::string_view SaveFormatName(TSaveFormat format);

// The writer for a file name's extension (case ignored): .png, .jpg/.jpeg/.jpe/.jfif, .bmp, .webp.
// Any other extension fails with a message naming the four formats.
TSaveFormat SaveFormatFor(const std::string& fileName);

// Writes the picture in the format its file name asks for.
void SavePicture(const TBitmap32& picture, const std::string& fileName, int dpi,
                 const TSaveQuality& quality = {});

}  // namespace mirelane
