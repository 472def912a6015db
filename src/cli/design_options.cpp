// Parsing of the designed-shot options.
#include "cli/design_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "cli/cli_options.h"
#include "cli/option_list.h"

namespace mirelane {

namespace {

double ParseNumber(const std::string& option, const std::string& value, double lo, double hi) {
  double v = 0;
  const char* last = value.data() + value.size();
  const auto [end, ec] = std::from_chars(value.data(), last, v);
  if (value.empty() || ec != std::errc() || end != last || !std::isfinite(v) || v < lo || v > hi) {
    throw UsageError(option + " takes a number from " + NumberText(lo) + " to " + NumberText(hi) +
                     " (got \"" + value + "\")");
  }
  return v;
}

ShotProportions ParseProportions(const std::string& option, const std::string& value) {
  std::vector<double> parts;
  bool ok = true;
  size_t start = 0;
  while (ok) {
    const size_t colon = value.find(':', start);
    const std::string piece =
        value.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    double v = 0;
    const char* last = piece.data() + piece.size();
    const auto [end, ec] = std::from_chars(piece.data(), last, v);
    ok = !piece.empty() && ec == std::errc() && end == last && std::isfinite(v) && v > 0;
    parts.push_back(v);
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (ok && parts.size() == 3 && ProportionsAllowed({parts[0], parts[1], parts[2]}))
    return {parts[0], parts[1], parts[2]};
  throw UsageError(option + " takes W:H:D, three positive numbers none more than 1000 times another (got \"" +
                   value + "\")");
}

}  // namespace

bool ParseDesignOption(const std::string& arg, const std::function<const std::string&()>& value,
                       DesignRequest& request) {
  if (arg == "--shape") {
    const std::string& v = value();
    request.Shape = ShotShapeOf(v);
    if (!request.Shape) throw UsageError("--shape takes one of " + ShapeChoices() + " (got \"" + v + "\")");
  } else if (arg == "--turn") {
    request.Camera.Turn = ParseNumber(arg, value(), kMinTurn, kMaxTurn);
  } else if (arg == "--tilt") {
    request.Camera.Tilt = ParseNumber(arg, value(), kMinTilt, kMaxTilt);
  } else if (arg == "--perspective") {
    request.Camera.Perspective = ParseNumber(arg, value(), kMinPerspective, kMaxPerspective);
  } else if (arg == "--proportions") {
    request.Proportions = ParseProportions(arg, value());
  } else if (arg == "--lying") {
    request.Lying = true;
  } else if (arg == "--save-template") {
    request.SaveTemplate = value();
    if (request.SaveTemplate.empty()) throw UsageError("--save-template needs a file name");
    return true;
  } else {
    return false;
  }
  if (arg != "--shape") request.CameraGiven = true;
  return true;
}

void CheckDesignRequest(const DesignRequest& request) {
  if (!request.Shape) {
    if (request.CameraGiven || request.Lying)
      throw UsageError("--turn, --tilt, --perspective, --proportions and --lying need --shape " +
                       ShapeChoices());
    if (!request.SaveTemplate.empty()) throw UsageError("--save-template needs --shape " + ShapeChoices());
    return;
  }
  if (request.Lying && request.Camera.Tilt <= 0)
    throw UsageError("--lying needs a --tilt above 0: at eye level a flat disc or card is seen edge on");
  if (request.Lying && !ShapeCanLie(*request.Shape))
    throw UsageError("--lying suits only --shape disc or card, not " +
                     std::string(ShotShapeKeyword(*request.Shape)));
}

const char* DesignUsage() {
  static const std::string usage = GroupHelp(OptionGroups()[2]);
  return usage.c_str();
}

}  // namespace mirelane
