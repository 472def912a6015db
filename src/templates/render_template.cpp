// The template catalogue (listing, names, previews) and the render driver.
#include "templates/render_template.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "compose/background_layer.h"
#include "compose/scene_builder.h"
#include "compose/slot_pictures.h"
#include "raster/error.h"
#include "templates/template.h"
#include "templates/template_catalogue.h"

namespace mirelane {

namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char ca = LowerAscii(a[i]), cb = LowerAscii(b[i]);
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // names equal but for case: a fixed order all the same
}

}  // namespace

std::vector<std::string> ListFiles(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return names;
  for (const auto& entry : it) {
    std::error_code statusError;
    if (entry.is_directory(statusError)) continue;
    names.push_back(entry.path().filename().string());
  }
  // The file system gives no defined order; positions and previews depend on a stable one.
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

std::string TemplateName(const std::string& fileName) {
  return fileName.size() <= 4 ? std::string() : fileName.substr(0, fileName.size() - 4);
}

TemplateEntry TemplateAt(const std::filesystem::path& root, int32_t templateIndex,
                         const std::filesystem::path& userData) {
  const CatalogueEntry found = CatalogueEntryAt(root, userData, templateIndex);
  return TemplateEntry{found.FileName, found.Name, found.PreviewPath};
}

void RenderTemplate(TImgView32& view, int32_t width, int32_t height, RenderContext& context) {
  if (!context.ShotText.empty()) {
    RenderTemplateText(view, width, height, context, context.ShotText, "designed shot");
    return;
  }
  view.PrepareBase(width, height);
  view.Layers().Clear();
  RenderTemplateFile(
      view, width, height, context,
      CatalogueEntryAt(context.Root, context.UserData, context.State.TemplateIndex).TemplateFile);
}

namespace {

// The render after the template is chosen; the scene is read by readScene after the background step, so
// that a template that cannot be read still leaves the background.
template <typename ReadSceneFn>
void RenderScene(TImgView32& view, int32_t width, int32_t height, RenderContext& context,
                 ReadSceneFn readScene) {
  view.PrepareBase(width, height);
  view.Layers().Clear();
  context.Warnings.clear();
  // Each slot's picture is decoded once for the whole render and released when it ends.
  std::optional<SlotPictures> pictures;
  if (context.Loader)
    pictures.emplace(context.Sources, context.Loader);
  else
    pictures.emplace(context.Sources);
  AddBackgroundLayer(view, context.State, context.Sources, *pictures);
  SceneInputs inputs{context.State, context.Sources, context.Root / "custom"};
  inputs.Pictures = &*pictures;
  inputs.Workers = context.Workers;
  const Scene scene = readScene();
  context.Warnings = LeftOutLayers(scene);
  BuildScene(scene, view, inputs);
}

}  // namespace

void RenderTemplateFile(TImgView32& view, int32_t width, int32_t height, RenderContext& context,
                        const std::filesystem::path& file) {
  RenderScene(view, width, height, context, [&] { return ReadScene(file); });
}

void RenderTemplateText(TImgView32& view, int32_t width, int32_t height, RenderContext& context,
                        const std::string& text, const std::string& name) {
  RenderScene(view, width, height, context,
              [&] { return SceneOf(ReadTemplate(IniFile::FromText(text)), name); });
}

}  // namespace mirelane
