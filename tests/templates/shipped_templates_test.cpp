// The shipped templates: each renders from the sample artwork exactly as its committed golden
// picture, has its preview picture, and together they use every layer type keyword.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "picture/picture_reader.h"
#include "support/png_dump.h"
#include "support/sample_sources.h"
#include "templates/render_template.h"
#include "templates/shipped_shots.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = MIRELANE_SOURCE_DIR;
const fs::path kData = kSource / "data";

std::vector<std::string> Templates() {
  return ListFiles(kData / "Templates");
}

TEST(ShippedTemplates, AtLeastTen) {
  EXPECT_GE(Templates().size(), 10u);
}

// One projection: the committed files are exactly what the designer writes for the shipped shots
// (tools/make-templates.sh rewrites them).
TEST(ShippedTemplates, AreTheDesignersOutputForTheShippedShots) {
  const auto files = Templates();
  ASSERT_EQ(files.size(), ShippedShots().size());
  for (const ShippedShot& shot : ShippedShots()) {
    SCOPED_TRACE(shot.Name);
    std::ifstream in(kData / "Templates" / (shot.Name + ".ini"), std::ios::binary);
    ASSERT_TRUE(in);
    const std::string committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(committed, ShippedTemplateText(shot));
  }
}

TEST(ShippedTemplates, EveryTemplateHasItsPreviewPicture) {
  for (const auto& file : Templates()) {
    const fs::path preview = kData / "Pics" / (TemplateName(file) + ".jpg");
    ASSERT_TRUE(fs::exists(preview)) << preview;
    TBitmap32 picture;
    LoadFromFile(picture, preview.string());
    EXPECT_EQ(picture.Width(), 120) << preview;
    EXPECT_EQ(picture.Height(), 90) << preview;
  }
}

TEST(ShippedTemplates, TogetherTheyUseEveryTypeKeyword) {
  std::set<std::string> used;
  for (const auto& file : Templates()) {
    std::ifstream in(kData / "Templates" / file);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("type=", 0) == 0) used.insert(line.substr(5));
    }
  }
  for (const char* keyword : {"normal", "reflection", "roundrect", "disc", "discreflection", "shadow",
                              "shade", "highlight", "blurshade", "blurhighlight", "roundrectshade",
                              "roundrecthighlight", "customfile", "customcolor", "customcolorreflection"}) {
    EXPECT_TRUE(used.count(keyword)) << keyword;
  }
}

// Renders every template at 400 x 300 and compares it with tests/golden/<name>.png exactly.
// MIRELANE_UPDATE_GOLDEN=1 rewrites the goldens instead (look at them before committing).
TEST(ShippedTemplates, RenderExactlyAsTheirGoldenPictures) {
  const bool update = std::getenv("MIRELANE_UPDATE_GOLDEN") != nullptr;
  const fs::path outFolder = fs::path(MIRELANE_BINARY_DIR) / "golden-diff";
  const LayerSources sources = testing::SampleSources(kSource);
  const auto files = Templates();
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string name = TemplateName(files[i]);
    EditingState state;
    state.TemplateIndex = static_cast<int32_t>(i + 1);
    TImgView32 view;
    RenderContext context{state, sources, kData};
    RenderTemplate(view, 400, 300, context);
    TBitmap32 picture(400, 300);
    view.Flatten(picture);
    const fs::path golden = kSource / "tests" / "golden" / (name + ".png");
    if (update) {
      fs::create_directories(golden.parent_path());
      ASSERT_TRUE(testing::DumpPng(picture, golden.string()));
      continue;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    TBitmap32 expected;
    LoadFromFile(expected, golden.string());
    const bool sameSize = expected.Width() == picture.Width() && expected.Height() == picture.Height();
    size_t differing = 0;
    for (size_t p = 0; sameSize && p < picture.PixelCount(); ++p)
      differing += picture.Bits()[p] != expected.Bits()[p];
    if (!sameSize || differing != 0) {
      fs::create_directories(outFolder);
      const fs::path actual = outFolder / (name + ".png");
      testing::DumpPng(picture, actual.string());
      const std::string what = sameSize ? std::to_string(differing) + " pixels differ from "
                                        : "the render is " + std::to_string(picture.Width()) + " x " +
                                              std::to_string(picture.Height()) + ", but " +
                                              std::to_string(expected.Width()) + " x " +
                                              std::to_string(expected.Height()) + " is ";
      ADD_FAILURE() << name << ": " << what << golden << "; the render is in " << actual;
    }
  }
}

}  // namespace
}  // namespace mirelane
