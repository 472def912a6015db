// The catalogue of templates: the shipped ones in the data folder, then the user's own in
// <user data>/Templates with their previews in <user data>/Pics.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mirelane {

// The user's data folder by the XDG rule: $XDG_DATA_HOME/mirelane-creator when XDG_DATA_HOME is set to
// an absolute path, otherwise $HOME/.local/share/mirelane-creator; empty when neither is known.
// The arguments are the variables' values (null when unset), so that the rule can be tested.
std::filesystem::path UserDataFolder(const char* xdgDataHome, const char* home);
// The same from this process's environment.
std::filesystem::path UserDataFolderFromEnvironment();

// One template of the catalogue: its file, name and preview picture.
struct CatalogueEntry {
  std::string FileName;
  std::string Name;  // the file name without its last four characters
  std::filesystem::path TemplateFile;
  std::filesystem::path PreviewPath;  // Pics / name + ".jpg" beside the template's own Templates folder
  bool UserOwn = false;
};

// The shipped templates (root / "Templates") in listing order, then the user's (userData / "Templates",
// left out when userData is empty or names the root itself). Missing folders list nothing.
std::vector<CatalogueEntry> ListCatalogue(const std::filesystem::path& root,
                                          const std::filesystem::path& userData);

// Entry templateIndex - 1 of the catalogue; fails with "List index out of bounds (%d)".
CatalogueEntry CatalogueEntryAt(const std::filesystem::path& root, const std::filesystem::path& userData,
                                int32_t templateIndex);

}  // namespace mirelane
