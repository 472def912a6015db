// Running a batch manifest: the rows of this shard, side by side on several threads within the
// memory a single render may take, each failure reported with its row and the others going on.
#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <vector>

#include "cli/batch_manifest.h"
#include "cli/cli_options.h"

namespace mirelane {

// Whether a row takes part in shard index of count (both from 1): its position from 0 modulo count
// is index - 1.
bool InShard(size_t rowNumber, uint32_t index, uint32_t count);

// Whether the row's output exists and is newer than the manifest and every file the row names.
bool IsUpToDate(const BatchRow& row, const std::filesystem::path& manifest);

// What --jobs 0 means: the number of cores.
unsigned DefaultJobs();

// How many bytes one row is expected to hold at its peak: its scene (layers counted at the canvas
// size, with `layerWorkers` built at once) and the flattened picture that is saved.
double EstimateRowBytes(const BatchRow& row, size_t layerCount, unsigned layerWorkers);

struct BatchSummary {
  size_t Done = 0;
  size_t Failed = 0;
  size_t Skipped = 0;
  size_t Decodes = 0;  // picture files decoded
};

// Renders the manifest's rows as the options ask (shard, jobs, skip-existing). Writes progress to
// `progress`: with `terminal` one line rewritten in place (done/total, rate, time left), else one
// line per finished row; then the summary. Manifest errors throw UsageError before anything renders.
BatchSummary RunBatch(const CliOptions& options, const std::filesystem::path& root, std::ostream& progress,
                      bool terminal);

}  // namespace mirelane
