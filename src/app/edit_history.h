// Undo and redo of the user's settings: each change is recorded as the state before it, so
// stepping back restores exactly what the user had.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/setting_fields.h"

namespace mirelane {

class EditHistory {
 public:
  // Steps kept; the oldest are forgotten beyond this.
  static constexpr size_t kDepth = 200;

  // Forgets every step; now is the settings in force.
  void Reset(const SettingsSnapshot& now);
  // Records the settings after a change; a change equal to the settings in force records nothing.
  // Consecutive changes with the same non-empty merge key (typing into one field) are one step.
  // Returns whether a step was recorded or extended.
  bool Record(const SettingsSnapshot& now, std::string_view mergeKey = {});
  // The settings to return to, or nothing at either end.
  std::optional<SettingsSnapshot> Undo();
  std::optional<SettingsSnapshot> Redo();
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  const SettingsSnapshot& Current() const { return current_; }

 private:
  std::vector<SettingsSnapshot> undo_;
  std::vector<SettingsSnapshot> redo_;
  SettingsSnapshot current_;
  std::string lastMergeKey_;
};

}  // namespace mirelane
