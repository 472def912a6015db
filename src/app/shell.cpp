// The error report, the wait cursor and file-name conversions shared by both windows.
#include "app/shell.h"

#include <QApplication>
#include <QCursor>
#include <QFile>

#include "app/shell_text.h"

namespace mirelane {

void ReportError(Shell& shell, QWidget* parent, std::string_view message) {
  shell.dialogs.ShowError(parent, QString::fromStdString(shell.title),
                          QString::fromStdString(ErrorReportText(message)));
}

void ReportWarning(Shell& shell, QWidget* parent, std::string_view message) {
  shell.dialogs.ShowWarning(parent, QString::fromStdString(shell.title),
                            QString::fromStdString(ErrorReportText(message)));
}

WaitCursor::WaitCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}
WaitCursor::~WaitCursor() {
  QApplication::restoreOverrideCursor();
}

std::filesystem::path PathFromQString(const QString& fileName) {
  return std::filesystem::path(QFile::encodeName(fileName).toStdString());
}

QString QStringFromPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

}  // namespace mirelane
