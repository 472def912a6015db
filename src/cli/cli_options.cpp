// Parsing of mirelane-render's command line; every bad value names its option and range.
#include "cli/cli_options.h"

#include <charconv>
#include <filesystem>
#include <system_error>
#include <utility>

#include "raster/color_names.h"
#include "raster/error.h"

namespace mirelane {

namespace {

int32_t ParseInt(const std::string& option, const std::string& value, int32_t lo, int32_t hi) {
  int32_t v = 0;
  const char* first = value.data();
  const char* last = value.data() + value.size();
  const auto [end, ec] = std::from_chars(first, last, v);
  if (value.empty() || ec != std::errc() || end != last || v < lo || v > hi) {
    throw UsageError(option + " takes a whole number from " + std::to_string(lo) + " to " +
                     std::to_string(hi) + " (got \"" + value + "\")");
  }
  return v;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Anything but a folder: the picture reader says what is wrong with a file it cannot read.
bool IsExistingFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec);
}

TColor ParseColorOption(const std::string& option, const std::string& value) {
  if (auto color = ParseCliColor(value)) return *color;
  throw UsageError(option + " takes a colour: #RRGGBB or a colour name such as red or clRed (got \"" + value +
                   "\")");
}

// --quality means something only to the formats that can lose detail.
void CheckQualityFitsOutput(const CliOptions& o) {
  if (!o.Quality) return;
  TSaveFormat format;
  try {
    format = SaveFormatFor(o.Output);
  } catch (const Error&) {
    return;  // the name itself is reported when the picture is saved
  }
  if (format != TSaveFormat::Webp && format != TSaveFormat::Jpeg)
    throw UsageError("--quality applies only to .webp and .jpg pictures, not to \"" + o.Output + "\"");
}

}  // namespace

TSaveQuality SaveQualityOf(const CliOptions& options) {
  TSaveQuality quality;
  if (options.Quality) {
    quality.JpegQuality = *options.Quality;
    quality.Webp = TWebpOptions{false, *options.Quality};
  }
  return quality;
}

std::optional<TColor> ParseCliColor(const std::string& text) {
  if (text.size() == 7 && text[0] == '#') {
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
      const int hi = HexDigit(text[1 + 2 * i]), lo = HexDigit(text[2 + 2 * i]);
      if (hi < 0 || lo < 0) return std::nullopt;
      rgb[i] = hi * 16 + lo;
    }
    return static_cast<TColor>(rgb[0] | (rgb[1] << 8) | (rgb[2] << 16));
  }
  if (text.size() > 2 && (text[0] == 'c' || text[0] == 'C') && (text[1] == 'l' || text[1] == 'L')) {
    if (auto color = IdentToColor(text)) return *color;
  }
  return PlainColorName(text);
}

const char* CliUsage() {
  return R"(Usage:
  mirelane-render [options] -o FILE          render a template and save it; FILE ends in .png, .jpg, .jpeg, .bmp
                                             or .webp
  mirelane-render --list                     print the templates, one "POSITION<TAB>NAME" line each
  mirelane-render --convert PICTURE -o FILE  read a picture as the composer reads it and write it out

Options:
  --root DIR                 folder that holds Templates, Pics, custom and Data (default: beside the executable)
  --template N|NAME          position in the listing (from 1) or template name; default 1
  --background, --front, --side, --top, --disc, --front2, --side2, --top2, --disc2  FILE|COLOUR
                             a picture file, or a colour: #RRGGBB or a colour name ("red", "clRed")
  --width N --height N       32..4096, default 400 x 300
  --dpi N                    60..600, default 96
  --quality N                1..100: a lossy .webp at this quality (without it WebP keeps every pixel);
                             also the .jpg quality (default 90)
  --flip                     mirror the saved picture left to right
  --transparent              no background: transparent where nothing is drawn
  --large-disc               discs with a small hole and no centre detail
  --hide-reflection  --no-fade
  --reflection-opacity N (0..255, 255)  --reflection-length N (1..100, 50)
  --reflection-brightness N (-50..50, 0)  --reflection-blur N (0..100, 15)
  --hide-shadow  --shadow-density N (0..255, 255)  --shadow-color C (black)  --shadow-blur N (0..100, 25)
  --shading N (0..255, 255)  --shading-color C (black)  --highlight N (0..255, 255)  --highlight-color C (white)
  -h, --help                 this text
  --version                  the program's version
)";
}

CliOptions ParseCommandLine(const std::vector<std::string>& args) {
  CliOptions o;
  bool sawList = false, sawConvert = false;
  EditingState& st = o.State;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    auto slotOption = [&](const std::string& name) -> SourceIndex {
      if (name.size() < 3 || name.compare(0, 2, "--") != 0) return -1;
      return SourceIndexOf(name.substr(2));
    };
    if (arg == "-h" || arg == "--help") {
      o.Action = CliAction::Help;
      return o;
    } else if (arg == "--version") {
      o.Action = CliAction::Version;
      return o;
    } else if (arg == "--list") {
      sawList = true;
    } else if (arg == "--convert") {
      sawConvert = true;
      o.ConvertInput = value();
    } else if (arg == "-o" || arg == "--output") {
      o.Output = value();
    } else if (arg == "--root") {
      o.Root = value();
    } else if (arg == "--template") {
      const std::string& v = value();
      if (!v.empty() && v.find_first_not_of("0123456789") == std::string::npos) {
        st.TemplateIndex = ParseInt(arg, v, 1, 1000000);
        o.TemplateName.clear();
      } else if (v.empty()) {
        throw UsageError("--template takes a position from 1 or a template name");
      } else {
        o.TemplateName = v;
      }
    } else if (const SourceIndex slot = slotOption(arg); slot >= 1) {
      const std::string& v = value();
      LayerSource& source = o.Sources[slot];
      if (auto color = ParseCliColor(v)) {
        source.Color = *color;
        source.UseColor = true;
      } else if (IsExistingFile(v)) {
        source.PicturePath = v;
        source.UseColor = false;
      } else {
        throw UsageError(arg +
                         " takes a picture file or a colour (#RRGGBB, or a name such as red or clRed); \"" +
                         v + "\" is neither an existing file nor a colour");
      }
    } else if (arg == "--width") {
      st.OutputWidth = ParseInt(arg, value(), 32, 4096);
    } else if (arg == "--height") {
      st.OutputHeight = ParseInt(arg, value(), 32, 4096);
    } else if (arg == "--dpi") {
      st.OutputDpi = ParseInt(arg, value(), 60, 600);
    } else if (arg == "--quality") {
      o.Quality = ParseInt(arg, value(), 1, 100);
    } else if (arg == "--flip") {
      st.FlipWhenSaved = true;
    } else if (arg == "--transparent") {
      st.TransparentBackground = true;
    } else if (arg == "--large-disc") {
      st.LargeDiscArea = true;
    } else if (arg == "--hide-reflection") {
      o.HideReflection = true;
      st.ShowReflection = false;
    } else if (arg == "--no-fade") {
      st.ReflectionFade = false;
    } else if (arg == "--reflection-opacity") {
      st.ReflectionOpacity = static_cast<uint8_t>(ParseInt(arg, value(), 0, 255));
    } else if (arg == "--reflection-length") {
      st.ReflectionLength = static_cast<uint8_t>(ParseInt(arg, value(), 1, 100));
    } else if (arg == "--reflection-brightness") {
      st.ReflectionBrightness = ParseInt(arg, value(), -50, 50);
    } else if (arg == "--reflection-blur") {
      st.ReflectionBlur = static_cast<uint8_t>(ParseInt(arg, value(), 0, 100));
    } else if (arg == "--hide-shadow") {
      o.HideShadow = true;
      st.ShowShadow = false;
    } else if (arg == "--shadow-density") {
      st.ShadowDensity = static_cast<uint8_t>(ParseInt(arg, value(), 0, 255));
    } else if (arg == "--shadow-color") {
      st.ShadowColor = ParseColorOption(arg, value());
    } else if (arg == "--shadow-blur") {
      st.ShadowBlur = static_cast<uint8_t>(ParseInt(arg, value(), 0, 100));
    } else if (arg == "--shading") {
      st.ObjectShading = static_cast<uint8_t>(ParseInt(arg, value(), 0, 255));
    } else if (arg == "--shading-color") {
      st.ShadingColor = ParseColorOption(arg, value());
    } else if (arg == "--highlight") {
      st.ObjectHighlight = static_cast<uint8_t>(ParseInt(arg, value(), 0, 255));
    } else if (arg == "--highlight-color") {
      st.HighlightColor = ParseColorOption(arg, value());
    } else {
      throw UsageError("unknown option \"" + arg + "\" (see --help)");
    }
  }
  if (sawList && sawConvert) throw UsageError("--list and --convert cannot be used together");
  if (sawList) {
    o.Action = CliAction::List;
    return o;
  }
  o.Action = sawConvert ? CliAction::Convert : CliAction::Render;
  if (o.Output.empty()) throw UsageError("-o FILE is missing: name the picture to write");
  CheckQualityFitsOutput(o);
  return o;
}

}  // namespace mirelane
