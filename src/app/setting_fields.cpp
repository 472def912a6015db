// The table of user settings.
#include "app/setting_fields.h"

#include <array>

namespace mirelane {

namespace {

template <auto Member>
int64_t GetField(const EditingState& state) {
  return static_cast<int64_t>(state.*Member);
}

template <auto Member>
void SetField(EditingState& state, int64_t value) {
  using Value = std::remove_reference_t<decltype(state.*Member)>;
  state.*Member = static_cast<Value>(value);
}

#define MIRELANE_FIELD(name, kind)                                                                      \
  SettingField {                                                                                        \
#name, SettingField::Kind::kind, &GetField < &EditingState::name>, &SetField < &EditingState::name> \
  }

constexpr std::array kFields = {
    MIRELANE_FIELD(TemplateIndex, Number),    MIRELANE_FIELD(ShowReflection, Flag),
    MIRELANE_FIELD(ReflectionFade, Flag),     MIRELANE_FIELD(ReflectionOpacity, Number),
    MIRELANE_FIELD(ReflectionBlur, Number),   MIRELANE_FIELD(ReflectionBrightness, Number),
    MIRELANE_FIELD(ReflectionLength, Number), MIRELANE_FIELD(ShadowDensity, Number),
    MIRELANE_FIELD(ShadowColor, Colour),      MIRELANE_FIELD(ShadowBlur, Number),
    MIRELANE_FIELD(ShowShadow, Flag),         MIRELANE_FIELD(ObjectShading, Number),
    MIRELANE_FIELD(ObjectHighlight, Number),  MIRELANE_FIELD(ShadingColor, Colour),
    MIRELANE_FIELD(HighlightColor, Colour),   MIRELANE_FIELD(TransparentBackground, Flag),
    MIRELANE_FIELD(LargeDiscArea, Flag),      MIRELANE_FIELD(OutputWidth, Number),
    MIRELANE_FIELD(OutputHeight, Number),     MIRELANE_FIELD(OutputDpi, Number),
    MIRELANE_FIELD(FlipWhenSaved, Flag),
};

#undef MIRELANE_FIELD

}  // namespace

std::span<const SettingField> SettingFields() {
  return kFields;
}

bool SettingValueAllowed(const SettingField& field, int64_t value) {
  switch (field.Type) {
    case SettingField::Kind::Flag:
      return value == 0 || value == 1;
    case SettingField::Kind::Colour:
      return value >= 0 && value <= 0xFFFFFF;
    case SettingField::Kind::Number:
      break;
  }
  const SettingRange* range = FindSettingRange(field.Name);
  return range == nullptr ? value >= 1 : value >= range->Min && value <= range->Max;
}

bool SameSettings(const SettingsSnapshot& a, const SettingsSnapshot& b) {
  for (const SettingField& field : kFields) {
    if (field.Get(a.State) != field.Get(b.State)) return false;
  }
  for (SourceIndex i = 1; i <= kSourceCount; ++i) {
    const LayerSource& x = a.Sources[i];
    const LayerSource& y = b.Sources[i];
    if (x.PicturePath != y.PicturePath || x.Color != y.Color || x.UseColor != y.UseColor) return false;
  }
  return true;
}

}  // namespace mirelane
