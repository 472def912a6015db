// The editing state: initial values, field ranges and the range checks for outside input.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "compose/editing_state.h"
#include "raster/error.h"

namespace mirelane {
namespace {

TEST(EditingState, StartsWithTheInitialValues) {
  const EditingState s;
  EXPECT_EQ(s.CurrentSource, 1);
  EXPECT_EQ(s.TemplateIndex, 1);
  EXPECT_TRUE(s.ShowReflection);
  EXPECT_TRUE(s.ReflectionFade);
  EXPECT_EQ(s.ReflectionOpacity, 255);
  EXPECT_EQ(s.ReflectionBlur, 15);
  EXPECT_EQ(s.ReflectionBrightness, 0);
  EXPECT_EQ(s.ReflectionLength, 50);
  EXPECT_EQ(s.ShadowDensity, 255);
  EXPECT_EQ(s.ShadowColor, 0x000000);
  EXPECT_EQ(s.ShadowBlur, 25);
  EXPECT_TRUE(s.ShowShadow);
  EXPECT_EQ(s.ObjectShading, 255);
  EXPECT_EQ(s.ObjectHighlight, 255);
  EXPECT_EQ(s.ShadingColor, 0x000000);
  EXPECT_EQ(s.HighlightColor, 0xFFFFFF);
  EXPECT_FALSE(s.TransparentBackground);
  EXPECT_FALSE(s.LargeDiscArea);
  EXPECT_EQ(s.OutputWidth, 400);
  EXPECT_EQ(s.OutputHeight, 300);
  EXPECT_EQ(s.OutputDpi, 96);
  EXPECT_FALSE(s.FlipWhenSaved);
  EXPECT_EQ(ColorToColor32(s.HighlightColor), kColor32White);
  EXPECT_EQ(ColorToColor32(s.ShadowColor), kColor32Black);
}

// Each numeric field holds both ends of its checked range: a field too narrow, or unsigned where
// negatives are allowed, would wrap and read back another value.
TEST(EditingState, FieldsHoldBothEndsOfTheirRanges) {
  struct Case {
    const char* name;
    int64_t (*get)(const EditingState&);
    void (*set)(EditingState&, int64_t);
  };
#define FIELD(f)                                                                                             \
  Case {                                                                                                     \
#f, [](const EditingState&                                                                               \
               s) { return static_cast<int64_t>(s.f); },                                                     \
                                                      [](EditingState & s,                                   \
                                                         int64_t v) { s.f = static_cast<decltype(s.f)>(v); } \
  }
  const Case cases[] = {FIELD(OutputWidth),       FIELD(OutputHeight),         FIELD(OutputDpi),
                        FIELD(ReflectionOpacity), FIELD(ShadowDensity),        FIELD(ObjectShading),
                        FIELD(ObjectHighlight),   FIELD(ReflectionBlur),       FIELD(ShadowBlur),
                        FIELD(ReflectionLength),  FIELD(ReflectionBrightness), FIELD(CurrentSource),
                        FIELD(TemplateIndex)};
#undef FIELD
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SettingRange* range = FindSettingRange(c.name);
    ASSERT_NE(range, nullptr);
    for (const int64_t value : {int64_t{range->Min}, int64_t{range->Max}}) {
      EditingState s;
      c.set(s, value);
      EXPECT_EQ(c.get(s), value);
      EXPECT_NO_THROW(ValidateEditingState(s));
    }
  }
}

TEST(EditingState, DefaultStateIsValid) {
  EXPECT_NO_THROW(ValidateEditingState(EditingState{}));
}

TEST(CheckSetting, AcceptsTheBoundsAndRefusesOneBeyond) {
  struct Case {
    const char* name;
    int32_t min, max;
  };
  const Case cases[] = {
      {"OutputWidth", 32, 4096},     {"OutputHeight", 32, 4096},        {"OutputDpi", 60, 600},
      {"ReflectionOpacity", 0, 255}, {"ShadowDensity", 0, 255},         {"ObjectShading", 0, 255},
      {"ObjectHighlight", 0, 255},   {"ReflectionBlur", 0, 100},        {"ShadowBlur", 0, 100},
      {"ReflectionLength", 1, 100},  {"ReflectionBrightness", -50, 50}, {"CurrentSource", 1, 9},
      {"TemplateIndex", 1, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NO_THROW(CheckSetting(c.name, c.min));
    EXPECT_NO_THROW(CheckSetting(c.name, c.max));
    EXPECT_THROW(CheckSetting(c.name, int64_t{c.min} - 1), Error);
    EXPECT_THROW(CheckSetting(c.name, int64_t{c.max} + 1), Error);
    const SettingRange* range = FindSettingRange(c.name);
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(range->Min, c.min);
    EXPECT_EQ(range->Max, c.max);
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
