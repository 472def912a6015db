// Writing designed templates as INI text.
#include "templates/template_writer.h"

#include <array>
#include <cstdint>
#include <sstream>
#include <vector>

#include "picture/file_replacement.h"

namespace mirelane {

std::string TemplateText(const DesignedTemplate& tmpl, std::string_view note) {
  std::string text;
  auto line = [&text](const std::string& s) {
    text += s;
    text += "\r\n";
  };
  if (!note.empty()) line("; " + std::string(note));
  line("[Image]");
  line("width=" + std::to_string(tmpl.Width));
  line("height=" + std::to_string(tmpl.Height));
  static const char* const kCorners[4] = {"A", "B", "C", "D"};
  for (size_t i = 0; i < tmpl.Layers.size(); ++i) {
    const DesignedLayer& layer = tmpl.Layers[i];
    line("");
    line("[Layer" + std::to_string(i + 1) + "]");
    line("type=" + std::string(LayerTypeKeyword(layer.Type)));
    line("source=" + SourceText(layer.Type, layer.Source));
    for (int k = 0; k < 4; ++k) {
      line(std::string(kCorners[k]) + ".X=" + std::to_string(layer.Corners[k].X));
      line(std::string(kCorners[k]) + ".Y=" + std::to_string(layer.Corners[k].Y));
    }
  }
  return text;
}

std::string DesignedShotText(const ShotRequest& r) {
  ShotDesign design = SingleObjectDesign(r.Shape, r.Size, r.Camera, r.Lying);
  const std::array<int32_t, 2> canvas = DesignCanvasFor(r.OutputWidth, r.OutputHeight);
  design.CanvasWidth = canvas[0];
  design.CanvasHeight = canvas[1];
  std::ostringstream note;
  note << "Designed shot: " << ShotShapeKeyword(r.Shape) << (r.Lying ? " lying" : "") << ", turn "
       << r.Camera.Turn << ", tilt " << r.Camera.Tilt << ", perspective " << r.Camera.Perspective
       << ", proportions " << r.Size.Width << ':' << r.Size.Height << ':' << r.Size.Depth;
  return TemplateText(DesignShot(design), note.str());
}

void WriteTemplateFile(const std::filesystem::path& file, const std::string& text) {
  WriteFileAtomically(file.string(), std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace mirelane
