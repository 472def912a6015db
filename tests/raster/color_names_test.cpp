// Colour texts: the toolkit's colour names without regard to case, integers, and the message for the rest.
#include "raster/color_names.h"

#include <gtest/gtest.h>

#include <string>

#include "raster/error.h"

namespace mirelane {
namespace {

TEST(StringToColor, NamesWithoutRegardToCaseAndIntegers) {
  struct Case {
    const char* text;
    TColor expected;
  };
  const Case cases[] = {
      {"clBlack", 0x000000},
      {"clMaroon", 0x000080},
      {"clGreen", 0x008000},
      {"clOlive", 0x008080},
      {"clNavy", 0x800000},
      {"clPurple", 0x800080},
      {"clTeal", 0x808000},
      {"clGray", 0x808080},
      {"clSilver", 0xC0C0C0},
      {"clRed", 0x0000FF},
      {"clLime", 0x00FF00},
      {"clYellow", 0x00FFFF},
      {"clBlue", 0xFF0000},
      {"clFuchsia", 0xFF00FF},
      {"clAqua", 0xFFFF00},
      {"clWhite", 0xFFFFFF},
      {"clMoneyGreen", 0xC0DCC0},
      {"clSkyBlue", 0xF0CAA6},
      {"clCream", 0xF0FBFF},
      {"clMedGray", 0xA4A0A0},
      {"clNone", 0x1FFFFFFF},
      {"clDefault", 0x20000000},
      {"CLRED", 0x0000FF},
      {"clred", 0x0000FF},
      {"clScrollBar", static_cast<TColor>(0xFF000000u)},
      {"clInfoBk", static_cast<TColor>(0xFF000018u)},
      {"clHotLight", static_cast<TColor>(0xFF00001Au)},
      {"clMenuBar", static_cast<TColor>(0xFF00001Eu)},
      {"cl3ddkshadow", static_cast<TColor>(0xFF000015u)},
      {"255", 255},
      {"$FF", 255},
      {"0x00FF00", 0x00FF00},
      {"-16777201", -16777201},
  };
  for (const Case& c : cases) EXPECT_EQ(StringToColor(c.text), c.expected) << c.text;
}

TEST(StringToColor, ElementColoursResolveThroughTheSystemTable) {
  const char* const names[] = {"clScrollBar",
                               "clBackground",
                               "clActiveCaption",
                               "clInactiveCaption",
                               "clMenu",
                               "clWindow",
                               "clWindowFrame",
                               "clMenuText",
                               "clWindowText",
                               "clCaptionText",
                               "clActiveBorder",
                               "clInactiveBorder",
                               "clAppWorkSpace",
                               "clHighlight",
                               "clHighlightText",
                               "clBtnFace",
                               "clBtnShadow",
                               "clGrayText",
                               "clBtnText",
                               "clInactiveCaptionText",
                               "clBtnHighlight",
                               "cl3DDkShadow",
                               "cl3DLight",
                               "clInfoText",
                               "clInfoBk",
                               "clHotLight",
                               "clGradientActiveCaption",
                               "clGradientInactiveCaption",
                               "clMenuHighlight",
                               "clMenuBar"};
  int number = 0;
  for (const char* name : names) {
    if (number == 25) ++number;  // the numbering leaves out 25
    const TColor c = StringToColor(name);
    EXPECT_EQ(c, static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(number))) << name;
    EXPECT_EQ(ColorToColor32(c), ColorToColor32(SystemColor(number))) << name;
    ++number;
  }
  EXPECT_EQ(number, 31);
  EXPECT_EQ(ColorToColor32(StringToColor("clNone")), kColor32White);
  EXPECT_EQ(ColorToColor32(StringToColor("clDefault")), kColor32Black);
  EXPECT_EQ(ColorToColor32(StringToColor("clBtnFace")), ColorToColor32(SystemColor(15)));
}

TEST(StringToColor, OtherTextFailsWithTheIntegerMessage) {
  const char* const bad[] = {"clRose", "red", "", "12.5", "cl Red", "clRed ", "0xGG", "unknown"};
  for (const char* text : bad) {
    try {
      StringToColor(text);
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace mirelane
