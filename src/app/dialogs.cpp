// The desktop's own dialogs behind the Dialogs interface.
#include "app/dialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace mirelane {

std::optional<QString> QtDialogs::OpenPicture(QWidget* parent, const QString& title,
                                              const QString& nameFilter) {
  QFileDialog dialog(parent, title);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(nameFilter);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::SavePicture(QWidget* parent, const SaveDialogRequest& request) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(request.nameFilters);
  if (request.selectedFilter >= 0 && request.selectedFilter < request.nameFilters.size()) {
    dialog.selectNameFilter(request.nameFilters[request.selectedFilter]);
  }
  dialog.setDefaultSuffix(request.defaultSuffix);
  // QFileDialog asks before overwriting unless told otherwise.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (!request.proposedFileName.isEmpty()) dialog.selectFile(request.proposedFileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

std::optional<QColor> QtDialogs::ChooseColor(QWidget* parent, const QColor& initial) {
  QColorDialog dialog(initial, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedColor();
}

void QtDialogs::ShowError(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox::critical(parent, caption, text);
}

void QtDialogs::OpenAddress(const QString& address) {
  QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

}  // namespace mirelane
