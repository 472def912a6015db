// Warnings about what still rendered (a colour profile passed over, a layer left out), for the
// command line.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "compose/slot_pictures.h"

namespace mirelane {

// Decodes like LoadFromFile and reports each warning once per file, on out, as
// "mirelane-render: warning: <text>". Safe to call from several threads.
PictureLoader WarningLoader(std::ostream& out);

// Takes a warning's text and reports it, as WarningLoader does, once per text.
using WarningSink = std::function<void(const std::string& text)>;
// Writes each distinct text once on out as "mirelane-render: warning: <text>"; thread-safe.
WarningSink WarningPrinter(std::ostream& out);

}  // namespace mirelane
