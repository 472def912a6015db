// The editing state: initial values, field ranges and the range checks for outside input.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "compose/editing_settings.h"
#include "compose/editing_state.h"
#include "raster/error.h"

namespace mirelane {
namespace {

TEST(EditingState, StartsWithEachSettingsDefault) {
  const EditingState s;
  for (const EditingSetting& setting : EditingSettings())
    EXPECT_EQ(setting.Get(s), setting.Default) << setting.Range.Name;
  // The colours start as the toolkit's black and white, in TColor32 form too.
  EXPECT_EQ(ColorToColor32(s.HighlightColor), kColor32White);
  EXPECT_EQ(ColorToColor32(s.ShadowColor), kColor32Black);
}

// Each numeric field of the settings table holds both ends of its range: a field too narrow, or
// unsigned where negatives are allowed, would wrap and read back another value. Driven by the table,
// so a setting added later is checked too.
TEST(EditingState, FieldsHoldBothEndsOfTheirRanges) {
  size_t numbers = 0;
  for (const EditingSetting& setting : EditingSettings()) {
    if (setting.Kind != SettingKind::Number) continue;
    ++numbers;
    SCOPED_TRACE(std::string(setting.Range.Name));
    for (const int64_t value : {int64_t{setting.Range.Min}, int64_t{setting.Range.Max}}) {
      EditingState s;
      setting.Set(s, value);
      EXPECT_EQ(setting.Get(s), value);
      EXPECT_NO_THROW(ValidateEditingState(s));
    }
  }
  EXPECT_EQ(numbers, 13u);  // the thirteen ranged fields of the state
}

// What the command line, the window and the manifest rely on: names are unique, a number starts
// inside its range, and a flag option changes its field (else giving it would do nothing).
TEST(EditingSettings, TableIsConsistent) {
  std::set<std::string_view> options, fields;
  for (const EditingSetting& setting : EditingSettings()) {
    SCOPED_TRACE(std::string(setting.Range.Name));
    EXPECT_TRUE(fields.insert(setting.Range.Name).second);
    if (!setting.Option.empty()) {
      EXPECT_TRUE(options.insert(setting.Option).second);
    }
    EXPECT_FALSE(setting.Help.empty());
    EXPECT_EQ(FindSettingByField(setting.Range.Name), &setting);
    switch (setting.Kind) {
      case SettingKind::Number:
        EXPECT_LE(setting.Range.Min, setting.Default);
        EXPECT_LE(setting.Default, setting.Range.Max);
        break;
      case SettingKind::Flag:
        EXPECT_NE(setting.Default != 0, setting.FlagValue);
        break;
      case SettingKind::Colour:
        EXPECT_EQ(setting.Default & ~0xFFFFFF, 0);
        break;
    }
  }
  EXPECT_EQ(FindSettingByOption("shadow-blur"), FindSettingByField("ShadowBlur"));
  EXPECT_EQ(FindSettingByOption(""), nullptr);
  EXPECT_EQ(FindSettingByOption("--shadow-blur"), nullptr);
  EXPECT_THROW(SettingOfField("NoSuchField"), Error);
}

TEST(EditingState, DefaultStateIsValid) {
  EXPECT_NO_THROW(ValidateEditingState(EditingState{}));
}

TEST(CheckSetting, AcceptsTheBoundsAndRefusesOneBeyond) {
  for (const EditingSetting& setting : EditingSettings()) {
    if (setting.Kind != SettingKind::Number) continue;
    const SettingRange& r = setting.Range;
    SCOPED_TRACE(r.Name);
    EXPECT_NO_THROW(CheckSetting(r.Name, r.Min));
    EXPECT_NO_THROW(CheckSetting(r.Name, r.Max));
    EXPECT_THROW(CheckSetting(r.Name, int64_t{r.Min} - 1), Error);
    EXPECT_THROW(CheckSetting(r.Name, int64_t{r.Max} + 1), Error);
    EXPECT_EQ(FindSettingRange(r.Name), &r);
  }
}

TEST(CheckSetting, MessageNamesTheSettingAndItsRange) {
  try {
    CheckSetting("ReflectionBlur", 300);  // would wrap to 44 in its byte
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "ReflectionBlur must lie between 0 and 100, not 300");
  }
  try {
    CheckSetting("OutputWidth", 5000000000LL);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "OutputWidth must lie between 32 and 4096, not 5000000000");
  }
}

TEST(CheckSetting, UnknownNamesAreErrors) {
  EXPECT_THROW(CheckSetting("ShowShadow", 1), Error);
  EXPECT_THROW(CheckSetting("outputwidth", 400), Error);
  EXPECT_THROW(CheckSetting("", 0), Error);
  EXPECT_EQ(FindSettingRange("ShadowColor"), nullptr);
}

TEST(ValidateEditingState, NamesTheFirstFieldOutOfRange) {
  struct Case {
    void (*change)(EditingState&);
    const char* field;
  };
  const Case cases[] = {
      {[](EditingState& s) { s.OutputWidth = 31; }, "OutputWidth"},
      {[](EditingState& s) { s.OutputHeight = 4097; }, "OutputHeight"},
      {[](EditingState& s) { s.OutputDpi = 601; }, "OutputDpi"},
      {[](EditingState& s) { s.ReflectionBlur = 101; }, "ReflectionBlur"},
      {[](EditingState& s) { s.ShadowBlur = 255; }, "ShadowBlur"},
      {[](EditingState& s) { s.ReflectionLength = 0; }, "ReflectionLength"},
      {[](EditingState& s) { s.ReflectionBrightness = -51; }, "ReflectionBrightness"},
      {[](EditingState& s) { s.CurrentSource = 0; }, "CurrentSource"},
      {[](EditingState& s) { s.TemplateIndex = 0; }, "TemplateIndex"},
  };
  for (const Case& c : cases) {
    EditingState s;
    c.change(s);
    try {
      ValidateEditingState(s);
      ADD_FAILURE() << c.field << " passed";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.field, 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace mirelane
