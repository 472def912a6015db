// The command-line options of a designed shot: --shape and its camera, proportions and
// --save-template.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "templates/shot_designer.h"

namespace mirelane {

struct DesignRequest {
  std::optional<ShotShape> Shape;  // set: render (or save) a designed shot instead of a template
  ShotCamera Camera;
  std::optional<ShotProportions> Proportions;  // --proportions; otherwise from the artwork
  bool Lying = false;
  std::string SaveTemplate;  // --save-template FILE.ini
  bool CameraGiven = false;  // some camera or proportion option was used
};

// Takes arg when it is one of the shot designer's options, reading its value through value(); false for any
// other option. Throws UsageError naming the option and its range for a value it cannot use.
bool ParseDesignOption(const std::string& arg, const std::function<const std::string&()>& value,
                       DesignRequest& request);

// Checks the options together once the command line is read: the designer's options need --shape, and
// lying flat only suits a disc or a card.
void CheckDesignRequest(const DesignRequest& request);

// The usage lines of the shot designer's options.
const char* DesignUsage();

}  // namespace mirelane
