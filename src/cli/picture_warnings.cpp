// The command line's picture loader that passes the readers' warnings on to the user.
#include "cli/picture_warnings.h"

#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "picture/picture_reader.h"

namespace mirelane {

namespace {

// Passes each key's first text on to out; a batch would otherwise say the same thing once a row.
class OnceEach {
 public:
  explicit OnceEach(std::ostream& out) : out_(out) {}
  void Report(const std::string& key, const std::string& text) {
    const std::lock_guard<std::mutex> hold(lock_);
    if (keys_.insert(key).second) out_ << "mirelane-render: warning: " << text << "\n";
  }

 private:
  std::ostream& out_;
  std::mutex lock_;
  std::set<std::string> keys_;
};

}  // namespace

PictureLoader WarningLoader(std::ostream& out) {
  auto reported = std::make_shared<OnceEach>(out);
  return [reported](TBitmap32& target, const std::string& file) {
    const TColourNote note = LoadFromFile(target, file);
    if (!note.Warning.empty()) reported->Report(file, note.Warning);
  };
}

WarningSink WarningPrinter(std::ostream& out) {
  auto reported = std::make_shared<OnceEach>(out);
  return [reported](const std::string& text) { reported->Report(text, text); };
}

}  // namespace mirelane
