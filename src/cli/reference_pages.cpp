// Manual pages and bash completion written from the option list, the settings table and the picture
// registry.
#include "cli/reference_pages.h"

#include <set>

#include "cli/option_list.h"
#include "picture/picture_reader.h"

namespace mirelane {

namespace {

// Text made safe for man(7): backslashes and dashes escaped, no line starting with a control character.
std::string Roff(std::string_view text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else if (c == '\n')
      out += "\n";
    else
      out += c;
    lineStart = c == '\n';
  }
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return text;
}

// Help text as one paragraph: --help's line breaks are only where its column ran out.
std::string Paragraph(const std::string& help) {
  std::string out;
  for (char c : help) out += c == '\n' ? ' ' : c;
  return out;
}

std::string Header(std::string_view name, std::string_view version, std::string_view what) {
  return ".TH " + Roff(std::string(name)) + " 1 \"\" \"" + std::string(version) +
         "\" \"Mirelane Creator\"\n.SH NAME\n" + Roff(std::string(name)) + " \\- " + std::string(what) + "\n";
}

std::string OptionItem(const OptionHelp& option) {
  std::string item = ".TP\n";
  for (size_t i = 0; i < option.Names.size(); ++i)
    item += (i > 0 ? ", " : "") + ("\\fB" + Roff(option.Names[i]) + "\\fR");
  if (!option.Argument.empty()) item += " \\fI" + Roff(option.Argument) + "\\fR";
  return item + "\n" + Roff(Paragraph(option.Help)) + "\n";
}

// Every option name, dashes included, in the list's order.
std::vector<std::string> AllOptionNames() {
  std::vector<std::string> names;
  for (const OptionGroup& group : OptionGroups())
    for (const OptionHelp& option : group.Options)
      names.insert(names.end(), option.Names.begin(), option.Names.end());
  return names;
}

// A batch column is an option's name without its dashes: the slots, the settings and the camera.
std::string ManifestColumns() {
  std::string columns = "output, template, quality";
  for (const OptionGroup& group : OptionGroups())
    for (const OptionHelp& option : group.Options) {
      const std::string& name = option.Names.front();
      const bool column = option.Value == OptionValue::PictureOrColour || &group != &OptionGroups().front();
      if (!column || name == "--save-template") continue;
      for (const std::string& each : option.Names) columns += ", " + each.substr(2);
    }
  return columns;
}

std::string ExtensionPattern(const std::vector<std::string>& extensions) {
  std::string pattern;
  for (const std::string& e : extensions) {
    const std::string upper = Upper(e);
    pattern += (pattern.empty() ? "" : "|") + e + "|" + upper;
  }
  return "@(" + pattern + ")";
}

std::string PictureExtensions() {
  std::set<std::string> unique;
  std::vector<std::string> ordered;
  for (const TPictureFormat& format : PictureFormatRegistry())
    if (unique.insert(format.Extension).second) ordered.push_back(format.Extension);
  return ExtensionPattern(ordered);
}

}  // namespace

std::string RenderManPage(std::string_view version) {
  std::string page =
      Header("mirelane-render", version, "render three-dimensional product shots from flat artwork");
  page += ".SH SYNOPSIS\n";
  for (const auto& [arguments, what] : UsageForms())
    page += ".B mirelane\\-render\n" + Roff(arguments) + "\n.br\n";
  page +=
      ".SH DESCRIPTION\n"
      "Renders a product shot (a box, book, case, disc or card with its reflection, shadow, shading and "
      "highlights) from a template of Mirelane Creator and the artwork of its nine layer sources, and "
      "saves it as PNG, JPEG, BMP or WebP. Artwork is brought to sRGB through its embedded colour profile.\n";
  for (const auto& [arguments, what] : UsageForms())
    page += ".TP\n\\fBmirelane-render " + Roff(arguments) + "\\fR\n" + Roff(Paragraph(what)) + "\n";
  for (const OptionGroup& group : OptionGroups()) {
    page += ".SH " + Roff(Upper(group.Title)) + "\n";
    for (const OptionHelp& option : group.Options) page += OptionItem(option);
  }
  page +=
      ".SH BATCH MANIFEST\n"
      "A CSV file (RFC 4180, UTF\\-8 with or without a byte order mark) with a header row and one shot per "
      "row. Columns: " +
      Roff(ManifestColumns()) +
      ". Paths are relative to the manifest's folder; an empty cell takes the value given on the "
      "command line. The whole manifest is checked before anything renders.\n";
  page +=
      ".SH EXIT STATUS\n.TP\n0\nthe picture (every row of a batch) was written\n.TP\n1\nrendering or saving "
      "failed (any row of a batch)\n.TP\n2\nthe command line or the manifest cannot be used\n";
  page +=
      ".SH FILES\n.TP\n/usr/share/mirelane\\-creator\nthe shipped templates (Templates, Pics), custom "
      "pictures and the sample artwork (examples)\n.TP\n$XDG_DATA_HOME/mirelane\\-creator/Templates\nthe "
      "user's own templates, listed after the shipped ones\n";
  page +=
      ".SH EXAMPLES\n.nf\n"
      "mirelane\\-render \\-\\-template \"01 Software box\" \\e\n"
      "  \\-\\-front front.png \\-\\-side side.png \\-\\-top top.png \\e\n"
      "  \\-\\-width 1200 \\-\\-height 900 \\-o my\\-first\\-shot.png\n\n"
      "mirelane\\-render \\-\\-shape box \\-\\-turn 35 \\-\\-tilt 20 \\-\\-perspective 40 \\e\n"
      "  \\-\\-front front.png \\-\\-side side.png \\-\\-top top.png \\e\n"
      "  \\-o my\\-box.png \\-\\-save\\-template \"my box.ini\"\n\n"
      "mirelane\\-render \\-\\-batch shots.csv \\-\\-jobs 2\n.fi\n";
  page += ".SH SEE ALSO\n.BR mirelane\\-creator (1)\n";
  return page;
}

std::string CreatorManPage(std::string_view version) {
  std::string page =
      Header("mirelane-creator", version, "compose three-dimensional product shots from flat artwork");
  page +=
      ".SH SYNOPSIS\n.B mirelane\\-creator\n.SH DESCRIPTION\n"
      "The desktop window of Mirelane Creator. Fill the nine layer sources on the right with pictures or "
      "colours, page through the templates on the left, tune the Reflection, Shadow and Object pages and "
      "save the shot with \"Save picture\". \"Design\\&...\" turns any box, book, case, disc or card to the "
      "angle wanted. Every change can be undone (Ctrl+Z); the window remembers its settings between runs.\n"
      ".SH FILES\n.TP\n~/.config/Mirelane/Mirelane Creator.conf\nthe remembered settings\n"
      ".TP\n/usr/share/mirelane\\-creator\nthe shipped templates and the sample artwork\n"
      ".SH SEE ALSO\n.BR mirelane\\-render (1)\n";
  return page;
}

std::string RenderBashCompletion() {
  std::string options;
  for (const std::string& name : AllOptionNames()) options += (options.empty() ? "" : " ") + name;
  // Option names by the kind of value they take.
  auto namesTaking = [](OptionValue value) {
    std::string names;
    for (const OptionGroup& group : OptionGroups())
      for (const OptionHelp& option : group.Options)
        if (option.Value == value)
          for (const std::string& name : option.Names) names += (names.empty() ? "" : "|") + name;
    return names.empty() ? std::string("--none") : names;
  };
  std::string shapes = ShapeChoices();
  for (char& c : shapes) c = c == '|' ? ' ' : c;
  std::string script = "# bash completion for mirelane-render, made from its option list\n";
  script +=
      "_mirelane_render() {\n"
      "  local cur prev\n"
      "  cur=${COMP_WORDS[COMP_CWORD]}\n"
      "  prev=${COMP_WORDS[COMP_CWORD-1]}\n"
      "  shopt -s extglob\n"
      "  case $prev in\n";
  script += "    " + namesTaking(OptionValue::PictureOrColour) + "|" + namesTaking(OptionValue::Picture) +
            ")\n      compopt -o filenames\n" + "      COMPREPLY=($(compgen -f -X '!*." +
            PictureExtensions() + "' -- \"$cur\") $(compgen -d -- \"$cur\"))\n" + "      return;;\n";
  script += "    " + namesTaking(OptionValue::Output) +
            ")\n      compopt -o filenames\n      COMPREPLY=($(compgen -f -X '!*." +
            ExtensionPattern({"png", "jpg", "jpeg", "bmp", "webp"}) +
            "' -- \"$cur\") $(compgen -d -- \"$cur\"))\n      return;;\n";
  script += "    " + namesTaking(OptionValue::Manifest) + ")\n      compopt -o filenames\n" +
            "      COMPREPLY=($(compgen -f -X '!*." + ExtensionPattern({"csv"}) +
            "' -- \"$cur\") $(compgen -d -- \"$cur\"))\n      return;;\n";
  script += "    " + namesTaking(OptionValue::TemplateFile) + ")\n      compopt -o filenames\n" +
            "      COMPREPLY=($(compgen -f -X '!*." + ExtensionPattern({"ini"}) +
            "' -- \"$cur\") $(compgen -d -- \"$cur\"))\n      return;;\n";
  script += "    " + namesTaking(OptionValue::Folder) +
            ")\n      compopt -o filenames\n      COMPREPLY=($(compgen -d -- \"$cur\"))\n      return;;\n";
  script += "    " + namesTaking(OptionValue::Shape) + ")\n      COMPREPLY=($(compgen -W '" + shapes +
            "' -- \"$cur\"))\n      return;;\n";
  // Template names hold spaces: one completion a line, quoted by the shell.
  script +=
      "    " + namesTaking(OptionValue::Template) +
      ")\n      local IFS=$'\\n'\n"
      "      COMPREPLY=($(compgen -W \"$(mirelane-render --list 2>/dev/null | cut -f2)\" -- \"$cur\"))\n"
      "      COMPREPLY=(\"${COMPREPLY[@]// /\\\\ }\")\n      return;;\n";
  script += "    " + namesTaking(OptionValue::Number) + "|" + namesTaking(OptionValue::Colour) + "|" +
            namesTaking(OptionValue::Text) + ")\n      return;;\n";
  script += "  esac\n  COMPREPLY=($(compgen -W '" + options + "' -- \"$cur\"))\n}\n";
  script += "complete -F _mirelane_render mirelane-render\n";
  return script;
}

}  // namespace mirelane
