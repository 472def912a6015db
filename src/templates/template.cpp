// Reading a template file into a Template, and typing it into a Scene.
#include "templates/template.h"

#include <string>

#include "raster/color_names.h"
#include "raster/error.h"

namespace mirelane {

TColor TemplateLayer::Color() const {
  return StringToColor(Source);
}

Template ReadTemplate(const std::filesystem::path& file) {
  const std::string text = ReadIniText(file);
  std::string quoted = file.string();
  quoted.insert(quoted.begin(), '"');
  quoted.push_back('"');
  if (text.find_first_not_of(" \t\r\n\v\f") == std::string::npos)
    throw Error("The template " + quoted + " is empty");
  const IniFile ini = IniFile::FromText(text);
  // Sections past the section list are not seen; dropping layers unannounced would draw a wrong shot.
  std::vector<std::string> lostLayers;
  for (const std::string& name : ini.SectionsBeyondList())
    if (name.find(kLayerSectionMark) != std::string::npos) lostLayers.push_back(name);
  if (!lostLayers.empty()) {
    throw Error("The template " + quoted + " has more sections than its section list of " +
                std::to_string(kIniSectionListBytes) + " bytes holds: " + std::to_string(lostLayers.size()) +
                (lostLayers.size() == 1
                     ? " layer, \"" + lostLayers.front() + "\", would be left out"
                     : " layers, from \"" + lostLayers.front() + "\" on, would be left out"));
  }
  Template tmpl = ReadTemplate(ini);
  if (tmpl.Layers.empty()) {
    throw Error("The template " + quoted + " has no layer section (a section whose name contains \"" +
                std::string(kLayerSectionMark) + "\")");
  }
  return tmpl;
}

Template ReadTemplate(const IniFile& ini) {
  Template tmpl;
  tmpl.Width = ini.ReadInteger(kImageSection, "width", kDefaultTemplateWidth);
  tmpl.Height = ini.ReadInteger(kImageSection, "height", kDefaultTemplateHeight);
  for (const std::string& section : ini.ReadSections()) {
    if (section.find(kLayerSectionMark) == std::string::npos) continue;
    TemplateLayer layer;
    layer.Section = section;
    layer.Type = ini.ReadString(section, "type", "unknown");
    layer.Source = ini.ReadString(section, "source", "unknown");
    TemplatePoint* corners[] = {&layer.A, &layer.B, &layer.C, &layer.D};
    const char* const keys[][2] = {{"A.X", "A.Y"}, {"B.X", "B.Y"}, {"C.X", "C.Y"}, {"D.X", "D.Y"}};
    for (int i = 0; i < 4; ++i) {
      corners[i]->X = ini.ReadInteger(section, keys[i][0], 0);
      corners[i]->Y = ini.ReadInteger(section, keys[i][1], 0);
    }
    tmpl.Layers.push_back(std::move(layer));
  }
  return tmpl;
}

Scene SceneOf(const Template& tmpl, std::string name) {
  Scene scene;
  scene.Name = std::move(name);
  scene.Width = tmpl.Width;
  scene.Height = tmpl.Height;
  scene.Layers.reserve(tmpl.Layers.size());
  for (const TemplateLayer& layer : tmpl.Layers) {
    LayerPlan plan = ResolveLayerPlan(layer.Type, layer.Source);
    plan.A = layer.A;
    plan.B = layer.B;
    plan.C = layer.C;
    plan.D = layer.D;
    scene.Layers.push_back(std::move(plan));
  }
  return scene;
}

Scene ReadScene(const std::filesystem::path& file) {
  return SceneOf(ReadTemplate(file), file.stem().string());
}

void CheckTemplateCanvas(const Template& tmpl) {
  if (tmpl.Width <= 0 || tmpl.Height <= 0)
    throw Error("The template's canvas must be at least 1 x 1 units, not " + std::to_string(tmpl.Width) +
                " x " + std::to_string(tmpl.Height));
}

}  // namespace mirelane
