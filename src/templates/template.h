// A template: the nominal canvas and its layers, each a keyword-typed quadrilateral, read from an
// INI template file, and the typed scene made of it once for BuildScene.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "compose/scene.h"
#include "raster/color32.h"
#include "templates/ini_file.h"

namespace mirelane {

struct TemplateLayer {
  std::string Section;  // the section it was read from
  std::string Type = "unknown";
  std::string Source = "unknown";
  // A takes the picture's top-left corner, B its top-right, C its bottom-right, D its bottom-left.
  TemplatePoint A, B, C, D;

  LayerType Kind() const { return LayerTypeOf(Type); }
  // The slot the source names, or -1.
  SourceIndex Slot() const { return SourceIndexOf(Source); }
  ShadeDirection Direction() const { return ShadeDirectionOf(Source); }
  // The custom colour; throws Error "'<source>' is not a valid integer value" for other text.
  TColor Color() const;
};

struct Template {
  int32_t Width = kDefaultTemplateWidth;  // the nominal canvas in template units
  int32_t Height = kDefaultTemplateHeight;
  std::vector<TemplateLayer> Layers;  // in file order, the first drawn lowest
};

// Sections whose name contains this (exact case, anywhere) are layers.
constexpr std::string_view kLayerSectionMark = "Layer";
constexpr std::string_view kImageSection = "Image";

// Reads a template file. A file that cannot be read, is empty, has no layer section or lists more
// sections than its section list holds (so that layers would be left out) fails with Error naming it.
Template ReadTemplate(const std::filesystem::path& file);
// The template a profile describes, as it stands: defaults for what is missing, no layers if none.
Template ReadTemplate(const IniFile& ini);

// The typed scene of a template: every layer's type and source resolved (LayerPlan).
Scene SceneOf(const Template& tmpl, std::string name);
// Reads a template file as ReadTemplate does and types it; the scene is named after the file's stem,
// the name the catalogue shows.
Scene ReadScene(const std::filesystem::path& file);

// A template canvas must be positive both ways before it can be scaled; throws Error otherwise.
void CheckTemplateCanvas(const Template& tmpl);

}  // namespace mirelane
