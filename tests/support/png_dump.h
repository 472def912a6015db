// Test-only PNG dump of a surface (RGBA, straight alpha) so that renders can be looked at.
#pragma once

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include "raster/bitmap32.h"

namespace mirelane::testing {

namespace detail {
// No C++ object with a destructor lives in this frame: libpng may longjmp out of it.
inline bool WriteRgbaPng(const char* path, int width, int height, unsigned char* const* rows) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, const_cast<png_bytepp>(rows));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}
}  // namespace detail

// Writes the surface as an RGBA PNG; returns false on any failure.
inline bool DumpPng(const TBitmap32& bmp, const std::string& path) {
  if (bmp.Empty()) return false;
  std::vector<unsigned char> bytes(bmp.PixelCount() * 4);
  for (size_t i = 0; i < bmp.PixelCount(); ++i) {
    const TColor32 p = bmp.Bits()[i];
    bytes[4 * i] = static_cast<unsigned char>(RedOf(p));
    bytes[4 * i + 1] = static_cast<unsigned char>(GreenOf(p));
    bytes[4 * i + 2] = static_cast<unsigned char>(BlueOf(p));
    bytes[4 * i + 3] = static_cast<unsigned char>(AlphaOf(p));
  }
  std::vector<unsigned char*> rows(static_cast<size_t>(bmp.Height()));
  for (int y = 0; y < bmp.Height(); ++y) rows[y] = bytes.data() + static_cast<size_t>(y) * bmp.Width() * 4;
  return detail::WriteRgbaPng(path.c_str(), bmp.Width(), bmp.Height(), rows.data());
}

}  // namespace mirelane::testing
