// The desktop's own dialogs behind the Dialogs interface.
#include "app/dialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QUrl>
#include <algorithm>

namespace mirelane {

std::optional<QString> QtDialogs::OpenPicture(QWidget* parent, const QString& title,
                                              const QString& nameFilter, const QString& folder) {
  QFileDialog dialog(parent, title, folder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(nameFilter);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

QString FilterSuffix(const QString& nameFilter) {
  static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
  const QRegularExpressionMatch match = pattern.match(nameFilter);
  return match.hasMatch() ? match.captured(1) : QString();
}

QString WithFilterSuffix(const QString& fileName, const QString& nameFilter) {
  const QString suffix = FilterSuffix(nameFilter);
  if (suffix.isEmpty() || fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty()) return fileName;
  return fileName.endsWith(u'.') ? fileName + suffix : fileName + u'.' + suffix;
}

std::optional<SaveDialogAnswer> QtDialogs::SavePicture(QWidget* parent, const SaveDialogRequest& request) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(request.nameFilters);
  if (request.selectedFilter >= 0 && request.selectedFilter < request.nameFilters.size()) {
    dialog.selectNameFilter(request.nameFilters[request.selectedFilter]);
  }
  dialog.setDefaultSuffix(request.defaultSuffix);
  // A name typed without an extension takes the one of the filter chosen at that moment.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(FilterSuffix(filter)); });
  // QFileDialog asks before overwriting unless told otherwise.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (!request.proposedFileName.isEmpty()) dialog.selectFile(request.proposedFileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const int filter = static_cast<int>(request.nameFilters.indexOf(dialog.selectedNameFilter()));
  return SaveDialogAnswer{dialog.selectedFiles().first(), filter < 0 ? request.selectedFilter : filter};
}

std::optional<TWebpOptions> QtDialogs::ChooseWebpOptions(QWidget* parent, const TWebpOptions& initial) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("WebP options"));
  auto* lossless = new QRadioButton(QStringLiteral("Lossless: keeps every pixel"), &dialog);
  auto* lossy = new QRadioButton(QStringLiteral("Lossy, smaller file. Quality:"), &dialog);
  auto* quality = new QSpinBox(&dialog);
  quality->setRange(1, 100);
  quality->setValue(std::clamp(initial.Quality, 1, 100));
  (initial.Lossless ? lossless : lossy)->setChecked(true);
  quality->setEnabled(!initial.Lossless);
  QObject::connect(lossy, &QRadioButton::toggled, quality, &QSpinBox::setEnabled);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QGridLayout(&dialog);
  layout->addWidget(lossless, 0, 0, 1, 2);
  layout->addWidget(lossy, 1, 0);
  layout->addWidget(quality, 1, 1);
  layout->addWidget(buttons, 2, 0, 1, 2);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return TWebpOptions{lossless->isChecked(), quality->value()};
}

std::optional<QColor> QtDialogs::ChooseColor(QWidget* parent, const QColor& initial) {
  QColorDialog dialog(initial, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedColor();
}

void QtDialogs::ShowError(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox::critical(parent, caption, text);
}

void QtDialogs::ShowWarning(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox::warning(parent, caption, text);
}

bool QtDialogs::OpenAddress(const QString& address) {
  return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

TransparentSaveChoice QtDialogs::AskTransparentSave(QWidget* parent, const QString& fileName) {
  QMessageBox box(parent);
  box.setIcon(QMessageBox::Warning);
  box.setWindowTitle(parent != nullptr ? parent->window()->windowTitle() : QString());
  const QFileInfo file(fileName);
  box.setText(QStringLiteral("The shot has transparent parts, and %1 keeps no transparency: in \"%2\" "
                             "the background will be black.")
                  .arg(file.suffix().toUpper(), file.fileName()));
  box.setInformativeText(QStringLiteral("PNG and WebP keep the transparent parts."));
  QPushButton* png = box.addButton(QStringLiteral("Save as PNG"), QMessageBox::AcceptRole);
  QPushButton* webp = box.addButton(QStringLiteral("Save as WebP"), QMessageBox::AcceptRole);
  QPushButton* keep = box.addButton(QStringLiteral("Save as %1 anyway").arg(file.suffix().toUpper()),
                                    QMessageBox::DestructiveRole);
  box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(png);
  box.exec();
  if (box.clickedButton() == png) return TransparentSaveChoice::Png;
  if (box.clickedButton() == webp) return TransparentSaveChoice::Webp;
  if (box.clickedButton() == keep) return TransparentSaveChoice::KeepFormat;
  return TransparentSaveChoice::Cancel;
}

}  // namespace mirelane
