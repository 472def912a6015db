// The program-wide editing choices that every render and save reads. A plain value owned by the
// application (or the command-line tool) and passed by reference; nothing is stored between runs.
#pragma once

#include <cstdint>
#include <string_view>

#include "raster/color32.h"

namespace mirelane {

// Every field starts at its setting's default in the settings table (editing_settings.h), the one
// place the start values, ranges and names are written.
struct EditingState {
  EditingState();

  int32_t CurrentSource{};  // the slot under edit in the layer source panel
  int32_t TemplateIndex{};  // 1-based position in the template listing
  bool ShowReflection{};
  bool ReflectionFade{};
  uint8_t ReflectionOpacity{};
  uint8_t ReflectionBlur{};
  int32_t ReflectionBrightness{};  // signed: darker below 0
  uint8_t ReflectionLength{};
  uint8_t ShadowDensity{};
  TColor ShadowColor{};
  uint8_t ShadowBlur{};
  bool ShowShadow{};
  uint8_t ObjectShading{};
  uint8_t ObjectHighlight{};
  TColor ShadingColor{};
  TColor HighlightColor{};
  bool TransparentBackground{};
  bool LargeDiscArea{};
  // The saved picture: its size, the resolution written into it, and whether it is mirrored.
  int32_t OutputWidth{};
  int32_t OutputHeight{};
  int32_t OutputDpi{};
  bool FlipWhenSaved{};
};

// The allowed range of one user-set setting, by its field name.
struct SettingRange {
  std::string_view Name;
  int32_t Min;
  int32_t Max;
};

// The range of the named field ("ReflectionBlur", "OutputWidth", ...); null for an unknown name or a
// field without a numeric range (the booleans and colours).
const SettingRange* FindSettingRange(std::string_view name);

// Checks a value before it is stored in the named field, so that an out-of-range value arriving from
// outside (command line, a batch manifest) is refused instead of wrapping in a one-byte field.
// Throws Error naming the setting and its range; an unknown name is an error too.
void CheckSetting(std::string_view name, int64_t value);

// Checks every ranged field of a state, in the settings table's order; throws Error for the first
// one out of range.
void ValidateEditingState(const EditingState& state);

}  // namespace mirelane
