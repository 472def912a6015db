// The option list of mirelane-render and its --help layout.
#include "cli/option_list.h"

#include <sstream>

#include "compose/editing_settings.h"
#include "compose/layer_source.h"
#include "templates/shot_designer.h"

namespace mirelane {

namespace {

constexpr size_t kHelpColumn = 29;
constexpr size_t kUsageColumn = 45;

// "black", "white" or #RRGGBB: how the help text shows a colour's default.
std::string ColourText(int32_t color) {
  if (color == 0x000000) return "black";
  if (color == 0xFFFFFF) return "white";
  static const char kHex[] = "0123456789ABCDEF";
  std::string text = "#";
  for (int channel = 0; channel < 3; ++channel) {
    const int value = (color >> (8 * channel)) & 0xFF;
    text += kHex[value >> 4];
    text += kHex[value & 15];
  }
  return text;
}

// "  head<padding>text", the text's further lines indented to the same column; a head that reaches
// the column puts the text on the next line.
std::string Columns(const std::string& head, const std::string& text, size_t column) {
  std::string out = head;
  if (text.empty()) return out + "\n";
  if (head.size() < column) {
    out.append(column - head.size(), ' ');
  } else {
    out += '\n';
    out.append(column, ' ');
  }
  for (char c : text) {
    out += c;
    if (c == '\n') out.append(column, ' ');
  }
  return out + "\n";
}

OptionHelp SettingOption(const EditingSetting& setting) {
  std::string help;
  if (setting.Kind == SettingKind::Number)
    help = std::to_string(setting.Range.Min) + ".." + std::to_string(setting.Range.Max) + ", default " +
           std::to_string(setting.Default) + ": ";
  else if (setting.Kind == SettingKind::Colour)
    help = "default " + ColourText(setting.Default) + ": ";
  help += setting.Help;
  static const std::string kNumber = "N", kColour = "C", kFlag;
  const bool number = setting.Kind == SettingKind::Number, colour = setting.Kind == SettingKind::Colour;
  return OptionHelp{{"--" + std::string(setting.Option)},
                    number ? kNumber : (colour ? kColour : kFlag),
                    help,
                    number ? OptionValue::Number : (colour ? OptionValue::Colour : OptionValue::None)};
}

std::vector<std::string> SlotOptions() {
  std::vector<std::string> names;
  for (SourceIndex slot = 1; slot <= kSourceCount; ++slot) {
    std::string name = "--";
    for (char c : SourceKeyword(slot)) name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    names.push_back(name);
  }
  return names;
}

std::vector<OptionGroup> BuildGroups() {
  std::vector<OptionGroup> groups;
  groups.push_back(
      {"Options",
       {
           {{"-o", "--output"},
            "FILE",
            "the picture to write; its extension (.png, .jpg, .jpeg, .bmp or .webp) chooses the format",
            OptionValue::Output},
           {{"--list"}, "", "print the templates, one \"POSITION<TAB>NAME\" line each", OptionValue::None},
           {{"--convert"},
            "PICTURE",
            "read a picture as the composer reads it and write it out (with -o)",
            OptionValue::Picture},
           {{"--root"},
            "DIR",
            "folder that holds Templates, Pics, custom and Data (default: beside the executable)",
            OptionValue::Folder},
           {{"--template"},
            "N|NAME",
            "position in the listing (from 1) or template name; default 1",
            OptionValue::Template},
           {SlotOptions(), "FILE|COLOUR",
            "a picture file, or a colour: #RRGGBB or a colour name (\"red\", \"clRed\")",
            OptionValue::PictureOrColour},
           {{"--quality"},
            "N",
            "1..100: a lossy .webp at this quality (without it WebP keeps every pixel);\nalso the .jpg "
            "quality (default 90)",
            OptionValue::Number},
           {{"--batch"},
            "FILE.csv",
            "one shot per row; columns: output, template or shape (with turn, tilt,\nperspective, "
            "proportions, lying), the nine slots and the settings below\nwithout the dashes; paths are "
            "relative to the manifest's folder; the\noptions given here are the defaults that a row's "
            "non-empty cell overrides",
            OptionValue::Manifest},
           {{"--jobs"}, "N", "rows rendered at once (default: the number of cores)", OptionValue::Number},
           {{"--skip-existing"},
            "",
            "leave rows whose output is newer than the manifest and every file it names",
            OptionValue::None},
           {{"--shard"},
            "K/N",
            "render only the rows whose position (from 0) modulo N is K - 1",
            OptionValue::Text},
           {{"-h", "--help"}, "", "this text", OptionValue::None},
           {{"--version"}, "", "the program's version", OptionValue::None},
       }});
  OptionGroup settings{"Settings (C: a colour, #RRGGBB or a colour name)", {}};
  for (const EditingSetting& setting : EditingSettings())
    if (!setting.Option.empty()) settings.Options.push_back(SettingOption(setting));
  groups.push_back(std::move(settings));
  const ShotCamera camera;
  auto range = [](double lo, double hi, double start) {
    return NumberText(lo) + ".." + NumberText(hi) + ", default " + NumberText(start) + ": ";
  };
  groups.push_back(
      {"Designed shots (instead of --template)",
       {
           {{"--shape"}, "SHAPE", ShapeChoices() + ": the object to design", OptionValue::Shape},
           {{"--turn"},
            "DEG",
            range(kMinTurn, kMaxTurn, camera.Turn) + "positive shows the right-hand side",
            OptionValue::Number},
           {{"--tilt"},
            "DEG",
            range(kMinTilt, kMaxTilt, camera.Tilt) + "more shows the top",
            OptionValue::Number},
           {{"--perspective"},
            "N",
            range(kMinPerspective, kMaxPerspective, camera.Perspective) + "0 nearly parallel, 100 strong",
            OptionValue::Number},
           {{"--lying"}, "", "a disc or card flat on the floor", OptionValue::None},
           {{"--proportions"},
            "W:H:D",
            "width, height and depth (default: from the front and side pictures)",
            OptionValue::Text},
           {{"--save-template"},
            "FILE.ini",
            "write the designed template (with or without -o)",
            OptionValue::TemplateFile},
       }});
  return groups;
}

}  // namespace

std::string NumberText(double v) {
  std::ostringstream text;
  text << v;
  return text.str();
}

const std::vector<std::pair<std::string, std::string>>& UsageForms() {
  static const std::vector<std::pair<std::string, std::string>> forms = {
      {"[options] -o FILE", "render a template and save it; FILE ends in .png, .jpg, .jpeg, .bmp\nor .webp"},
      {"--list", "print the templates, one \"POSITION<TAB>NAME\" line each"},
      {"--convert PICTURE -o FILE", "read a picture as the composer reads it and write it out"},
      {"--batch FILE.csv [options]", "render one shot per row of a CSV manifest"},
  };
  return forms;
}

const std::vector<OptionGroup>& OptionGroups() {
  static const std::vector<OptionGroup> groups = BuildGroups();
  return groups;
}

std::string GroupHelp(const OptionGroup& group) {
  std::string text = group.Title + ":\n";
  for (const OptionHelp& option : group.Options) {
    std::string head = "  ";
    for (size_t i = 0; i < option.Names.size(); ++i) head += (i > 0 ? ", " : "") + option.Names[i];
    if (!option.Argument.empty()) head += (option.Names.size() > 1 ? "  " : " ") + option.Argument;
    text += Columns(head, option.Help, kHelpColumn);
  }
  return text;
}

std::string UsageHelp() {
  std::string text = "Usage:\n";
  for (const auto& [arguments, what] : UsageForms())
    text += Columns("  mirelane-render " + arguments, what, kUsageColumn);
  return text;
}

std::string ShapeChoices() {
  std::string list;
  for (ShotShape shape : AllShotShapes()) {
    if (!list.empty()) list += '|';
    list += ShotShapeKeyword(shape);
  }
  return list;
}

}  // namespace mirelane
