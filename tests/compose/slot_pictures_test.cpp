// SlotPictures: one decode per slot and render, shared by every layer (and the background) that
// reads the slot, on any thread; a picture that cannot be read fails every use without a retry.
#include "compose/slot_pictures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "compose/background_layer.h"
#include "compose/scene_builder.h"
#include "picture/picture_reader.h"
#include "raster/error.h"
#include "support/png_dump.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

// Counts the decodes of each file, then decodes it for real.
class CountingLoader {
 public:
  PictureLoader Loader() {
    return [this](TBitmap32& target, const std::string& file) {
      {
        const std::lock_guard<std::mutex> hold(lock_);
        ++decodes_[file];
      }
      LoadFromFile(target, file);
    };
  }
  int Decodes(const std::string& file) {
    const std::lock_guard<std::mutex> hold(lock_);
    return decodes_[file];
  }
  int Total() {
    const std::lock_guard<std::mutex> hold(lock_);
    int n = 0;
    for (const auto& [file, count] : decodes_) n += count;
    return n;
  }

 private:
  std::mutex lock_;
  std::map<std::string, int> decodes_;
};

class SlotPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("mirelane_slots_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "custom");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A picture whose pixel (x, y) has red x, green y and blue 90, opaque.
  std::string Picture(const std::string& name, int w = 48, int h = 40) {
    TBitmap32 bmp(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bmp.PixelAt(x, y) = Color32(x & 255, y & 255, 90);
    const fs::path p = dir_ / name;
    EXPECT_TRUE(testing::DumpPng(bmp, p.string()));
    return p.string();
  }
  void UsePicture(SourceIndex slot, const std::string& file) {
    sources_[slot].PicturePath = file;
    sources_[slot].UseColor = false;
  }
  static Scene Template(const std::vector<std::pair<std::string, std::string>>& layers) {
    Scene scene;
    scene.Name = "shot";
    for (const auto& [type, source] : layers) {
      LayerPlan layer = ResolveLayerPlan(type, source);
      layer.A = {100, 100};
      layer.B = {400, 120};
      layer.C = {380, 400};
      layer.D = {110, 380};
      scene.Layers.push_back(std::move(layer));
    }
    return scene;
  }

  fs::path dir_;
  EditingState state_;
  LayerSources sources_;
};

TEST_F(SlotPicturesTest, ThreadsAskingForOneSlotShareOneDecode) {
  const std::string front = Picture("front.png");
  UsePicture(2, front);
  CountingLoader counter;
  SlotPictures pictures(sources_, counter.Loader());
  std::vector<const TBitmap32*> seen(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&, i] { seen[i] = &pictures.Picture(2); });
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter.Decodes(front), 1);
  for (const TBitmap32* p : seen) EXPECT_EQ(p, seen[0]);
  EXPECT_EQ(seen[0]->Width(), 48);
  EXPECT_EQ(seen[0]->PixelAt(5, 7), Color32(5, 7, 90));
  // Drawn like a layer's own working surface.
  EXPECT_EQ(seen[0]->DrawMode(), dmBlend);
  EXPECT_EQ(seen[0]->MasterAlpha(), 255u);
}

TEST_F(SlotPicturesTest, UnreadablePictureFailsEveryUseAfterOneAttempt) {
  UsePicture(3, (dir_ / "missing.png").string());
  CountingLoader counter;
  SlotPictures pictures(sources_, counter.Loader());
  std::string first, second;
  try {
    pictures.Picture(3);
  } catch (const Error& e) {
    first = e.what();
  }
  try {
    pictures.Picture(3);
  } catch (const Error& e) {
    second = e.what();
  }
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(first, second);
  EXPECT_EQ(counter.Total(), 1);
  // A slot that feeds its colour has no picture to hand out.
  EXPECT_THROW(pictures.Picture(2), Error);
}

// Every slot type reading FRONT, built two at a time: the picture is decoded once, and the layers
// are those of a build that decodes for itself.
TEST_F(SlotPicturesTest, TemplateUsingOneSlotFiveTimesDecodesItOnce) {
  const std::string front = Picture("front.png", 96, 80);
  UsePicture(2, front);
  const Scene scene = Template({{"normal", "FRONT"},
                                {"reflection", "FRONT"},
                                {"normal", "FRONT"},
                                {"roundrect", "FRONT"},
                                {"disc", "FRONT"}});
  CountingLoader counter;
  SlotPictures pictures(sources_, counter.Loader());
  TImgView32 shared, own;
  for (TImgView32* view : {&shared, &own}) view->PrepareBase(400, 300);
  SceneInputs inputs{state_, sources_, dir_ / "custom", 2};
  inputs.Pictures = &pictures;
  BuildScene(scene, shared, inputs);
  BuildScene(scene, own, SceneInputs{state_, sources_, dir_ / "custom", 1});
  EXPECT_EQ(counter.Decodes(front), 1);
  ASSERT_EQ(shared.Layers().Count(), 5);
  ASSERT_EQ(own.Layers().Count(), 5);
  for (int i = 0; i < 5; ++i) {
    const TBitmap32& a = shared.Layers()[i].Bitmap();
    const TBitmap32& b = own.Layers()[i].Bitmap();
    size_t differing = 0, covered = 0;
    for (size_t p = 0; p < a.PixelCount(); ++p) {
      differing += a.Bits()[p] != b.Bits()[p];
      covered += AlphaOf(a.Bits()[p]) != 0;
    }
    EXPECT_EQ(differing, 0u) << scene.Layers[static_cast<size_t>(i)].Keyword;
    EXPECT_GT(covered, 1000u) << scene.Layers[static_cast<size_t>(i)].Keyword;
  }
  // The shared picture was not changed by the layers that flip, cut or stretch it.
  EXPECT_EQ(pictures.Picture(2).PixelAt(10, 3), Color32(10, 3, 90));
}

// The background layer holds the decoded picture itself; a template layer reading BACKGROUND
// shares it instead of decoding the file again.
TEST_F(SlotPicturesTest, BackgroundLayerSharesItsPictureWithTheScene) {
  const std::string back = Picture("back.png", 64, 48);
  UsePicture(1, back);
  CountingLoader counter;
  SlotPictures pictures(sources_, counter.Loader());
  TImgView32 view;
  view.PrepareBase(400, 300);
  AddBackgroundLayer(view, state_, sources_, pictures);
  SceneInputs inputs{state_, sources_, dir_ / "custom", 2};
  inputs.Pictures = &pictures;
  BuildScene(Template({{"normal", "BACKGROUND"}, {"reflection", "Background"}}), view, inputs);
  EXPECT_EQ(counter.Decodes(back), 1);
  ASSERT_EQ(view.Layers().Count(), 3);
  EXPECT_EQ(&pictures.Picture(1), &view.Layers()[0].Bitmap());
  EXPECT_EQ(view.Layers()[0].Bitmap().PixelAt(63, 47), Color32(63, 47, 90));
  // The layer keeps its box of the canvas: canvas pixel (120, 110) lies at the box's origin's offset.
  const TBitmapLayer& face = view.Layers()[1];
  EXPECT_EQ(AlphaOf(face.Bitmap().PixelAt(120 - static_cast<int32_t>(face.Location.Left),
                                          110 - static_cast<int32_t>(face.Location.Top))),
            255u);
}

TEST(PictureErrorMessage, NamesTheUserThenTheReadersMessage) {
  EXPECT_EQ(PictureErrorMessage(LayerContext(3, "normal", "01 Software box") + ", FRONT picture", "Bad."),
            "Layer 3 (\"normal\") of the template \"01 Software box\", FRONT picture: Bad.");
  EXPECT_EQ(PictureErrorMessage("Background picture", "Bad."), "Background picture: Bad.");
}

}  // namespace
}  // namespace mirelane
