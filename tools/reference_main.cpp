// Writes the manual pages and the bash completion of the installed programs into a folder, at build time.
#include <fstream>
#include <iostream>
#include <string>

#include "cli/reference_pages.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: mirelane-reference FOLDER\n";
    return 2;
  }
  const std::string folder = argv[1];
  const std::pair<const char*, std::string> files[] = {
      {"mirelane-render.1", mirelane::RenderManPage(MIRELANE_VERSION)},
      {"mirelane-creator.1", mirelane::CreatorManPage(MIRELANE_VERSION)},
      {"mirelane-render.bash", mirelane::RenderBashCompletion()},
  };
  for (const auto& [name, text] : files) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out << text;
    if (!out) {
      std::cerr << "mirelane-reference: cannot write " << folder << "/" << name << "\n";
      return 1;
    }
  }
  return 0;
}
