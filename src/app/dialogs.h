// The modal conversations of the application (file dialogs, colour chooser, error box, shell
// open) behind one interface, so tests can give scripted answers instead of real dialogs.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

#include "picture/picture_writer.h"

class QWidget;

namespace mirelane {

struct SaveDialogRequest {
  QStringList nameFilters;   // e.g. "JPEG Image File (*.jpg)"
  int selectedFilter = 0;    // index into nameFilters
  QString defaultSuffix;     // without the dot
  QString proposedFileName;  // empty at the first save
};

struct SaveDialogAnswer {
  QString fileName;
  int selectedFilter = 0;  // the filter chosen when the user confirmed, index into nameFilters
};

// The extension of a name filter's first pattern without the dot: "png" for "PNG (*.png)".
QString FilterSuffix(const QString& nameFilter);
// The file name with the filter's extension added when its last part has none.
QString WithFilterSuffix(const QString& fileName, const QString& nameFilter);

// What to do with a shot that has transparent parts when the chosen format keeps none.
enum class TransparentSaveChoice { Cancel, KeepFormat, Png, Webp };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The chosen full file name, or nothing when the user cancelled. The dialog starts in folder
  // (the working folder when empty).
  virtual std::optional<QString> OpenPicture(QWidget* parent, const QString& title, const QString& nameFilter,
                                             const QString& folder) = 0;
  // Asks before replacing an existing file; nothing when the user cancelled.
  virtual std::optional<SaveDialogAnswer> SavePicture(QWidget* parent, const SaveDialogRequest& request) = 0;
  // How to write a WebP picture (lossless, or lossy at a quality), starting from the given
  // choice; nothing when the user cancelled.
  virtual std::optional<TWebpOptions> ChooseWebpOptions(QWidget* parent, const TWebpOptions& initial) = 0;
  // Warns that fileName's format turns the transparent parts black, offering PNG and WebP.
  virtual TransparentSaveChoice AskTransparentSave(QWidget* parent, const QString& fileName) = 0;
  virtual std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) = 0;
  virtual void ShowError(QWidget* parent, const QString& caption, const QString& text) = 0;
  // The same for what went wrong without stopping anything (a warning, not an error).
  virtual void ShowWarning(QWidget* parent, const QString& caption, const QString& text) = 0;
  // The shell's "open" for an address; false when nothing (no browser) could open it.
  virtual bool OpenAddress(const QString& address) = 0;
};

// The real dialogs of the desktop.
class QtDialogs : public Dialogs {
 public:
  std::optional<QString> OpenPicture(QWidget* parent, const QString& title, const QString& nameFilter,
                                     const QString& folder) override;
  std::optional<SaveDialogAnswer> SavePicture(QWidget* parent, const SaveDialogRequest& request) override;
  std::optional<TWebpOptions> ChooseWebpOptions(QWidget* parent, const TWebpOptions& initial) override;
  TransparentSaveChoice AskTransparentSave(QWidget* parent, const QString& fileName) override;
  std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) override;
  void ShowError(QWidget* parent, const QString& caption, const QString& text) override;
  void ShowWarning(QWidget* parent, const QString& caption, const QString& text) override;
  bool OpenAddress(const QString& address) override;
};

}  // namespace mirelane
