// Writing designed templates as INI text.
#include "templates/template_writer.h"

#include <cstdint>
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
    line("type=" + layer.Type);
    line("source=" + layer.Source);
    for (int k = 0; k < 4; ++k) {
      line(std::string(kCorners[k]) + ".X=" + std::to_string(layer.Corners[k].X));
      line(std::string(kCorners[k]) + ".Y=" + std::to_string(layer.Corners[k].Y));
    }
  }
  return text;
}

void WriteTemplateFile(const std::filesystem::path& file, const std::string& text) {
  WriteFileAtomically(file.string(), std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace mirelane
