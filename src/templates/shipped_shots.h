// The shots of the shipped templates, as designs: data/Templates is written from these.
#pragma once

#include <string>
#include <vector>

#include "templates/shot_designer.h"

namespace mirelane {

struct ShippedShot {
  std::string Name;  // the template's name: its file is Name + ".ini"
  ShotDesign Design;
};

const std::vector<ShippedShot>& ShippedShots();

// The text of a shipped template, exactly as it is committed.
std::string ShippedTemplateText(const ShippedShot& shot);

}  // namespace mirelane
