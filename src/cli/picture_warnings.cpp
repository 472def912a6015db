// The command line's picture loader that passes the readers' warnings on to the user.
#include "cli/picture_warnings.h"

#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "picture/picture_reader.h"

namespace mirelane {

PictureLoader WarningLoader(std::ostream& out) {
  struct Reported {
    std::mutex lock;
    std::set<std::string> files;
  };
  auto reported = std::make_shared<Reported>();
  return [&out, reported](TBitmap32& target, const std::string& file) {
    const TColourNote note = LoadFromFile(target, file);
    if (note.Warning.empty()) return;
    const std::lock_guard<std::mutex> hold(reported->lock);
    if (reported->files.insert(file).second) out << "mirelane-render: warning: " << note.Warning << "\n";
  };
}

}  // namespace mirelane
