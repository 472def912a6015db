// Listing the shipped and the user's templates as one catalogue.
#include "templates/template_catalogue.h"

#include <cstdlib>
#include <system_error>

#include "picture/picture_writer.h"
#include "raster/error.h"
#include "templates/render_template.h"
#include "templates/template.h"
#include "templates/template_writer.h"

namespace mirelane {

namespace {

constexpr const char* kAppFolder = "mirelane-creator";
constexpr int32_t kPreviewDpi = 96;

void AppendFolder(std::vector<CatalogueEntry>& entries, const std::filesystem::path& dataFolder,
                  bool userOwn) {
  for (const std::string& file : ListFiles(dataFolder / "Templates")) {
    CatalogueEntry entry;
    entry.FileName = file;
    entry.Name = TemplateName(file);
    entry.TemplateFile = dataFolder / "Templates" / file;
    entry.PreviewPath = dataFolder / "Pics" / (entry.Name + ".jpg");
    entry.UserOwn = userOwn;
    entries.push_back(std::move(entry));
  }
}

bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

std::filesystem::path UserDataFolder(const char* xdgDataHome, const char* home) {
  // A relative XDG_DATA_HOME is invalid by the rule and is ignored.
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return std::filesystem::path(xdgDataHome) / kAppFolder;
  if (home != nullptr && home[0] != '\0')
    return std::filesystem::path(home) / ".local" / "share" / kAppFolder;
  return {};
}

std::filesystem::path UserDataFolderFromEnvironment() {
  return UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::vector<CatalogueEntry> ListCatalogue(const std::filesystem::path& root,
                                          const std::filesystem::path& userData) {
  std::vector<CatalogueEntry> entries;
  AppendFolder(entries, root, false);
  if (!userData.empty() && !SameFolder(root, userData)) AppendFolder(entries, userData, true);
  return entries;
}

std::string NoTemplatesMessage(const std::filesystem::path& root) {
  return "No templates in " + (root / "Templates").string() + "; Design\u2026 makes one";
}

std::string TemplateProblem(const CatalogueEntry& entry) {
  try {
    ReadTemplate(entry.TemplateFile);
    return {};
  } catch (const Error& e) {
    return e.what();
  }
}

CatalogueEntry CatalogueEntryAt(const std::filesystem::path& root, const std::filesystem::path& userData,
                                int32_t templateIndex) {
  std::vector<CatalogueEntry> entries = ListCatalogue(root, userData);
  if (entries.empty()) throw Error(NoTemplatesMessage(root));
  const int64_t entry = static_cast<int64_t>(templateIndex) - 1;
  if (entry < 0 || entry >= static_cast<int64_t>(entries.size()))
    throw Error("List index out of bounds (" + std::to_string(entry) + ")");
  return std::move(entries[static_cast<size_t>(entry)]);
}

std::filesystem::path SaveUserTemplate(const std::filesystem::path& userData, const std::string& name,
                                       const std::string& text, const TBitmap32& preview) {
  if (userData.empty())
    throw Error("There is no folder for your own templates (neither XDG_DATA_HOME nor HOME is set)");
  const bool plain = !name.empty() && name != "." && name != ".." && name.size() <= 120 &&
                     name.find_first_of("/\\") == std::string::npos && name.find('\0') == std::string::npos &&
                     name.find_first_not_of(' ') != std::string::npos;
  if (!plain) throw Error("\"" + name + "\" cannot name a template: use 1 to 120 characters without / or \\");
  const std::filesystem::path templates = userData / "Templates", pics = userData / "Pics";
  const std::filesystem::path file = templates / (name + ".ini"), picture = pics / (name + ".jpg");
  std::error_code ec;
  if (std::filesystem::exists(file, ec))
    throw Error("A template named \"" + name + "\" already exists in " + templates.string());
  for (const std::filesystem::path& folder : {templates, pics}) {
    std::filesystem::create_directories(folder, ec);
    if (ec) throw Error("Cannot create the folder \"" + folder.string() + "\". " + ec.message());
  }
  SavePicture(preview, picture.string(), kPreviewDpi);
  WriteTemplateFile(file, text);
  return file;
}

}  // namespace mirelane
