// Slot keywords, captions, initial colours and the keyword lookup.
#include "compose/layer_source.h"

namespace mirelane {

namespace {

struct SlotInfo {
  std::string_view keyword;
  std::string_view caption;
  TColor color;  // 0x00BBGGRR
};

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}

constexpr std::array<SlotInfo, kSourceCount> kSlots = {{
    {"BACKGROUND", "BACKGROUND", Rgb(255, 255, 255)},
    {"FRONT", "FRONT", Rgb(192, 220, 192)},
    {"SIDE", "SIDE", Rgb(0, 128, 128)},
    {"TOP", "TOP", Rgb(128, 0, 128)},
    {"DISC", "DISC", Rgb(166, 202, 240)},
    {"FRONT2", "FRONT 2", Rgb(128, 0, 0)},
    {"SIDE2", "SIDE 2", Rgb(128, 128, 0)},
    {"TOP2", "TOP 2", Rgb(0, 255, 255)},
    {"DISC2", "DISC 2", Rgb(192, 220, 192)},
}};

bool ValidIndex(SourceIndex index) {
  return index >= 1 && index <= kSourceCount;
}

}  // namespace

LayerSources::LayerSources() {
  for (SourceIndex i = 1; i <= kSourceCount; ++i) (*this)[i].Color = kSlots[static_cast<size_t>(i - 1)].color;
}

std::string_view SourceKeyword(SourceIndex index) {
  return ValidIndex(index) ? kSlots[static_cast<size_t>(index - 1)].keyword : std::string_view{};
}

std::string_view SourceCaption(SourceIndex index) {
  return ValidIndex(index) ? kSlots[static_cast<size_t>(index - 1)].caption : std::string_view{};
}

SourceIndex SourceIndexOf(std::string_view keyword) {
  std::string upper(keyword);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (SourceIndex i = 1; i <= kSourceCount; ++i)
    if (upper == kSlots[static_cast<size_t>(i - 1)].keyword) return i;
  return -1;
}

}  // namespace mirelane
