// Colour names with their values: twenty fixed colours, two special values, thirty element colours.
#include "raster/color_names.h"

#include <array>
#include <string>

#include "raster/error.h"

namespace mirelane {

namespace {

struct NamedColor {
  std::string_view name;
  TColor value;
};

constexpr TColor Element(uint32_t number) {
  return static_cast<TColor>(0xFF000000u | number);
}

// The fixed colours come first; the special values and the element colours follow them.
constexpr size_t kFixedColorCount = 20;

constexpr std::array<NamedColor, 52> kNamedColors = {{
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
    {"clScrollBar", Element(0)},
    {"clBackground", Element(1)},
    {"clActiveCaption", Element(2)},
    {"clInactiveCaption", Element(3)},
    {"clMenu", Element(4)},
    {"clWindow", Element(5)},
    {"clWindowFrame", Element(6)},
    {"clMenuText", Element(7)},
    {"clWindowText", Element(8)},
    {"clCaptionText", Element(9)},
    {"clActiveBorder", Element(10)},
    {"clInactiveBorder", Element(11)},
    {"clAppWorkSpace", Element(12)},
    {"clHighlight", Element(13)},
    {"clHighlightText", Element(14)},
    {"clBtnFace", Element(15)},
    {"clBtnShadow", Element(16)},
    {"clGrayText", Element(17)},
    {"clBtnText", Element(18)},
    {"clInactiveCaptionText", Element(19)},
    {"clBtnHighlight", Element(20)},
    {"cl3DDkShadow", Element(21)},
    {"cl3DLight", Element(22)},
    {"clInfoText", Element(23)},
    {"clInfoBk", Element(24)},
    {"clHotLight", Element(26)},
    {"clGradientActiveCaption", Element(27)},
    {"clGradientInactiveCaption", Element(28)},
    {"clMenuHighlight", Element(29)},
    {"clMenuBar", Element(30)},
}};

static_assert(kNamedColors[kFixedColorCount - 1].name == "clMedGray" &&
              kNamedColors[kFixedColorCount].name == "clNone");

bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::optional<TColor> IdentToColor(std::string_view name) {
  for (const NamedColor& named : kNamedColors)
    if (EqualFolded(named.name, name)) return named.value;
  return std::nullopt;
}

std::optional<TColor> PlainColorName(std::string_view name) {
  for (size_t i = 0; i < kFixedColorCount; ++i)
    if (EqualFolded(kNamedColors[i].name.substr(2), name)) return kNamedColors[i].value;
  return std::nullopt;
}

std::optional<TColor> ColorOfText(std::string_view text) {
  if (const auto named = IdentToColor(text)) return named;
  int32_t value;
  if (TryStrToInt(text, value)) return value;
  return std::nullopt;
}

TColor StringToColor(std::string_view text) {
  if (const auto color = ColorOfText(text)) return *color;
  throw Error("'" + std::string(text) + "' is not a valid integer value");
}

bool TryStrToInt(std::string_view text, int32_t& value) {
  int base = 10;
  bool negative = false;
  if (text.starts_with('$')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.starts_with('-') || text.starts_with('+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;

  // Decimal may reach 2^31 when negative; hexadecimal any 32-bit pattern.
  const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t magnitude = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (magnitude > limit) return false;
  }
  const uint32_t bits = negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude))
                                 : static_cast<uint32_t>(magnitude);
  value = static_cast<int32_t>(bits);
  return true;
}

}  // namespace mirelane
