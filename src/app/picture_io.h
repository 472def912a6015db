// The application's side of the picture files: reading a picture for showing it in a picture
// control and the open dialog's filter.
#pragma once

#include <QImage>
#include <QString>
#include <filesystem>

#include "picture/colour_management.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"

namespace mirelane {

// A copy of a surface as a QImage (straight alpha, the surface's own byte order).
QImage ImageFromBitmap(const TBitmap32& bitmap);
// What stands for a template's preview picture it lacks: a framed grey area, with a warning sign
// when the template itself cannot be read.
QImage TemplatePlaceholder(QSize size, bool warning);

// Reads a picture file with the engine's readers, its colours in sRGB; fails with the reader's
// message. note, when given, learns which colour profile the colours came through.
QImage ReadPictureImage(const std::filesystem::path& file, TColourNote* note = nullptr);

// The slot picture's tooltip line about its colours: the profile they came through, or why none was used.
QString ColourNoteText(const TColourNote& note);

// The open dialog's filter for every picture format the readers accept, in Qt's form.
QString PictureOpenFilter();

}  // namespace mirelane
