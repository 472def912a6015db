// The manual pages and the bash completion of the installed programs, made from the option list so
// that they say what --help says.
#pragma once

#include <string>
#include <string_view>

namespace mirelane {

// mirelane-render(1) in man(7) markup.
std::string RenderManPage(std::string_view version);

// mirelane-creator(1) in man(7) markup.
std::string CreatorManPage(std::string_view version);

// A bash completion script for mirelane-render: options, shapes, file names by extension, and template
// names from "mirelane-render --list".
std::string RenderBashCompletion();

}  // namespace mirelane
