// mirelane-render: renders a template with the composer's engine and saves the flattened picture,
// lists the templates, converts one picture, or renders a batch manifest. Exit 0 on success, 1 when
// rendering or saving fails (any row of a batch), 2 for a command line or manifest that cannot be used.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/batch_run.h"
#include "cli/cli_options.h"
#include "cli/picture_warnings.h"
#include "cli/render_job.h"
#include "compose/layer_stack.h"
#include "picture/picture_reader.h"
#include "picture/picture_writer.h"
#include "raster/error.h"
#include "templates/data_root.h"
#include "templates/finished_shot.h"
#include "templates/render_template.h"
#include "templates/shot_designer.h"
#include "templates/template_catalogue.h"
#include "templates/template_writer.h"

namespace mirelane {
namespace {

std::filesystem::path ExecutableFolder(const char* argv0) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.parent_path();
  return std::filesystem::absolute(argv0, ec).parent_path();
}

// The window's words for an empty catalogue, with what stands for its Design… button here, and
// why the folder may be empty: it is not there at all.
std::string NoTemplatesHere(const std::filesystem::path& root) {
  std::error_code ec;
  const bool folder = std::filesystem::is_directory(root / "Templates", ec);
  return NoTemplatesMessage(root) + " in the window; here --shape designs a shot" +
         (folder ? "" : " (there is no such folder: --root DIR names the folder that holds Templates)");
}

// --shape: the designed template is rendered from its own text by the template reader, so that a
// template saved alongside renders the same pixels. The picture is made before anything is written.
int RenderDesigned(CliOptions& o, const std::filesystem::path& root) {
  if (!o.Output.empty()) SaveFormatFor(o.Output);  // a name no writer takes fails before any work
  const DesignRequest& d = o.Design;
  std::unique_ptr<TBitmap32> picture;
  if (!o.Output.empty())
    picture = RenderShotPicture(o, root, WarningLoader(std::cerr), 0, {}, WarningPrinter(std::cerr));
  if (!d.SaveTemplate.empty()) WriteTemplateFile(d.SaveTemplate, DesignedShotText(DesignedShotRequest(o)));
  if (picture) SaveShot(*picture, o.Output, o.State, SaveQualityOf(o));
  return 0;
}

int Run(const CliOptions& options, const char* argv0) {
  CliOptions o = options;
  // Beside the executable, or the installation's share folder (the same lookup as the application).
  const std::filesystem::path root = o.Root.empty()
                                         ? FindDataRoot(ExecutableFolder(argv0) / "mirelane-render")
                                         : std::filesystem::path(o.Root);
  // The user's own templates follow the shipped ones wherever a template is chosen.
  o.UserData = UserDataFolderFromEnvironment();
  const std::filesystem::path& userData = o.UserData;
  switch (o.Action) {
    case CliAction::Help:
      std::cout << CliUsage() << DesignUsage();
      return 0;
    case CliAction::Version:
      std::cout << "mirelane-render " << MIRELANE_VERSION << "\n";
      return 0;
    case CliAction::List: {
      const std::vector<CatalogueEntry> entries = ListCatalogue(root, userData);
      if (entries.empty()) throw Error(NoTemplatesHere(root));
      for (size_t i = 0; i < entries.size(); ++i) std::cout << (i + 1) << '\t' << entries[i].Name << '\n';
      return 0;
    }
    case CliAction::Convert: {
      SaveFormatFor(o.Output);  // a name no writer takes fails before any work
      TBitmap32 picture;
      WarningLoader(std::cerr)(picture, o.ConvertInput);
      MirrorAsSaved(picture, o.State);
      SaveShot(picture, o.Output, o.State, SaveQualityOf(o));
      return 0;
    }
    case CliAction::Batch:
      return RunBatch(o, root, std::cerr, ::isatty(STDERR_FILENO) == 1).Failed > 0 ? 1 : 0;
    case CliAction::Render:
      break;
  }
  if (o.Design.Shape) return RenderDesigned(o, root);
  if (ListCatalogue(root, userData).empty()) throw Error(NoTemplatesHere(root));
  RenderShot(o, root, WarningLoader(std::cerr), 0, {}, WarningPrinter(std::cerr));
  return 0;
}

}  // namespace
}  // namespace mirelane

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  mirelane::CliOptions options;
  try {
    options = mirelane::ParseCommandLine(args);
  } catch (const mirelane::UsageError& e) {
    std::cerr << "mirelane-render: " << e.what() << "\n";
    return 2;
  }
  try {
    return mirelane::Run(options, argv[0]);
  } catch (const mirelane::UsageError& e) {  // a batch manifest that cannot be used
    std::cerr << "mirelane-render: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "mirelane-render: " << e.what() << "\n";
    return 1;
  }
}
