// mirelane-make-templates: writes the shipped templates (data/Templates/*.ini) from their designs, with
// the same projection as mirelane-render --shape.
#include <exception>
#include <filesystem>
#include <iostream>

#include "templates/shipped_shots.h"
#include "templates/template_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: mirelane-make-templates <Templates folder>\n";
    return 2;
  }
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const mirelane::ShippedShot& shot : mirelane::ShippedShots()) {
      const std::filesystem::path file = folder / (shot.Name + ".ini");
      mirelane::WriteTemplateFile(file, mirelane::ShippedTemplateText(shot));
      std::cout << file.string() << "\n";
    }
  } catch (const std::exception& error) {
    std::cerr << "mirelane-make-templates: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
