// A batch manifest: a CSV file whose rows are shots. Columns: output (required), template (a
// position or a name) or shape (a designed shot, with turn, tilt, perspective, proportions, lying), the nine
// slots by keyword (a picture file or a colour) and every editing setting by its command-line name without
// the dashes, plus quality. An empty cell keeps the command line's value. Everything is checked before
// anything is rendered.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "cli/cli_options.h"

namespace mirelane {

struct BatchRow {
  size_t Number = 0;   // from 1: the first row under the header
  CliOptions Options;  // ready to render: Output, slots and settings filled, the template resolved
  std::filesystem::path Template;  // the template file the row renders; empty for a designed shot
  // The files the shot is made of: its template and the pictures of the slots its template may use.
  std::vector<std::filesystem::path> Inputs;
};

// Far more rows than a catalogue has; bounds the work of a manifest made by mistake.
constexpr size_t kMaxBatchRows = 1000000;
constexpr uint64_t kMaxManifestBytes = uint64_t{256} << 20;

// Reads and checks the manifest. Paths in cells are taken relative to the manifest's folder; those
// given on the command line (in defaults) as they were given. Throws UsageError naming the
// manifest, and the row and column, for anything it cannot use: an unknown or repeated column, a
// value out of range, an output no writer takes or that two rows share, an unknown template.
std::vector<BatchRow> ReadBatchManifest(const std::filesystem::path& file, const CliOptions& defaults,
                                        const std::filesystem::path& root);

}  // namespace mirelane
