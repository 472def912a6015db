// The one table of the editing settings: for each, its command-line name, the field it sets, its
// kind, range, start value, help line and window caption. The command line, its help text, the
// window's controls (made by one loop over it), the batch manifest's columns and the range checks
// all read this table.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "compose/editing_state.h"

namespace mirelane {

// Where the window shows a setting's control; a colour sits beside the setting listed before it.
enum class SettingPlace {
  Hidden,      // window state without a control of its own
  OutputSize,  // the number fields under the preview
  Options,     // the boxes right of them
  Reflection,  // the effect pages, in this order
  Shadow,
  Object,
};

// What a change of the setting asks of the shot in the window.
enum class SettingEffect {
  Render,           // the shot is rendered again
  SaveOnly,         // read when the shot is saved or copied; the preview stays
  ShowReflections,  // the reflection layers are shown or hidden; no render
  ShowShadow,       // the shadow layers alike
};

enum class SettingKind {
  Number,  // a whole number within Range
  Colour,  // 0x00BBGGRR
  Flag,    // on the command line an option without a value that sets the field to FlagValue
};

struct EditingSetting {
  std::string_view Option;  // command-line name without the dashes ("reflection-opacity"); empty: window only
  SettingRange Range;       // Range.Name is the EditingState field; Min and Max bound a Number
  SettingKind Kind;
  int32_t Default;           // the field's start value (a flag's as 0 or 1, a colour as 0x00BBGGRR)
  bool FlagValue;            // what giving a Flag option stores
  std::string_view Help;     // one line for --help, without the range and default
  std::string_view Caption;  // the window control's caption; empty when it has none
  SettingPlace Place;
  SettingEffect Effect;
  int64_t (*Get)(const EditingState&);
  // Stores a value as is; check it with CheckSetting first when it comes from outside.
  void (*Set)(EditingState&, int64_t);
};

// Every setting, in the order the help text lists them.
std::span<const EditingSetting> EditingSettings();

// By command-line name without the dashes; null when no setting has that name.
const EditingSetting* FindSettingByOption(std::string_view option);

// By EditingState field name ("ShadowBlur"); null when no setting has that field.
const EditingSetting* FindSettingByField(std::string_view field);

// As FindSettingByField, for names the program itself writes: throws Error for an unknown one.
const EditingSetting& SettingOfField(std::string_view field);

}  // namespace mirelane
