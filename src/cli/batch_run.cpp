// The batch runner: a fixed set of threads takes the rows in manifest order; a memory gate keeps
// the rows in flight within what one render may take; the slot pictures are shared across rows.
#include "cli/batch_run.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "cli/batch_pictures.h"
#include "cli/picture_warnings.h"
#include "cli/render_job.h"
#include "compose/scene_limits.h"
#include "picture/picture_reader.h"
#include "raster/error.h"
#include "templates/shot_designer.h"
#include "templates/template.h"

namespace mirelane {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Admits rows while their expected peaks fit the budget together; a row alone is always admitted
// (its own render checks its scene against the same budget).
class MemoryGate {
 public:
  explicit MemoryGate(double budget) : budget_(budget) {}
  void Acquire(double bytes) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return running_ == 0 || inUse_ + bytes <= budget_; });
    inUse_ += bytes;
    ++running_;
  }
  void Release(double bytes) {
    {
      const std::lock_guard<std::mutex> hold(lock_);
      inUse_ -= bytes;
      --running_;
    }
    changed_.notify_all();
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  double budget_;
  double inUse_ = 0;
  int running_ = 0;
};

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

// Progress on standard error, from any thread.
class Progress {
 public:
  Progress(std::ostream& out, bool terminal, size_t total)
      : out_(out), terminal_(terminal), total_(total), start_(Clock::now()) {}

  void Finished(const BatchRow& row, const std::string* failure) {
    const std::lock_guard<std::mutex> hold(lock_);
    ++finished_;
    const std::string count = " (" + std::to_string(finished_) + "/" + std::to_string(total_) + ")";
    if (terminal_) {
      if (failure != nullptr) out_ << "\r\033[Krow " << row.Number << " failed: " << *failure << "\n";
      out_ << "\r\033[K" << Line() << std::flush;
    } else if (failure != nullptr) {
      out_ << "row " << row.Number << " failed: " << *failure << count << "\n" << std::flush;
    } else {
      out_ << "row " << row.Number << " done: " << row.Options.Output << count << "\n" << std::flush;
    }
  }

  double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
  void EndLine() {
    if (terminal_) out_ << "\r\033[K";
  }

 private:
  // "[37/100] 3.1 shots/s, about 20 s left"
  std::string Line() const {
    const double elapsed = std::max(Elapsed(), 1e-3);
    const double rate = static_cast<double>(finished_) / elapsed;
    char text[96];
    std::snprintf(text, sizeof text, "[%zu/%zu] %.1f shots/s, about %.0f s left", finished_, total_, rate,
                  std::ceil(static_cast<double>(total_ - finished_) / std::max(rate, 1e-9)));
    return text;
  }

  std::mutex lock_;
  std::ostream& out_;
  bool terminal_;
  size_t total_;
  size_t finished_ = 0;
  Clock::time_point start_;
};

std::vector<std::string> PicturesOf(const BatchRow& row) {
  std::vector<std::string> files;
  for (SourceIndex slot = 1; slot <= kSourceCount; ++slot)
    if (!row.Options.Sources[slot].UseColor) files.push_back(row.Options.Sources[slot].PicturePath);
  return files;
}

// The layers of a designed shot: its camera decides which faces show, whatever its proportions.
size_t DesignedLayerCount(const DesignRequest& d) {
  const ShotProportions size = d.Proportions ? *d.Proportions : ProportionsFromArtwork(*d.Shape, {}, {});
  return DesignShot(SingleObjectDesign(*d.Shape, size, d.Camera, d.Lying)).Layers.size();
}

// The layer count of each row, each template read once; an unreadable template or design counts as
// none (its rows then fail with the reader's message).
std::vector<size_t> LayerCounts(const std::vector<const BatchRow*>& rows) {
  std::map<fs::path, size_t> templates;
  std::vector<size_t> counts;
  for (const BatchRow* row : rows) {
    size_t count = 0;
    try {
      if (row->Options.Design.Shape) {
        count = DesignedLayerCount(row->Options.Design);
      } else {
        auto [at, added] = templates.try_emplace(row->Template, 0);
        if (added) at->second = ReadTemplate(row->Template).Layers.size();
        count = at->second;
      }
    } catch (const std::exception&) {
    }
    counts.push_back(count);
  }
  return counts;
}

}  // namespace

bool InShard(size_t rowNumber, uint32_t index, uint32_t count) {
  return count <= 1 || (rowNumber - 1) % count == index - 1;
}

bool IsUpToDate(const BatchRow& row, const fs::path& manifest) {
  std::error_code ec;
  if (!fs::is_regular_file(row.Options.Output, ec)) return false;
  const fs::file_time_type written = fs::last_write_time(row.Options.Output, ec);
  if (ec) return false;
  std::vector<fs::path> inputs = row.Inputs;
  inputs.push_back(manifest);
  for (const fs::path& input : inputs) {
    const fs::file_time_type changed = fs::last_write_time(input, ec);
    if (ec || changed >= written) return false;
  }
  return true;
}

unsigned DefaultJobs() {
  return std::max(1u, std::thread::hardware_concurrency());
}

double EstimateRowBytes(const BatchRow& row, size_t layerCount, unsigned layerWorkers) {
  const int32_t width = row.Options.State.OutputWidth, height = row.Options.State.OutputHeight;
  const std::vector<LayerFootprint> layers(layerCount, LayerFootprint{width, height});
  // The flattened picture and the encoder's working copy come on top of the scene.
  return EstimateSceneBytes(width, height, layers, layerWorkers) + 2.0 * width * height * 4;
}

BatchSummary RunBatch(const CliOptions& options, const fs::path& root, std::ostream& progress,
                      bool terminal) {
  const fs::path manifest(options.BatchFile);
  const std::vector<BatchRow> rows = ReadBatchManifest(manifest, options, root);
  // A header alone is a manifest with nothing to do: said, but not a failure (a job made of an empty
  // export still succeeds, as before).
  if (rows.empty())
    progress << "batch " << manifest.string() << ": the manifest holds no rows, only its header\n";

  BatchSummary summary;
  std::vector<const BatchRow*> todo;
  size_t inShard = 0;
  for (const BatchRow& row : rows) {
    if (!InShard(row.Number, options.ShardIndex, options.ShardCount)) continue;
    ++inShard;
    if (options.SkipExisting && IsUpToDate(row, manifest))
      ++summary.Skipped;
    else
      todo.push_back(&row);
  }

  const unsigned jobs = std::max<unsigned>(
      1,
      static_cast<unsigned>(std::min<size_t>(options.Jobs == 0 ? DefaultJobs() : options.Jobs, todo.size())));
  // Rows side by side use the cores; a row alone builds its layers on all of them.
  const unsigned layerWorkers = std::max(1u, DefaultJobs() / jobs);
  const std::vector<size_t> layerCounts = LayerCounts(todo);

  BatchPictures pictures(WarningLoader(progress));
  const WarningSink warn = WarningPrinter(progress);
  for (const BatchRow* row : todo) pictures.Expect(PicturesOf(*row));

  MemoryGate gate(kSceneMemoryBudget);
  Progress report(progress, terminal, todo.size());
  std::atomic<size_t> next{0};
  std::atomic<size_t> done{0}, failed{0};
  auto work = [&] {
    for (size_t i = next++; i < todo.size(); i = next++) {
      const BatchRow& row = *todo[i];
      const double bytes = EstimateRowBytes(row, layerCounts[i], layerWorkers);
      gate.Acquire(bytes);
      std::string failure;
      try {
        RenderShot(row.Options, root, pictures.Loader(), layerWorkers, pictures.SizeOf(), warn);
      } catch (const std::exception& e) {
        failure = e.what();
        if (failure.empty()) failure = "failed without a reason";
      }
      gate.Release(bytes);
      pictures.Release(PicturesOf(row));
      (failure.empty() ? done : failed)++;
      report.Finished(row, failure.empty() ? nullptr : &failure);
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < jobs; ++t) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();

  summary.Done = done;
  summary.Failed = failed;
  summary.Decodes = pictures.Decodes();
  report.EndLine();
  progress << "batch " << manifest.string() << ": " << summary.Done << " done, " << summary.Failed
           << " failed";
  if (options.SkipExisting) progress << ", " << summary.Skipped << " up to date";
  progress << " of " << inShard << " rows";
  if (options.ShardCount > 1) progress << " in shard " << options.ShardIndex << "/" << options.ShardCount;
  progress << ", in " << Seconds(report.Elapsed()) << " on " << jobs << (jobs == 1 ? " thread" : " threads")
           << "\n"
           << std::flush;
  return summary;
}

}  // namespace mirelane
