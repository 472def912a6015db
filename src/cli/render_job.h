// One shot from parsed options to a saved file: the single render and every batch row run this.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "cli/cli_options.h"
#include "cli/picture_warnings.h"
#include "compose/slot_pictures.h"
#include "templates/template_writer.h"

namespace mirelane {

// The 1-based position of a template named by --template NAME: exact first, then ignoring case.
// Throws Error when the listing has no such name.
// The user's templates (userData / "Templates") follow the shipped ones.
int32_t PositionOfName(const std::filesystem::path& root, const std::string& name,
                       const std::filesystem::path& userData = {});

// The template file a render of these options would read (a name resolved against the listing).
std::filesystem::path TemplateFileOf(const CliOptions& options, const std::filesystem::path& root);

// The request of a designed shot (options with --shape): the camera and proportions given, or the
// proportions of the artwork in the slots (sized by sizeOf when one is given, otherwise read), at the
// output size.
ShotRequest DesignedShotRequest(const CliOptions& options, const ArtworkSizeOf& sizeOf = {});

// The options' template (or their designed shot) rendered and finished as it is saved (flattened, mirrored
// when asked); loader, workers, sizeOf and warn as for RenderShot.
std::unique_ptr<TBitmap32> RenderShotPicture(const CliOptions& options, const std::filesystem::path& root,
                                             const PictureLoader& loader = {}, unsigned workers = 0,
                                             const ArtworkSizeOf& sizeOf = {}, const WarningSink& warn = {});

// Renders the options' template (or their designed shot) and saves the flattened picture at Output, mirrored
// when asked. loader: decodes the slot pictures (empty: read each from its file); workers: cores for the
// layers (0: all); sizeOf: the slot pictures' sizes for a designed shot (empty: read from the files);
// warn: takes what the render left out (empty: nobody is told). Throws Error, leaving no file behind,
// when anything fails.
void RenderShot(const CliOptions& options, const std::filesystem::path& root,
                const PictureLoader& loader = {}, unsigned workers = 0, const ArtworkSizeOf& sizeOf = {},
                const WarningSink& warn = {});

}  // namespace mirelane
