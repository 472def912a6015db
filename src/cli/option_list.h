// Every option of mirelane-render in one list, in the order --help gives them: --help, the man page
// and the shell completion are all made from it, the settings from the settings table.
#pragma once

#include <string>
#include <vector>

namespace mirelane {

// What an option's value is, so that the shell can complete it.
enum class OptionValue {
  None,     // a flag
  Number,   // nothing to complete
  Colour,   // #RRGGBB or a colour name
  Picture,  // a picture file the readers take
  PictureOrColour,
  Output,    // a file name a writer takes
  Manifest,  // a .csv file
  Template,  // a template position or name, from --list
  TemplateFile,
  Shape,
  Folder,
  Text,
};

struct OptionHelp {
  std::vector<std::string> Names;  // "--front", "--side", ...; the first is the option's main name
  std::string Argument;            // "FILE", "N", ...; empty for a flag
  std::string Help;                // may hold line breaks where --help wraps it
  OptionValue Value = OptionValue::None;
};

struct OptionGroup {
  std::string Title;  // "Options", "Settings (C: a colour, #RRGGBB or a colour name)", ...
  std::vector<OptionHelp> Options;
};

// The ways to call the tool, as "ARGUMENTS<TAB>what it does" pairs.
const std::vector<std::pair<std::string, std::string>>& UsageForms();

// The general options, the settings (from the settings table) and the designer's options.
const std::vector<OptionGroup>& OptionGroups();

// The "Usage:" block of --help.
std::string UsageHelp();

// The group as --help lists it: a title line, then each option with its help from column 30.
std::string GroupHelp(const OptionGroup& group);

// A number as --help and the messages write it: 30, -80, 0.5.
std::string NumberText(double v);

// "box|book|dvd-case|jewel-case|disc|card".
std::string ShapeChoices();

}  // namespace mirelane
