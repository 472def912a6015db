// Where the data folders (Templates, Pics, custom, Data) live for a given executable: beside it
// in a build or portable copy, or in the installation's share folder.
#pragma once

#include <filesystem>

namespace mirelane {

// The folder that holds Templates, Pics, custom and Data for the executable at executablePath.
// The executable's own folder wins when any of the four is beside it; otherwise
// <prefix>/share/mirelane-creator when it exists (the executable living in <prefix>/bin);
// otherwise the executable's folder, so that error messages name the expected place.
std::filesystem::path FindDataRoot(const std::filesystem::path& executablePath);

}  // namespace mirelane
