// Template text: a designed template written in the INI form that the template reader reads.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "templates/shot_designer.h"

namespace mirelane {

// The "[Image]" section with the canvas, then one "[LayerN]" section per layer (from 1, in drawing
// order) with type, source and the eight corner values; CR LF line ends. A non-empty note becomes a
// comment line at the top.
std::string TemplateText(const DesignedTemplate& tmpl, std::string_view note = {});

// One designed object as the command line and the designer window ask for it.
struct ShotRequest {
  ShotShape Shape = ShotShape::Box;
  ShotCamera Camera;
  ShotProportions Size;
  bool Lying = false;
  int32_t OutputWidth = 400;  // the canvas takes the output's proportions
  int32_t OutputHeight = 300;
};

// The template text of a one-object design, with a comment line that records the request.
std::string DesignedShotText(const ShotRequest& request);

// Writes the text to the file all at once (the file is either replaced completely or left as it was);
// fails with Error naming the file.
void WriteTemplateFile(const std::filesystem::path& file, const std::string& text);

}  // namespace mirelane
