// The user's settings in the editing state and the slots, listed once: what undo compares and
// restores, and what is remembered between runs.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "compose/editing_state.h"
#include "compose/layer_source.h"

namespace mirelane {

// One field of the editing state, read and written as a whole number.
struct SettingField {
  enum class Kind { Number, Flag, Colour };
  std::string_view Name;  // the field's name, also its key in the settings file
  Kind Type;
  int64_t (*Get)(const EditingState& state);
  void (*Set)(EditingState& state, int64_t value);
};

// Every field the user sets, CurrentSource (which slot the panel shows) excepted.
std::span<const SettingField> SettingFields();

// Whether value may be stored in the field: within its range, 0 or 1 for a flag, an RGB value for
// a colour.
bool SettingValueAllowed(const SettingField& field, int64_t value);

// What the user has set: the editing state and the nine slots.
struct SettingsSnapshot {
  EditingState State;
  LayerSources Sources;
};

// Equal in every user setting and slot; the slot shown in the panel does not count.
bool SameSettings(const SettingsSnapshot& a, const SettingsSnapshot& b);

}  // namespace mirelane
