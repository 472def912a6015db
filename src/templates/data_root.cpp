// The data-folder lookup shared by the desktop application and the command-line tool.
#include "templates/data_root.h"

#include <algorithm>
#include <string_view>
#include <system_error>

namespace mirelane {

namespace {

// The build's list of data folders, separated by '|'.
constexpr std::string_view kDataFolders = MIRELANE_DATA_FOLDERS;

bool HoldsData(const std::filesystem::path& folder) {
  std::error_code ec;
  for (size_t start = 0; start <= kDataFolders.size();) {
    const size_t end = std::min(kDataFolders.find('|', start), kDataFolders.size());
    if (std::filesystem::is_directory(folder / kDataFolders.substr(start, end - start), ec)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::filesystem::path FindDataRoot(const std::filesystem::path& executablePath) {
  const std::filesystem::path exeFolder = executablePath.parent_path();
  if (HoldsData(exeFolder)) return exeFolder;
  const std::filesystem::path shared = exeFolder.parent_path() / "share" / "mirelane-creator";
  if (HoldsData(shared)) return shared;
  return exeFolder;
}

}  // namespace mirelane
