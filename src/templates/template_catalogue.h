// The catalogue of templates: the shipped ones in the data folder, then the user's own in
// <user data>/Templates with their previews in <user data>/Pics.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "raster/bitmap32.h"

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

// What a person is told when the catalogue lists nothing: "No templates in FOLDER; Design… makes one",
// FOLDER being the shipped templates' folder under root.
std::string NoTemplatesMessage(const std::filesystem::path& root);

// Why a listed template cannot be used, as ReadTemplate words it; empty when it reads. The file is
// read each time: the user may mend it while the program runs.
std::string TemplateProblem(const CatalogueEntry& entry);

// Entry templateIndex - 1 of the catalogue; fails with NoTemplatesMessage when the catalogue is empty,
// otherwise with "List index out of bounds (%d)".
CatalogueEntry CatalogueEntryAt(const std::filesystem::path& root, const std::filesystem::path& userData,
                                int32_t templateIndex);

// Keeps a designed template among the user's own: userData/Templates/<name>.ini with its preview
// picture userData/Pics/<name>.jpg, folders made as needed. The name must be a plain file name (no
// folder separators, not "." or "..", at most 120 characters) and not yet taken; otherwise, or when a
// file cannot be written, fails with Error naming the problem. The preview is written first, so that
// a failure never leaves a template without its preview. Returns the template's file.
std::filesystem::path SaveUserTemplate(const std::filesystem::path& userData, const std::string& name,
                                       const std::string& text, const TBitmap32& preview);

}  // namespace mirelane
