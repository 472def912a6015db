// Library credits, with versions taken from the libraries' own headers when this file is compiled.
#include "app/library_credits.h"

#include <gif_lib.h>
#include <lcms2.h>
#include <libdeflate.h>
#include <png.h>
#include <tiffvers.h>
#include <webp/decode.h>
#include <zlib.h>
#include <QtGlobal>

#include <cstdio>
#include <string>
// jpeglib.h needs the size types before it.
#include <jpeglib.h>

namespace mirelane {

namespace {

#define MIRELANE_STRINGIFY_TOKENS(x) #x
#define MIRELANE_STRINGIFY(x) MIRELANE_STRINGIFY_TOKENS(x)

#ifndef MIRELANE_AGG_VERSION
#define MIRELANE_AGG_VERSION "2.4"
#endif
#ifndef MIRELANE_STB_IMAGE_VERSION
#define MIRELANE_STB_IMAGE_VERSION "2"
#endif

std::string JpegVersion() {
#ifdef LIBJPEG_TURBO_VERSION
  return MIRELANE_STRINGIFY(LIBJPEG_TURBO_VERSION);
#else
  return "API " MIRELANE_STRINGIFY(JPEG_LIB_VERSION);
#endif
}

std::string TiffVersion() {
#if defined(TIFFLIB_MAJOR_VERSION) && defined(TIFFLIB_MINOR_VERSION) && defined(TIFFLIB_MICRO_VERSION)
  return std::to_string(TIFFLIB_MAJOR_VERSION) + "." + std::to_string(TIFFLIB_MINOR_VERSION) + "." +
         std::to_string(TIFFLIB_MICRO_VERSION);
#else
  return std::to_string(TIFFLIB_VERSION);
#endif
}

std::string GifVersion() {
  return std::to_string(GIFLIB_MAJOR) + "." + std::to_string(GIFLIB_MINOR) + "." +
         std::to_string(GIFLIB_RELEASE);
}

// libwebp's headers carry no version number: the version is the linked library's own.
std::string WebpVersion() {
  const int version = WebPGetDecoderVersion();
  return std::to_string((version >> 16) & 0xFF) + "." + std::to_string((version >> 8) & 0xFF) + "." +
         std::to_string(version & 0xFF);
}

// "2.14" from the linked library's 2140.
std::string LcmsVersion() {
  const int version = cmsGetEncodedCMMversion();
  return std::to_string(version / 1000) + "." + std::to_string(version / 10 % 100);
}

}  // namespace

std::string UsedLibrariesText() {
  const std::string separator = "---\n";
  std::string text;
  text += "Anti-Grain Geometry (AGG) " MIRELANE_AGG_VERSION
          "\n"
          "Licence: BSD-3-Clause (the AGG 2.4 tree as packaged by Debian).\n"
          "Copyright (C) 2002-2006 Maxim Shemanarev, http://www.antigrain.com, mcseem@antigrain.com; "
          "later fixes by Jim Barry, jim@chez-jim.net.\n";
  text += separator;
  text += "Qt " QT_VERSION_STR
          " (Qt Widgets, Qt GUI, Qt Core)\n"
          "Licence: GNU LGPL version 3.\n"
          "Copyright (C) The Qt Company Ltd. and other contributors, https://www.qt.io.\n";
  text += separator;
  text += "libpng " PNG_LIBPNG_VER_STRING
          "\n"
          "Licence: the PNG Reference Library License version 2.\n"
          "Copyright (C) Cosmin Truta, Glenn Randers-Pehrson, Andreas Dilger, Guy Eric Schalnat and the "
          "libpng contributors, http://www.libpng.org/pub/png/libpng.html, "
          "png-mng-implement@lists.sourceforge.net.\n";
  text += separator;
  text += "zlib " ZLIB_VERSION
          "\n"
          "Licence: the zlib licence.\n"
          "Copyright (C) Jean-loup Gailly and Mark Adler, https://zlib.net, jloup@gzip.org, "
          "madler@alumni.caltech.edu.\n";
  text += separator;
  text += "libdeflate " LIBDEFLATE_VERSION_STRING
          "\n"
          "Licence: the MIT licence.\n"
          "Copyright (C) 2016, 2018 Eric Biggers, https://github.com/ebiggers/libdeflate.\n";
  text += separator;
  text += "libjpeg-turbo " + JpegVersion() +
          "\n"
          "Licence: the IJG licence and the Modified (3-clause) BSD licence.\n"
          "This software is based in part on the work of the Independent JPEG Group. "
          "Copyright (C) the libjpeg-turbo project, https://libjpeg-turbo.org, and Thomas G. Lane, Guido "
          "Vollbeding "
          "(IJG), https://www.ijg.org.\n";
  text += separator;
  text += "libtiff " + TiffVersion() +
          "\n"
          "Licence: the libtiff licence (BSD-like).\n"
          "Copyright (C) 1988-1997 Sam Leffler, 1991-1997 Silicon Graphics, Inc.; "
          "https://libtiff.gitlab.io/libtiff/, tiff@lists.osgeo.org.\n";
  text += separator;
  text += "giflib " + GifVersion() +
          "\n"
          "Licence: the MIT licence.\n"
          "Copyright (C) Gershon Elber, Eric S. Raymond and the giflib contributors, "
          "https://giflib.sourceforge.net, esr@thyrsus.com.\n";
  text += separator;
  text +=
      "libwebp " + WebpVersion() +
      "\n"
      "Licence: the BSD 3-Clause licence, with Google's additional patent grant.\n"
      "Copyright (C) 2010 Google Inc. and the WebP contributors, https://developers.google.com/speed/webp, "
      "webp-discuss@googlegroups.com.\n";
  text += separator;
  text += "Little CMS " + LcmsVersion() +
          "\n"
          "Licence: the MIT licence.\n"
          "Copyright (C) 1998-2022 Marti Maria Saguer, https://www.littlecms.com, info@littlecms.com.\n";
  text += separator;
  text += "stb_image " MIRELANE_STB_IMAGE_VERSION
          "\n"
          "Licence: public domain (Unlicense) or MIT, at your choice.\n"
          "Sean Barrett and contributors, https://github.com/nothings/stb, sean2@nothings.org.\n";
  return text;
}

}  // namespace mirelane
