// Rendering and saving one shot of the command-line tool.
#include "cli/render_job.h"

#include <vector>

#include "compose/layer_stack.h"
#include "picture/picture_writer.h"
#include "raster/error.h"
#include "templates/finished_shot.h"
#include "templates/render_template.h"
#include "templates/template_catalogue.h"

namespace mirelane {

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

int32_t PositionOfName(const std::filesystem::path& root, const std::string& name,
                       const std::filesystem::path& userData) {
  std::vector<std::string> files;
  for (const CatalogueEntry& entry : ListCatalogue(root, userData)) files.push_back(entry.FileName);
  for (size_t i = 0; i < files.size(); ++i)
    if (TemplateName(files[i]) == name || files[i] == name) return static_cast<int32_t>(i + 1);
  for (size_t i = 0; i < files.size(); ++i)
    if (Lower(TemplateName(files[i])) == Lower(name) || Lower(files[i]) == Lower(name))
      return static_cast<int32_t>(i + 1);
  throw Error("No template named \"" + name + "\" in " + (root / "Templates").string());
}

std::filesystem::path TemplateFileOf(const CliOptions& options, const std::filesystem::path& root) {
  const int32_t position = options.TemplateName.empty()
                               ? options.State.TemplateIndex
                               : PositionOfName(root, options.TemplateName, options.UserData);
  return CatalogueEntryAt(root, options.UserData, position).TemplateFile;
}

ShotRequest DesignedShotRequest(const CliOptions& options, const ArtworkSizeOf& sizeOf) {
  const DesignRequest& d = options.Design;
  ShotRequest request;
  request.Shape = *d.Shape;
  request.Camera = d.Camera;
  request.Lying = d.Lying;
  request.OutputWidth = options.State.OutputWidth;
  request.OutputHeight = options.State.OutputHeight;
  if (d.Proportions) {
    request.Size = *d.Proportions;
  } else if (sizeOf) {
    request.Size = ProportionsFromSlots(*d.Shape, options.Sources, sizeOf);
  } else {
    request.Size = ProportionsFromSlots(*d.Shape, options.Sources);
  }
  return request;
}

std::unique_ptr<TBitmap32> RenderShotPicture(const CliOptions& options, const std::filesystem::path& root,
                                             const PictureLoader& loader, unsigned workers,
                                             const ArtworkSizeOf& sizeOf, const WarningSink& warn) {
  EditingState state = options.State;
  if (!options.TemplateName.empty())
    state.TemplateIndex = PositionOfName(root, options.TemplateName, options.UserData);
  TImgView32 view;
  RenderContext context{state, options.Sources, root, loader, workers};
  context.UserData = options.UserData;
  if (options.Design.Shape)
    RenderTemplateText(view, state.OutputWidth, state.OutputHeight, context,
                       DesignedShotText(DesignedShotRequest(options, sizeOf)), "designed shot");
  else
    RenderTemplate(view, state.OutputWidth, state.OutputHeight, context);
  if (warn)
    for (const std::string& warning : context.Warnings) warn(warning);
  return FinishedShot(view, state);
}

void RenderShot(const CliOptions& options, const std::filesystem::path& root, const PictureLoader& loader,
                unsigned workers, const ArtworkSizeOf& sizeOf, const WarningSink& warn) {
  SaveFormatFor(options.Output);  // a name no writer takes fails before any work
  SaveShot(*RenderShotPicture(options, root, loader, workers, sizeOf, warn), options.Output, options.State,
           SaveQualityOf(options));
}

}  // namespace mirelane
