// The nine layer source slots: keyword lookup, captions and initial colours.
#include <gtest/gtest.h>

#include <string>

#include "compose/layer_source.h"

namespace mirelane {
namespace {

TEST(SourceIndexOf, MatchesKeywordsWithoutRegardToCaseAndNothingElse) {
  struct Case {
    std::string keyword;
    SourceIndex expected;
  };
  const Case cases[] = {
      {"background", 1},  {"Background", 1},
      {"BACKGROUND", 1},  {"front", 2},
      {"Side", 3},        {"tOp", 4},
      {"disc", 5},        {"front2", 6},
      {"FRONT2", 6},      {"side2", 7},
      {"TOP2", 8},        {"Disc2", 9},
      {"FRONT 2", -1},    {"front 2", -1},
      {" FRONT", -1},     {"FRONT ", -1},
      {"", -1},           {"unknown", -1},
      {"FRONT3", -1},     {"FRON", -1},
      {"FRONTFRONT", -1}, {std::string("FRONT\0", 6), -1},
  };
  for (const Case& c : cases) EXPECT_EQ(SourceIndexOf(c.keyword), c.expected) << "'" << c.keyword << "'";
}

TEST(SourceIndexOf, FoldsOnlyAsciiLetters) {
  // Bytes above 127 are not letters a..z: a Latin-1 or UTF-8 lookalike must not match.
  EXPECT_EQ(SourceIndexOf("fr\xC3\xB6nt"), -1);
  EXPECT_EQ(SourceIndexOf("FRONT\xE2\x80\x8B"), -1);
}

TEST(LayerSources, KeywordsCaptionsAndInitialColours) {
  struct Slot {
    SourceIndex index;
    const char* keyword;
    const char* caption;
    int r, g, b;
  };
  const Slot slots[] = {
      {1, "BACKGROUND", "BACKGROUND", 255, 255, 255},
      {2, "FRONT", "FRONT", 192, 220, 192},
      {3, "SIDE", "SIDE", 0, 128, 128},
      {4, "TOP", "TOP", 128, 0, 128},
      {5, "DISC", "DISC", 166, 202, 240},
      {6, "FRONT2", "FRONT 2", 128, 0, 0},
      {7, "SIDE2", "SIDE 2", 128, 128, 0},
      {8, "TOP2", "TOP 2", 0, 255, 255},
      {9, "DISC2", "DISC 2", 192, 220, 192},
  };
  const LayerSources sources;
  for (const Slot& s : slots) {
    SCOPED_TRACE(s.keyword);
    EXPECT_EQ(SourceKeyword(s.index), s.keyword);
    EXPECT_EQ(SourceCaption(s.index), s.caption);
    EXPECT_EQ(SourceIndexOf(s.keyword), s.index);
    const LayerSource& slot = sources[s.index];
    EXPECT_EQ(slot.Color, static_cast<TColor>(s.r | s.g << 8 | s.b << 16));  // red in the low byte
    EXPECT_EQ(ColorToColor32(slot.Color), Color32(s.r, s.g, s.b));
    EXPECT_TRUE(slot.UseColor);
    EXPECT_TRUE(slot.PicturePath.empty());
  }
}

TEST(LayerSources, OutOfRangeIndexHasNoKeywordAndNoSlot) {
  EXPECT_TRUE(SourceKeyword(0).empty());
  EXPECT_TRUE(SourceCaption(10).empty());
  EXPECT_TRUE(SourceKeyword(-1).empty());
  LayerSources sources;
  EXPECT_THROW(sources[-1], std::out_of_range);
  EXPECT_THROW(sources[10], std::out_of_range);
}

TEST(LayerSources, EachHolderHasItsOwnSlots) {
  LayerSources a, b;
  a[2].Color = 0x123456;
  a[2].UseColor = false;
  a[2].PicturePath = "/tmp/x.png";
  EXPECT_EQ(b[2].Color, 0x00C0DCC0);
  EXPECT_TRUE(b[2].UseColor);
  EXPECT_TRUE(b[2].PicturePath.empty());
}

}  // namespace
}  // namespace mirelane
