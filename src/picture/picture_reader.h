// Reading source pictures: the registry of readable extensions, the one entry point ReadPicture
// (which tells a picture by its content), and the filter of the picture-open dialog.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/colour_management.h"
#include "raster/decoded_picture.h"

namespace mirelane {

class TBitmap32;

// A reader decodes a whole file image held in memory; it throws Error on any failure.
using TPictureReader = TDecodedPicture (*)(std::span<const uint8_t> bytes);

struct TPictureFormat {
  std::string Extension;  // lower case, without the dot
  std::string Description;
  TPictureReader Reader;
};

// The readable formats in registration order; built once, never changed.
const std::vector<TPictureFormat>& PictureFormatRegistry();

// The part of the file name after its last dot (a dot in a folder name does not count).
std::string FileExtension(const std::string& fileName);

// The registry entry that reads files with this extension (case ignored): the last one registered.
// Fails with "Unknown picture file extension (.%s)".
const TPictureFormat& PictureFormatFor(const std::string& extension);

// Decodes the named file with the reader its content names (its extension decides only for content
// without a signature, such as Targa) and brings its colours to sRGB; note, when given, learns
// which profile they came through. Nothing is changed on failure.
TDecodedPicture ReadPicture(const std::string& fileName, TColourNote* note = nullptr);

// Decodes a file image held in memory, the reader chosen as ReadPicture chooses it; colours in sRGB.
TDecodedPicture ReadPictureFromMemory(const std::string& extension, std::span<const uint8_t> bytes,
                                      TColourNote* note = nullptr);

// ReadPicture followed by TBitmap32::Assign; the surface keeps its content when reading fails.
TColourNote LoadFromFile(TBitmap32& bitmap, const std::string& fileName);

// "All (...)|...|Description (*.ext)|*.ext|..." from the whole registry, last entry first.
std::string PictureFileFilter();

}  // namespace mirelane
