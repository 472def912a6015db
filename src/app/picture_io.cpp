// Picture files for the windows, through the engine's readers.
#include "app/picture_io.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <cstring>

#include "app/shell_text.h"
#include "picture/picture_reader.h"
#include "picture/picture_writer.h"

namespace mirelane {

QImage ImageFromBitmap(const TBitmap32& bitmap) {
  if (bitmap.Empty()) return QImage();
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_ARGB32);
  // TColor32 is stored blue, green, red, alpha: the byte order of QImage::Format_ARGB32 here.
  const size_t rowBytes = static_cast<size_t>(bitmap.Width()) * sizeof(TColor32);
  for (int32_t y = 0; y < bitmap.Height(); ++y) std::memcpy(image.scanLine(y), bitmap.ScanLine(y), rowBytes);
  return image;
}

QImage ReadPictureImage(const std::filesystem::path& file, TColourNote* note) {
  TBitmap32 bitmap;
  const TColourNote colour = LoadFromFile(bitmap, file.string());
  if (note != nullptr) *note = colour;
  return ImageFromBitmap(bitmap);
}

QString ColourNoteText(const TColourNote& note) {
  if (!note.Warning.empty()) return QString::fromStdString(note.Warning);
  if (note.Profile.empty()) return QStringLiteral("Colours: sRGB (the picture names no colour profile)");
  return QStringLiteral("Colours: converted to sRGB from \"%1\"").arg(QString::fromStdString(note.Profile));
}

QString PictureOpenFilter() {
  return QString::fromStdString(QtFilterFromPipeFilter(PictureFileFilter()));
}

QImage TemplatePlaceholder(QSize size, bool warning) {
  QImage picture(size, QImage::Format_ARGB32);
  picture.fill(QColor(214, 214, 214));
  QPainter painter(&picture);
  painter.setPen(QColor(150, 150, 150));
  painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
  if (warning) {
    const int side = std::min(size.width(), size.height()) / 2;
    const QPixmap sign = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side);
    painter.drawPixmap((size.width() - sign.width()) / 2, (size.height() - sign.height()) / 2, sign);
  } else {
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("No preview"));
  }
  return picture;
}

}  // namespace mirelane
