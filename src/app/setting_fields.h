// The user's settings as the window keeps them: what undo compares and restores, and what is
// remembered between runs. The settings themselves are the rows of the settings table.
#pragma once

#include <cstdint>

#include "compose/editing_settings.h"
#include "compose/layer_source.h"

namespace mirelane {

// A row of the settings table that the user sets: all but the slot under edit, which only says
// what the layer source panel shows.
bool IsUserSetting(const EditingSetting& setting);

// Whether value may be stored in the setting: within its range, 0 or 1 for a flag, an RGB value
// for a colour.
bool SettingValueAllowed(const EditingSetting& setting, int64_t value);

// What the user has set: the editing state and the nine slots.
struct SettingsSnapshot {
  EditingState State;
  LayerSources Sources;
};

// Equal in every user setting and slot.
bool SameSettings(const SettingsSnapshot& a, const SettingsSnapshot& b);

}  // namespace mirelane
