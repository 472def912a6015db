// The editing state's start values and range checks, both read from the settings table.
#include "compose/editing_state.h"

#include <string>

#include "compose/editing_settings.h"
#include "raster/error.h"

namespace mirelane {

EditingState::EditingState() {
  for (const EditingSetting& setting : EditingSettings()) setting.Set(*this, setting.Default);
}

const SettingRange* FindSettingRange(std::string_view name) {
  const EditingSetting* setting = FindSettingByField(name);
  if (setting == nullptr || setting->Kind != SettingKind::Number) return nullptr;
  return &setting->Range;
}

void CheckSetting(std::string_view name, int64_t value) {
  const SettingRange* range = FindSettingRange(name);
  if (range == nullptr) throw Error("Unknown setting '" + std::string(name) + "'");
  if (value < range->Min || value > range->Max)
    throw Error(std::string(name) + " must lie between " + std::to_string(range->Min) + " and " +
                std::to_string(range->Max) + ", not " + std::to_string(value));
}

void ValidateEditingState(const EditingState& state) {
  for (const EditingSetting& setting : EditingSettings())
    if (setting.Kind == SettingKind::Number) CheckSetting(setting.Range.Name, setting.Get(state));
}

}  // namespace mirelane
