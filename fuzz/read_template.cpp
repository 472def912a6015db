// Fuzz target: any bytes as a template file. The reader must not crash or hang, and what it returns
// must respect its own limits (value length, section list size).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "compose/scene_builder.h"
#include "raster/color_names.h"
#include "raster/error.h"
#include "templates/template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace mirelane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniFile ini = IniFile::FromText(text);

  size_t listBytes = 1;
  for (const std::string& name : ini.ReadSections()) listBytes += name.size() + 1;
  if (listBytes > kIniSectionListBytes) std::abort();

  const Template tmpl = ReadTemplate(ini);
  for (const TemplateLayer& layer : tmpl.Layers) {
    if (layer.Section.find(kLayerSectionMark) == std::string::npos) std::abort();
    if (layer.Type.size() > kIniMaxValueLength || layer.Source.size() > kIniMaxValueLength) std::abort();
    (void)layer.Kind();
    (void)ShadeMapFor(layer.Direction());
    const SourceIndex slot = layer.Slot();
    if (slot != -1 && (slot < 1 || slot > kSourceCount)) std::abort();
    // The rule a render applies to a custom picture's name: a path inside the folder, or a refusal.
    try {
      const std::filesystem::path file = CustomPicturePath("/app/custom", layer.Source);
      const std::filesystem::path inside = file.lexically_normal().lexically_relative("/app/custom");
      if (inside.empty() || *inside.begin() == "..") std::abort();
    } catch (const Error&) {
    }
    try {
      (void)ColorToColor32(layer.Color());
    } catch (const Error&) {
    }
  }
  // Typing it resolves every layer's texts without failing; a slot stays within the nine.
  const Scene scene = SceneOf(tmpl, "fuzz");
  if (scene.Layers.size() != tmpl.Layers.size()) std::abort();
  for (const LayerPlan& plan : scene.Layers)
    if (plan.Source.Slot != -1 && (plan.Source.Slot < 1 || plan.Source.Slot > kSourceCount)) std::abort();
  try {
    CheckTemplateCanvas(tmpl);
  } catch (const Error&) {
  }
  int32_t value;
  (void)TryStrToInt(text.substr(0, 64), value);
  return 0;
}
