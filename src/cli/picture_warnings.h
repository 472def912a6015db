// Warnings about pictures that still loaded (a colour profile passed over), for the command line.
#pragma once

#include <ostream>

#include "compose/slot_pictures.h"

namespace mirelane {

// Decodes like LoadFromFile and reports each warning once per file, on out, as
// "mirelane-render: warning: <text>". Safe to call from several threads.
PictureLoader WarningLoader(std::ostream& out);

}  // namespace mirelane
