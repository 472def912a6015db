// Undo and redo steps over settings snapshots.
#include "app/edit_history.h"

namespace mirelane {

void EditHistory::Reset(const SettingsSnapshot& now) {
  undo_.clear();
  redo_.clear();
  current_ = now;
  lastMergeKey_.clear();
}

bool EditHistory::Record(const SettingsSnapshot& now, std::string_view mergeKey) {
  if (SameSettings(now, current_)) return false;
  const bool merge = !mergeKey.empty() && mergeKey == lastMergeKey_ && !undo_.empty();
  if (!merge) {
    undo_.push_back(current_);
    if (undo_.size() > kDepth) undo_.erase(undo_.begin());
  }
  redo_.clear();
  current_ = now;
  lastMergeKey_ = mergeKey;
  return true;
}

std::optional<SettingsSnapshot> EditHistory::Undo() {
  if (undo_.empty()) return std::nullopt;
  redo_.push_back(current_);
  current_ = undo_.back();
  undo_.pop_back();
  lastMergeKey_.clear();
  return current_;
}

std::optional<SettingsSnapshot> EditHistory::Redo() {
  if (redo_.empty()) return std::nullopt;
  undo_.push_back(current_);
  current_ = redo_.back();
  redo_.pop_back();
  lastMergeKey_.clear();
  return current_;
}

}  // namespace mirelane
