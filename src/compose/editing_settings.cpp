// The editing settings table and its look-ups.
#include "compose/editing_settings.h"

#include <array>
#include <string>
#include <type_traits>

#include "raster/error.h"

namespace mirelane {

namespace {

template <auto Member>
int64_t GetField(const EditingState& state) {
  return static_cast<int64_t>(state.*Member);
}

template <auto Member>
void SetField(EditingState& state, int64_t value) {
  using Field = std::remove_reference_t<decltype(state.*Member)>;
  if constexpr (std::is_same_v<Field, bool>)
    state.*Member = value != 0;
  else
    state.*Member = static_cast<Field>(value);
}

constexpr auto kNumber = SettingKind::Number;
constexpr auto kColour = SettingKind::Colour;
constexpr auto kFlag = SettingKind::Flag;

constexpr auto kHidden = SettingPlace::Hidden;
constexpr auto kSize = SettingPlace::OutputSize;
constexpr auto kOptions = SettingPlace::Options;
constexpr auto kReflection = SettingPlace::Reflection;
constexpr auto kShadow = SettingPlace::Shadow;
constexpr auto kObject = SettingPlace::Object;
constexpr auto kRender = SettingEffect::Render;
constexpr auto kSaveOnly = SettingEffect::SaveOnly;

#define ROW(option, field, kind, min, max, def, flagValue, help, caption, place, effect) \
  EditingSetting {                                                                       \
    option, {#field, min, max}, kind, def, flagValue, help, caption, place, effect,      \
        &GetField<&EditingState::field>, &SetField<&EditingState::field>                 \
  }

constexpr std::array kSettings = {
    ROW("width", OutputWidth, kNumber, 32, 4096, 400, false, "width of the picture in pixels",
        "Width:", kSize, kRender),
    ROW("height", OutputHeight, kNumber, 32, 4096, 300, false, "height of the picture in pixels",
        "Height:", kSize, kRender),
    ROW("dpi", OutputDpi, kNumber, 60, 600, 96, false, "resolution written into the saved picture",
        "DPI:", kSize, kSaveOnly),
    ROW("transparent", TransparentBackground, kFlag, 0, 1, 0, true,
        "no background: transparent where nothing is drawn", "Transparent background", kOptions, kRender),
    ROW("large-disc", LargeDiscArea, kFlag, 0, 1, 0, true, "discs with a small hole and no centre detail",
        "Large disc area", kOptions, kRender),
    ROW("flip", FlipWhenSaved, kFlag, 0, 1, 0, true, "mirror the saved picture left to right",
        "Flip when saved", kOptions, kSaveOnly),
    ROW("hide-reflection", ShowReflection, kFlag, 0, 1, 1, false, "leave the reflections out", "Show",
        kReflection, SettingEffect::ShowReflections),
    ROW("no-fade", ReflectionFade, kFlag, 0, 1, 1, false, "reflections keep their strength to the end",
        "Fade", kReflection, kRender),
    ROW("reflection-opacity", ReflectionOpacity, kNumber, 0, 255, 255, false, "opacity of the reflections",
        "Opacity", kReflection, kRender),
    ROW("reflection-length", ReflectionLength, kNumber, 1, 100, 50, false,
        "how far a faded reflection reaches, in percent", "Length", kReflection, kRender),
    ROW("reflection-brightness", ReflectionBrightness, kNumber, -50, 50, 0, false,
        "darker (below 0) or lighter reflections", "Brightness", kReflection, kRender),
    ROW("reflection-blur", ReflectionBlur, kNumber, 0, 100, 15, false, "blur radius of the reflections",
        "Blur reflections", kReflection, kRender),
    ROW("hide-shadow", ShowShadow, kFlag, 0, 1, 1, false, "leave the shadow out", "Show", kShadow,
        SettingEffect::ShowShadow),
    ROW("shadow-density", ShadowDensity, kNumber, 0, 255, 255, false, "opacity of the shadow", "Density",
        kShadow, kRender),
    ROW("shadow-color", ShadowColor, kColour, 0, 0, 0x000000, false, "colour of the shadow", "", kShadow,
        kRender),
    ROW("shadow-blur", ShadowBlur, kNumber, 0, 100, 25, false, "blur radius of the shadow", "Blur shadow",
        kShadow, kRender),
    ROW("shading", ObjectShading, kNumber, 0, 255, 255, false, "strength of the shading on the faces",
        "Shading", kObject, kRender),
    ROW("shading-color", ShadingColor, kColour, 0, 0, 0x000000, false, "colour of the shading", "", kObject,
        kRender),
    ROW("highlight", ObjectHighlight, kNumber, 0, 255, 255, false, "strength of the highlights on the faces",
        "Highlights", kObject, kRender),
    ROW("highlight-color", HighlightColor, kColour, 0, 0, 0xFFFFFF, false, "colour of the highlights", "",
        kObject, kRender),
    // Window state: the slot under edit, and the template position (bounded above by the listing,
    // which the render checks; this bound only keeps it a sane number).
    ROW("", CurrentSource, kNumber, 1, 9, 1, false, "the slot under edit", "", kHidden, kRender),
    ROW("", TemplateIndex, kNumber, 1, 1000000, 1, false, "position of the template in the listing", "",
        kHidden, kRender),
};

#undef ROW

}  // namespace

std::span<const EditingSetting> EditingSettings() {
  return kSettings;
}

const EditingSetting* FindSettingByOption(std::string_view option) {
  if (option.empty()) return nullptr;
  for (const EditingSetting& setting : kSettings)
    if (setting.Option == option) return &setting;
  return nullptr;
}

const EditingSetting* FindSettingByField(std::string_view field) {
  for (const EditingSetting& setting : kSettings)
    if (setting.Range.Name == field) return &setting;
  return nullptr;
}

const EditingSetting& SettingOfField(std::string_view field) {
  if (const EditingSetting* setting = FindSettingByField(field)) return *setting;
  throw Error("Unknown setting '" + std::string(field) + "'");
}

}  // namespace mirelane
