// The data-folder lookup shared by the desktop application and the command-line tool.
#include "templates/data_root.h"

#include <array>
#include <system_error>

namespace mirelane {

namespace {

bool HoldsData(const std::filesystem::path& folder) {
  static constexpr std::array<const char*, 4> kDataFolders = {"Templates", "Pics", "custom", "Data"};
  std::error_code ec;
  for (const char* name : kDataFolders) {
    if (std::filesystem::is_directory(folder / name, ec)) return true;
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
