// The credit text of the "Used libraries" page: every library this build is linked with, its
// version as this build was compiled against it, its licence and its authors' address.
#pragma once

#include <string>

namespace mirelane {

std::string UsedLibrariesText();

}  // namespace mirelane
