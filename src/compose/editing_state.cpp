// Range checks for the editing state, for values that enter it from outside the window's controls.
#include "compose/editing_state.h"

#include <array>
#include <string>

#include "raster/error.h"

namespace mirelane {

namespace {

constexpr std::array<SettingRange, 13> kRanges = {{
    {"CurrentSource", 1, 9},
    {"TemplateIndex", 1, 14},
    {"ReflectionOpacity", 0, 255},
    {"ReflectionBlur", 0, 100},
    {"ReflectionBrightness", -50, 50},
    {"ReflectionLength", 1, 100},
    {"ShadowDensity", 0, 255},
    {"ShadowBlur", 0, 100},
    {"ObjectShading", 0, 255},
    {"ObjectHighlight", 0, 255},
    {"OutputWidth", 32, 4096},
    {"OutputHeight", 32, 4096},
    {"OutputDpi", 60, 600},
}};

}  // namespace

const SettingRange* FindSettingRange(std::string_view name) {
  for (const SettingRange& range : kRanges)
    if (range.Name == name) return &range;
  return nullptr;
}

void CheckSetting(std::string_view name, int64_t value) {
  const SettingRange* range = FindSettingRange(name);
  if (range == nullptr) throw Error("Unknown setting '" + std::string(name) + "'");
  if (value < range->Min || value > range->Max)
    throw Error(std::string(name) + " must lie between " + std::to_string(range->Min) + " and " +
                std::to_string(range->Max) + ", not " + std::to_string(value));
}

void ValidateEditingState(const EditingState& state) {
  CheckSetting("CurrentSource", state.CurrentSource);
  CheckSetting("TemplateIndex", state.TemplateIndex);
  CheckSetting("ReflectionOpacity", state.ReflectionOpacity);
  CheckSetting("ReflectionBlur", state.ReflectionBlur);
  CheckSetting("ReflectionBrightness", state.ReflectionBrightness);
  CheckSetting("ReflectionLength", state.ReflectionLength);
  CheckSetting("ShadowDensity", state.ShadowDensity);
  CheckSetting("ShadowBlur", state.ShadowBlur);
  CheckSetting("ObjectShading", state.ObjectShading);
  CheckSetting("ObjectHighlight", state.ObjectHighlight);
  CheckSetting("OutputWidth", state.OutputWidth);
  CheckSetting("OutputHeight", state.OutputHeight);
  CheckSetting("OutputDpi", state.OutputDpi);
}

}  // namespace mirelane
