// Writing the composed picture as PNG (with alpha), JPEG or BMP, each recording the resolution.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirelane {

class TBitmap32;

// ceil(dpi x 39.3700787): the resolution is always rounded up (300 gives 11812).
int32_t DpiToPixelsPerMetre(int dpi);

// The complete file images, built in memory.
// PNG: IHDR, pHYs, IDAT pieces of 65535 bytes, IEND; 8-bit RGBA, Sub filter on every row, level 9.
std::vector<uint8_t> EncodePng(const TBitmap32& picture, int dpi);
// BMP: the 54-byte header and 32-bit pixels (alpha kept), bottom row first.
std::vector<uint8_t> EncodeBmp(const TBitmap32& picture, int dpi);
// JPEG: baseline, quality 90, 2x2 luminance sampling, JFIF density in dots per inch; alpha ignored.
std::vector<uint8_t> EncodeJpg(const TBitmap32& picture, int dpi);

// Each writes its file completely or not at all: a failure leaves any earlier file untouched.
void SavePng(const TBitmap32& picture, const std::string& fileName, int dpi);
void SaveBmp(const TBitmap32& picture, const std::string& fileName, int dpi);
void SaveJpg(const TBitmap32& picture, const std::string& fileName, int dpi);

enum class TSaveFormat { Png, Jpeg, Bmp };

// The writer for a file name's extension (case ignored): .png, .jpg/.jpeg/.jpe/.jfif, .bmp.
// Any other extension fails with a message naming the three formats.
TSaveFormat SaveFormatFor(const std::string& fileName);

// Writes the picture in the format its file name asks for.
void SavePicture(const TBitmap32& picture, const std::string& fileName, int dpi);

// Replaces fileName with exactly these bytes through a temporary file in the same folder.
void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes);

}  // namespace mirelane
