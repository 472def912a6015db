// The command line of mirelane-render: parsing into the editing state, the slots and the action.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/design_options.h"
#include "compose/editing_settings.h"
#include "compose/editing_state.h"
#include "compose/layer_source.h"
#include "picture/picture_writer.h"

namespace mirelane {

// A command line that cannot be used; main reports it with exit status 2.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

enum class CliAction { Render, List, Convert, Batch, Help, Version };

struct CliOptions {
  CliAction Action = CliAction::Render;
  EditingState State;
  LayerSources Sources;
  std::string Root;            // empty: beside the executable
  std::string TemplateName;    // set when --template names a template rather than a position
  std::string Output;          // -o
  std::string ConvertInput;    // --convert
  std::optional<int> Quality;  // --quality: lossy WebP and JPEG at this quality
  // --batch FILE.csv: one shot per row; the options above are the rows' defaults.
  std::string BatchFile;
  unsigned Jobs = 0;  // --jobs: rows rendered at once; 0 takes the core count
  bool SkipExisting = false;
  uint32_t ShardIndex = 1;  // --shard K/N: the rows whose position (from 0) modulo N is K - 1
  uint32_t ShardCount = 1;
  std::filesystem::path UserData;  // the user's data folder: its Templates join the listing
  DesignRequest Design;            // --shape and its options
};

// --quality means something only to .webp and .jpg: throws UsageError for an Output it cannot apply to.
void CheckQualityFitsOutput(const CliOptions& options);

// What --quality asks of the writers: without it JPEG at 90 and WebP lossless.
TSaveQuality SaveQualityOf(const CliOptions& options);

// Throws UsageError naming the option (and its range) for anything it cannot use.
CliOptions ParseCommandLine(const std::vector<std::string>& args);

// Stores a setting's value given as text (a whole number in range, a colour, or for a flag yes/no,
// 1/0, true/false, on/off); throws UsageError naming `name` (the option or column) and the range.
void ApplySettingText(EditingState& state, const EditingSetting& setting, const std::string& name,
                      const std::string& text);

// yes/no, 1/0, true/false, on/off, y/n in any case; nothing otherwise.
std::optional<bool> ParseFlagText(const std::string& text);

// "#RRGGBB", a colour name such as "clRed" or a plain one such as "red" (case ignored), as a toolkit
// colour 0x00BBGGRR; nothing otherwise.
std::optional<TColor> ParseCliColor(const std::string& text);

const char* CliUsage();

}  // namespace mirelane
