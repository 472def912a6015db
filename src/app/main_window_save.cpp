// The main window's save flow: the shot as saved, the save dialog and its warnings, Ctrl+S and Ctrl+C.
#include "app/main_window.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/about_window.h"
#include "app/busy_work.h"
#include "app/controls.h"
#include "app/designer_dialog.h"
#include "app/dialogs.h"
#include "app/img_view_widget.h"
#include "app/picture_io.h"
#include "app/remembered_settings.h"
#include "app/resampler_lists.h"
#include "app/setting_controls.h"
#include "app/shell.h"
#include "app/shell_text.h"
#include "compose/editing_settings.h"
#include "raster/error.h"
#include "templates/finished_shot.h"

namespace mirelane {

std::unique_ptr<TBitmap32> TForm1::ShotPicture() {
  if (!draftShown_ && drawnScale_ == 1.0) return FinishedShot(View(), state_);
  // The preview holds a draft (while dragging, or at screen size): the shot is made at its own size.
  TImgView32 shot;
  RenderContext context{state_, sources_, shell_.dataRoot};
  context.UserData = shell_.userData;
  context.ShotText = designedShot_;
  WaitCursor wait;
  renderer_(shot, state_.OutputWidth, state_.OutputHeight, context);
  return FinishedShot(shot, state_);
}

namespace {

bool HasTransparentParts(const TBitmap32& picture) {
  const TColor32* pixel = picture.Bits();
  for (size_t i = 0; i < picture.PixelCount(); ++i) {
    if (AlphaOf(pixel[i]) != 0xFF) return true;
  }
  return false;
}

// JPEG and BMP files, which the usual viewers show without their alpha.
bool KeepsNoTransparency(const QString& fileName) {
  try {
    const TSaveFormat format = SaveFormatFor(PathFromQString(fileName).string());
    return format == TSaveFormat::Jpeg || format == TSaveFormat::Bmp;
  } catch (const std::exception&) {
    return false;  // no writer takes the name; the save says so
  }
}

QString WithSuffix(const QString& fileName, const QString& suffix) {
  const QFileInfo file(fileName);
  return file.dir().filePath(file.completeBaseName() + u'.' + suffix);
}

}  // namespace

void TForm1::SaveButtonClick() {
  RunReported(shell_, this, [this] { SaveShot(true); });
}

void TForm1::SaveAgainClick() {
  RunReported(shell_, this, [this] { SaveShot(lastSavedFile_.isEmpty()); });
}

std::optional<TForm1::SaveName> TForm1::AskSaveName(const TBitmap32& picture) {
  const QStringList filters = {QStringLiteral("JPEG Image File (*.jpg)"),
                               QStringLiteral("PNG Image File (*.png)"), QStringLiteral("Bitmaps (*.bmp)"),
                               QStringLiteral("WebP Image File (*.webp)")};
  constexpr int kPngFilter = 1;
  constexpr int kWebpFilter = 3;
  SaveDialogRequest request;
  request.nameFilters = filters;
  request.selectedFilter = std::clamp(lastSaveFilter_, 0, static_cast<int>(filters.size()) - 1);
  request.defaultSuffix = FilterSuffix(filters[request.selectedFilter]);
  request.proposedFileName = lastSaveFileName_;
  const std::optional<SaveDialogAnswer> answer = shell_.dialogs.SavePicture(this, request);
  if (!answer) return std::nullopt;
  int filter = std::clamp(answer->selectedFilter, 0, static_cast<int>(filters.size()) - 1);
  QString file = WithFilterSuffix(answer->fileName, filters[filter]);
  // JPEG and BMP turn the transparent parts black: say so, and offer the formats that keep them.
  if (KeepsNoTransparency(file) && HasTransparentParts(picture)) {
    switch (shell_.dialogs.AskTransparentSave(this, file)) {
      case TransparentSaveChoice::Cancel:
        return std::nullopt;
      case TransparentSaveChoice::KeepFormat:
        break;
      case TransparentSaveChoice::Png:
        file = WithSuffix(file, QStringLiteral("png"));
        filter = kPngFilter;
        break;
      case TransparentSaveChoice::Webp:
        file = WithSuffix(file, QStringLiteral("webp"));
        filter = kWebpFilter;
        break;
    }
  }
  return SaveName{file, filter};
}

void TForm1::SaveShot(bool askName) {
  const std::unique_ptr<TBitmap32> picture = ShotPicture();
  const std::optional<SaveName> asked = askName ? AskSaveName(*picture) : std::nullopt;
  if (askName && !asked) return;
  const std::optional<QString> file = askName ? asked->File : lastSavedFile_;
  const std::filesystem::path path = PathFromQString(*file);
  NamingFile(path, [&] {
    TSaveQuality quality;
    if (SaveFormatFor(path.string()) == TSaveFormat::Webp) {
      if (askName) {
        const std::optional<TWebpOptions> choice = shell_.dialogs.ChooseWebpOptions(this, webpOptions_);
        if (!choice) return;
        webpOptions_ = *choice;
      }
      quality.Webp = webpOptions_;
    }
    RunBusy(this, QStringLiteral("Saving %1...").arg(QFileInfo(*file).fileName()),
            [&] { mirelane::SaveShot(*picture, path.string(), state_, quality); });
    lastSavedFile_ = *file;
    const std::string_view format = SaveFormatName(SaveFormatFor(path.string()));
    ShowStatus(QStringLiteral("Saved %1 (%2 \u00D7 %3 %4)")
                   .arg(QDir::toNativeSeparators(*file))
                   .arg(picture->Width())
                   .arg(picture->Height())
                   .arg(QString::fromUtf8(format.data(), static_cast<qsizetype>(format.size()))));
    // The next save starts in the same folder with the same format; a save that failed is not
    // offered again.
    if (asked) {
      lastSaveFileName_ = asked->File;
      lastSaveFilter_ = asked->Filter;
    }
  });
}

void TForm1::CopyClick() {
  RunReported(shell_, this, [this] {
    const std::unique_ptr<TBitmap32> picture = ShotPicture();
    const QImage image = ImageFromBitmap(*picture);
    auto* data = new QMimeData;
    data->setImageData(image);
    // PNG keeps the alpha for every program that pastes it.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);
    ShowStatus(QStringLiteral("Copied the shot (%1 \u00D7 %2, with its transparency)")
                   .arg(picture->Width())
                   .arg(picture->Height()));
  });
}

}  // namespace mirelane
