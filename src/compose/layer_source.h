// The nine input slots that feed a shot, each a picture file or a solid colour.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "raster/color32.h"

namespace mirelane {

// 1..9; -1 when a keyword names no slot.
using SourceIndex = int32_t;
constexpr SourceIndex kSourceCount = 9;
constexpr SourceIndex kBackgroundSource = 1;

struct LayerSource {
  std::string PicturePath;  // as the open dialog returned it; empty when never chosen
  TColor Color = 0;         // 0x00BBGGRR
  bool UseColor = true;     // true: feeds Color; false: the picture at PicturePath
};

// The nine slots with their initial colours, indexed by SourceIndex (1-based).
class LayerSources {
 public:
  LayerSources();
  LayerSource& operator[](SourceIndex index) { return slots_.at(static_cast<size_t>(index - 1)); }
  const LayerSource& operator[](SourceIndex index) const { return slots_.at(static_cast<size_t>(index - 1)); }

 private:
  std::array<LayerSource, kSourceCount> slots_;
};

// The template keyword of a slot ("FRONT2") and its panel caption ("FRONT 2").
std::string_view SourceKeyword(SourceIndex index);
std::string_view SourceCaption(SourceIndex index);

// Upper-cases a..z only and compares exactly and in full; -1 for no match.
SourceIndex SourceIndexOf(std::string_view keyword);

}  // namespace mirelane
