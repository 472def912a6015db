// The program-wide editing choices that every render and save reads. A plain value owned by the
// application (or the command-line tool) and passed by reference; nothing is stored between runs.
#pragma once

#include <cstdint>
#include <string_view>

#include "raster/color32.h"

namespace mirelane {

struct EditingState {
  int32_t CurrentSource = 1;  // 1..9: the slot under edit in the layer source panel
  int32_t TemplateIndex = 1;  // 1-based position in the template listing
  bool ShowReflection = true;
  bool ReflectionFade = true;
  uint8_t ReflectionOpacity = 255;
  uint8_t ReflectionBlur = 15;       // 0..100
  int32_t ReflectionBrightness = 0;  // -50..50
  uint8_t ReflectionLength = 50;     // 1..100
  uint8_t ShadowDensity = 255;
  TColor ShadowColor = 0x000000;
  uint8_t ShadowBlur = 25;  // 0..100
  bool ShowShadow = true;
  uint8_t ObjectShading = 255;
  uint8_t ObjectHighlight = 255;
  TColor ShadingColor = 0x000000;
  TColor HighlightColor = 0xFFFFFF;
  bool TransparentBackground = false;
  bool LargeDiscArea = false;
  // Held by their controls in the application; plain fields here.
  int32_t OutputWidth = 400;   // 32..4096
  int32_t OutputHeight = 300;  // 32..4096
  int32_t OutputDpi = 96;      // 60..600
  bool FlipWhenSaved = false;
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
// outside (command line, a future settings file) is refused instead of wrapping in a one-byte field.
// Throws Error naming the setting and its range; an unknown name is an error too.
void CheckSetting(std::string_view name, int64_t value);

// Checks every ranged field of a state; throws Error for the first one out of range.
void ValidateEditingState(const EditingState& state);

}  // namespace mirelane
