// Whole renders of the reference shot (the first template: a software box with reflections, shadow,
// shading and highlights) from the sample artwork, and a layer-by-layer breakdown of the same shot.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compose/layer_stack.h"
#include "support/sample_sources.h"
#include "templates/render_template.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = MIRELANE_SOURCE_DIR;

// The background stays a plain colour, a studio background as in the reference shot.
LayerSources SampleSources() {
  return testing::SampleSources(kSource);
}

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Render(benchmark::State& state, const fs::path& root, int32_t templateIndex) {
  EditingState editing;
  editing.TemplateIndex = templateIndex;
  const LayerSources sources = SampleSources();
  TImgView32 view;
  const auto w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  for (auto _ : state) {
    RenderContext context{editing, sources, root};
    RenderTemplate(view, w, h, context);
    benchmark::DoNotOptimize(view.Layers().Count());
  }
  state.counters["layers"] = view.Layers().Count();
  state.counters["peak_MiB"] = PeakMiB();
}

void BM_RenderReferenceShot(benchmark::State& state) {
  Render(state, kSource / "data", 1);
}
BENCHMARK(BM_RenderReferenceShot)
    ->Args({400, 300})
    ->Args({1024, 1024})
    ->Args({2048, 2048})
    ->Args({4096, 4096})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Third argument 1: transparent background, so layers also fall on partly transparent pixels.
void BM_FlattenReferenceShot(benchmark::State& state) {
  EditingState editing;
  editing.TransparentBackground = state.range(2) != 0;
  const LayerSources sources = SampleSources();
  TImgView32 view;
  RenderContext context{editing, sources, kSource / "data"};
  RenderTemplate(view, static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), context);
  for (auto _ : state) {
    TBitmap32 target(view.Bitmap().Width(), view.Bitmap().Height());
    view.Flatten(target);
    benchmark::DoNotOptimize(target.Bits());
  }
}
BENCHMARK(BM_FlattenReferenceShot)
    ->Args({2048, 2048, 0})
    ->Args({2048, 2048, 1})
    ->Args({4096, 4096, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One layer of the reference shot at a time, in a template of its own: where the time of a render goes.
struct LayerTemplates {
  fs::path root;
  std::vector<std::string> types;
  LayerTemplates() {
    root = fs::temp_directory_path() / "mirelane_bench_layers";
    fs::remove_all(root);
    fs::create_directories(root / "Templates");
    const fs::path reference =
        kSource / "data" / "Templates" / ListFiles(kSource / "data" / "Templates").at(0);
    std::ifstream in(reference);
    std::string line, header;
    std::vector<std::string> sections;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && line[0] == '[')
        sections.push_back(line + "\n");
      else if (!sections.empty())
        sections.back() += line + "\n";
      if (line.rfind("type=", 0) == 0) types.push_back(line.substr(5));
    }
    int n = 0;
    for (const auto& s : sections) {
      if (s.rfind("[Image]", 0) == 0) header = s;
    }
    for (const auto& s : sections) {
      if (s.rfind("[Image]", 0) == 0) continue;
      char name[32];
      std::snprintf(name, sizeof name, "%02d.ini", ++n);
      std::ofstream(root / "Templates" / name) << header << s;
    }
  }
};

const LayerTemplates& Layers() {
  static const LayerTemplates layers;
  return layers;
}

void BM_ReferenceLayer2048(benchmark::State& state) {
  const auto index = static_cast<size_t>(state.range(2));
  if (index >= Layers().types.size()) {
    state.SkipWithError("no such layer");
    return;
  }
  state.SetLabel(Layers().types[index]);
  Render(state, Layers().root, static_cast<int32_t>(index + 1));
}
BENCHMARK(BM_ReferenceLayer2048)
    ->ArgsProduct({{2048}, {2048}, benchmark::CreateDenseRange(0, 9, 1)})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace mirelane
