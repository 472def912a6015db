// The user settings over the settings table.
#include "app/setting_fields.h"

namespace mirelane {

bool IsUserSetting(const EditingSetting& setting) {
  return setting.Range.Name != "CurrentSource";
}

bool SettingValueAllowed(const EditingSetting& setting, int64_t value) {
  switch (setting.Kind) {
    case SettingKind::Flag:
      return value == 0 || value == 1;
    case SettingKind::Colour:
      return value >= 0 && value <= 0xFFFFFF;
    case SettingKind::Number:
      break;
  }
  return value >= setting.Range.Min && value <= setting.Range.Max;
}

bool SameSettings(const SettingsSnapshot& a, const SettingsSnapshot& b) {
  for (const EditingSetting& setting : EditingSettings()) {
    if (IsUserSetting(setting) && setting.Get(a.State) != setting.Get(b.State)) return false;
  }
  for (SourceIndex i = 1; i <= kSourceCount; ++i) {
    const LayerSource& x = a.Sources[i];
    const LayerSource& y = b.Sources[i];
    if (x.PicturePath != y.PicturePath || x.Color != y.Color || x.UseColor != y.UseColor) return false;
  }
  return true;
}

}  // namespace mirelane
