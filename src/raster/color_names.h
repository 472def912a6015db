// The toolkit's 52 colour names and the colour text of custom-colour template layers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "raster/color32.h"

namespace mirelane {

// The colour a name stands for, compared without regard to ASCII letter case ("clRed", "CLRED").
// The thirty element colours give 0xFF000000 plus their system colour number, which ColorToColor32
// resolves through SystemColor.
std::optional<TColor> IdentToColor(std::string_view name);

// The plain name of one of the twenty fixed colours, case ignored ("red", "NAVY", "moneygreen"): the
// colour name without its "cl". Only the command line takes these; templates keep the "cl" names.
std::optional<TColor> PlainColorName(std::string_view name);

// A signed 32-bit integer: decimal with an optional sign, or up to 32 bits of hexadecimal after
// "$", "0x" or "0X" (taken as a bit pattern, so $FFFFFFFF is -1). No blanks, no other characters.
bool TryStrToInt(std::string_view text, int32_t& value);

// A colour name, or an integer as TryStrToInt reads it (a 0x00BBGGRR value).
// Empty for any other text.
std::optional<TColor> ColorOfText(std::string_view text);
// The same; anything else throws Error "'<text>' is not a valid integer value".
TColor StringToColor(std::string_view text);

}  // namespace mirelane
