// The program-wide editing choices that every render and save reads. A plain value owned by the
// application (or the command-line tool) and passed by reference; nothing is stored between runs.
#pragma once

#include <cstdint>

#include "raster/color32.h"

namespace mirelane {

struct EditingState {
  int32_t CurrentSource = 1;  // 1..9: the slot under edit in the layer source panel
  int32_t TemplateIndex = 1;  // 1-based position in the template listing
  bool ShowReflection = true;
  bool ReflectionFade = true;
  uint8_t ReflectionOpacity = 255;
  uint8_t ReflectionBlur = 15;       // 0..100
  int32_t ReflectionBrightness = 0;  // -50..50
  uint8_t ReflectionLength = 50;     // 1..100
  uint8_t ShadowDensity = 255;
  TColor ShadowColor = 0x000000;
  uint8_t ShadowBlur = 25;  // 0..100
  bool ShowShadow = true;
  uint8_t ObjectShading = 255;
  uint8_t ObjectHighlight = 255;
  TColor ShadingColor = 0x000000;
  TColor HighlightColor = 0xFFFFFF;
  bool TransparentBackground = false;
  bool LargeDiscArea = false;
  // Held by their controls in the application; plain fields here.
  int32_t OutputWidth = 400;   // 32..2048
  int32_t OutputHeight = 300;  // 32..2048
  int32_t OutputDpi = 96;      // 60..600
  bool FlipWhenSaved = false;
};

}  // namespace mirelane
