// The one render driver and the template catalogue: listing the Templates folder, taking the
// template at TemplateIndex, and building its scene into the preview's layer stack.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compose/editing_state.h"
#include "compose/layer_source.h"
#include "compose/layer_stack.h"
#include "compose/slot_pictures.h"

namespace mirelane {

// What a render reads besides the view: the state and slots, and where to find the data folders.
// The scene's layers carry their own kinds, so nothing else is recorded.
struct RenderContext {
  const EditingState& State;
  const LayerSources& Sources;
  std::filesystem::path Root;  // the folder holding Templates, Pics, custom and Data
  // Decodes the slot pictures; empty: read from the file each render (a batch shares decodes).
  PictureLoader Loader = {};
  // Cores to build layers on; 0 takes the machine's (a batch running rows side by side gives fewer).
  unsigned Workers = 0;
  // The user's data folder whose Templates follow the shipped ones in the catalogue; empty: none.
  std::filesystem::path UserData = {};
  // A shot given as template text (a designed shot in use without a file) instead of the catalogue's
  // template at TemplateIndex; empty: the catalogue's.
  std::string ShotText = {};
  // Filled by each render: what it left out of the shot and why, one line each (a layer of a type
  // nothing draws). The shot is made all the same; the caller shows these to the user.
  std::vector<std::string> Warnings = {};
};

// The names of the files (not folders) in a folder, hidden ones included, ascending by name
// without regard to case; a missing folder gives an empty list.
std::vector<std::string> ListFiles(const std::filesystem::path& folder);

// A template's name: its file name without the last four characters.
std::string TemplateName(const std::string& fileName);

// What the template panel shows for a position: the file, its name and its preview picture.
struct TemplateEntry {
  std::string FileName;
  std::string Name;
  std::filesystem::path PreviewPath;  // Pics / name + ".jpg" under the root
};

// The template at a 1-based position of the catalogue (root / "Templates", then userData / "Templates");
// fails like CatalogueEntryAt. This is what stepping the template stepper shows, without any widget.
TemplateEntry TemplateAt(const std::filesystem::path& root, int32_t templateIndex,
                         const std::filesystem::path& userData = {});

// Builds the current template's scene (or the context's ShotText) in the view at width x height.
void RenderTemplate(TImgView32& view, int32_t width, int32_t height, RenderContext& context);

// The same for a template file named directly; the context's TemplateIndex is not read.
void RenderTemplateFile(TImgView32& view, int32_t width, int32_t height, RenderContext& context,
                        const std::filesystem::path& templateFile);

// The same for template text, such as a designed shot, read as a file of that text would be; name
// stands for the file's name in messages.
void RenderTemplateText(TImgView32& view, int32_t width, int32_t height, RenderContext& context,
                        const std::string& text, const std::string& name);

}  // namespace mirelane
