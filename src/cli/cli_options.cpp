// Parsing of mirelane-render's command line; every bad value names its option and range.
#include "cli/cli_options.h"

#include "cli/option_list.h"

#include <charconv>
#include <filesystem>
#include <system_error>
#include <utility>

#include "compose/editing_settings.h"
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

// Far more than any machine's cores; keeps a typing slip from starting thousands of threads.
constexpr int32_t kMaxJobs = 256;

// "K/N" with 1 <= K <= N.
void ParseShard(const std::string& text, CliOptions& o) {
  const size_t slash = text.find('/');
  const std::string message =
      "--shard takes K/N, this machine's part K of N parts, 1 <= K <= N (got \"" + text + "\")";
  if (slash == std::string::npos) throw UsageError(message);
  uint32_t k = 0, n = 0;
  const char* first = text.data();
  const char* middle = first + slash;
  const char* last = first + text.size();
  const auto [endK, ecK] = std::from_chars(first, middle, k);
  const auto [endN, ecN] = std::from_chars(middle + 1, last, n);
  if (ecK != std::errc() || endK != middle || ecN != std::errc() || endN != last || k < 1 || n < 1 || k > n)
    throw UsageError(message);
  o.ShardIndex = k;
  o.ShardCount = n;
}

// The setting an option such as "--shadow-blur" names; null for any other argument.
const EditingSetting* SettingOfOption(const std::string& arg) {
  if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) return nullptr;
  return FindSettingByOption(std::string_view(arg).substr(2));
}

}  // namespace

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

TSaveQuality SaveQualityOf(const CliOptions& options) {
  TSaveQuality quality;
  if (options.Quality) {
    quality.JpegQuality = *options.Quality;
    quality.Webp = TWebpOptions{false, *options.Quality};
  }
  return quality;
}

void ApplySettingText(EditingState& state, const EditingSetting& setting, const std::string& name,
                      const std::string& text) {
  switch (setting.Kind) {
    case SettingKind::Number:
      setting.Set(state, ParseInt(name, text, setting.Range.Min, setting.Range.Max));
      return;
    case SettingKind::Colour:
      setting.Set(state, ParseColorOption(name, text));
      return;
    case SettingKind::Flag:
      if (const std::optional<bool> given = ParseFlagText(text)) {
        setting.Set(state, *given ? setting.FlagValue : !setting.FlagValue);
        return;
      }
      throw UsageError(name + " takes yes or no (also 1 or 0, true or false, on or off) (got \"" + text +
                       "\")");
  }
}

std::optional<bool> ParseFlagText(const std::string& text) {
  std::string lower;
  for (const char c : text) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  for (const char* yes : {"1", "yes", "true", "on", "y"})
    if (lower == yes) return true;
  for (const char* no : {"0", "no", "false", "off", "n"})
    if (lower == no) return false;
  return std::nullopt;
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

namespace {

std::string BuildUsage() {
  const std::vector<OptionGroup>& groups = OptionGroups();
  // The designer's options follow the settings in main's --help.
  return UsageHelp() + "\n" + GroupHelp(groups[0]) + "\n" + GroupHelp(groups[1]);
}

}  // namespace

const char* CliUsage() {
  static const std::string usage = BuildUsage();
  return usage.c_str();
}

CliOptions ParseCommandLine(const std::vector<std::string>& args) {
  CliOptions o;
  bool sawList = false, sawConvert = false, sawTemplate = false;
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
      sawTemplate = true;
      const std::string& v = value();
      if (!v.empty() && v.find_first_not_of("0123456789") == std::string::npos) {
        const SettingRange& positions = SettingOfField("TemplateIndex").Range;
        st.TemplateIndex = ParseInt(arg, v, positions.Min, positions.Max);
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
    } else if (arg == "--quality") {
      o.Quality = ParseInt(arg, value(), 1, 100);
    } else if (arg == "--batch") {
      o.BatchFile = value();
      if (o.BatchFile.empty()) throw UsageError("--batch takes a CSV file");
    } else if (arg == "--jobs") {
      o.Jobs = static_cast<unsigned>(ParseInt(arg, value(), 1, kMaxJobs));
    } else if (arg == "--skip-existing") {
      o.SkipExisting = true;
    } else if (arg == "--shard") {
      ParseShard(value(), o);
    } else if (const EditingSetting* setting = SettingOfOption(arg)) {
      if (setting->Kind == SettingKind::Flag)
        setting->Set(st, setting->FlagValue);
      else
        ApplySettingText(st, *setting, arg, value());
    } else if (ParseDesignOption(arg, value, o.Design)) {
    } else {
      throw UsageError("unknown option \"" + arg + "\" (see --help)");
    }
  }
  if (sawList && sawConvert) throw UsageError("--list and --convert cannot be used together");
  CheckDesignRequest(o.Design);
  if (o.Design.Shape && (sawList || sawConvert || sawTemplate))
    throw UsageError("--shape designs its own shot: it cannot be used with --list, --convert or --template");
  // With --batch, --shape and its camera are the rows' defaults; one template file cannot hold them all.
  if (!o.Design.SaveTemplate.empty() && !o.BatchFile.empty())
    throw UsageError("--save-template cannot be used with --batch");
  if (!o.BatchFile.empty()) {
    if (sawList || sawConvert) throw UsageError("--batch cannot be used with --list or --convert");
    if (!o.Output.empty())
      throw UsageError("--batch takes each picture's name from the manifest's output column, not from -o");
    o.Action = CliAction::Batch;
    try {
      ValidateEditingState(st);
    } catch (const Error& e) {
      throw UsageError(e.what());
    }
    return o;
  }
  if (o.Jobs != 0 || o.SkipExisting || o.ShardCount != 1)
    throw UsageError("--jobs, --skip-existing and --shard apply only to --batch");
  if (sawList) {
    o.Action = CliAction::List;
    return o;
  }
  o.Action = sawConvert ? CliAction::Convert : CliAction::Render;
  if (o.Output.empty() && o.Design.SaveTemplate.empty())
    throw UsageError("-o FILE is missing: name the picture to write");
  try {
    ValidateEditingState(st);
  } catch (const Error& e) {
    throw UsageError(e.what());
  }
  CheckQualityFitsOutput(o);
  return o;
}

}  // namespace mirelane
