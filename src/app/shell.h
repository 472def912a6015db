// What both windows share: the dialogs, the application title used as the error caption, and
// where the executable and its data folders are; plus the error report and the wait cursor.
#pragma once

#include <QString>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "app/dialogs.h"
#include "app/shell_text.h"
#include "raster/error.h"

class QSettings;
class QWidget;

namespace mirelane {

struct Shell {
  Dialogs& dialogs;
  std::string title;                     // the application title: caption of error reports
  std::filesystem::path executablePath;  // the running executable's full file name
  std::filesystem::path dataRoot;        // holds Templates, Pics, custom and Data
  QSettings* settings = nullptr;         // what is remembered between runs; none: nothing is
  std::filesystem::path userData = {};   // the user's own Templates and Pics; empty: none
};

// The application's error report: an error box captioned with the title, a full stop added
// to a message that ends in a letter or digit.
void ReportError(Shell& shell, QWidget* parent, std::string_view message);

// The same with the warning box, for what went wrong while the work went on.
void ReportWarning(Shell& shell, QWidget* parent, std::string_view message);

// Runs one operation; an error ends it there and is reported, the program goes on.
// Returns whether the operation ran to its end.
template <typename Operation>
bool RunReported(Shell& shell, QWidget* parent, Operation&& operation) {
  try {
    std::forward<Operation>(operation)();
    return true;
  } catch (const std::exception& error) {
    ReportError(shell, parent, error.what());
  }
  return false;
}

// Runs an operation on a file; an error whose message does not name the file is thrown again
// with the file's name, so that every report says which file it was about.
template <typename Operation>
void NamingFile(const std::filesystem::path& file, Operation&& operation) {
  try {
    std::forward<Operation>(operation)();
  } catch (const std::exception& error) {
    throw Error(MessageNamingFile(error.what(), file.string()));
  }
}

// The application-wide wait cursor while a render runs; the normal cursor comes back when the
// scope ends, also when the render fails.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// File names between Qt and the engine, in the file system's own encoding.
std::filesystem::path PathFromQString(const QString& fileName);
QString QStringFromPath(const std::filesystem::path& path);

}  // namespace mirelane
