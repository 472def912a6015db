// Template units to canvas pixels: the scale, the centring offsets and half-to-even rounding.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <cstdint>

#include "compose/scene_builder.h"
#include "raster/error.h"

namespace mirelane {
namespace {

TEST(CanvasMapping, ScalesUniformlyAndCentres) {
  struct Case {
    int32_t w, h, wt, ht;
    double scale;
    int32_t offX, offY;
  };
  const Case cases[] = {
      {400, 300, 800, 600, 0.5, 0, 0},
      {400, 400, 800, 600, 0.5, 0, 50},
      {403, 300, 800, 600, 0.5, 2, 0},  // 1.5 rounds to 2
      {401, 300, 800, 600, 0.5, 0, 0},  // 0.5 rounds to 0
      {2048, 2048, 1600, 1200, 1.28, 0, 256},
      {300, 400, 800, 600, 0.375, 0, 88},  // (400 - 225) / 2 = 87.5 rounds to 88
  };
  for (const Case& c : cases) {
    const CanvasMapping m = MakeCanvasMapping(c.w, c.h, c.wt, c.ht);
    EXPECT_DOUBLE_EQ(m.Scale, c.scale) << c.w << "x" << c.h;
    EXPECT_EQ(m.OffX, c.offX) << c.w << "x" << c.h;
    EXPECT_EQ(m.OffY, c.offY) << c.w << "x" << c.h;
  }
}

TEST(CanvasMapping, PointsRoundHalfToEven) {
  const CanvasMapping m = MakeCanvasMapping(400, 300, 800, 600);
  EXPECT_EQ(m.MapX(101), 50);  // 50.5
  EXPECT_EQ(m.MapX(103), 52);  // 51.5
  EXPECT_EQ(m.MapX(1), 0);
  EXPECT_EQ(m.MapX(3), 2);
  EXPECT_EQ(m.MapX(-3), -2);
  const CanvasMapping tall = MakeCanvasMapping(400, 400, 800, 600);
  EXPECT_EQ(tall.MapY(101), 100);
  EXPECT_EQ(tall.MapY(600), 350);
}

TEST(CanvasMapping, ExtremeCornersStayFarOffTheCanvasWithoutOverflow) {
  const CanvasMapping m = MakeCanvasMapping(2048, 2048, 800, 600);  // s = 2.56, offY = 256
  EXPECT_EQ(m.MapX(INT32_MAX), 1 << 30);
  EXPECT_EQ(m.MapX(INT32_MIN), -(1 << 30));
  EXPECT_EQ(m.MapY(INT32_MAX), (1 << 30) + 256);
  EXPECT_EQ(m.MapX(1000), 2560);
}

TEST(CanvasMapping, NonPositiveSizesFailBeforeDividing) {
  for (auto [wt, ht] : {std::pair{0, 600}, std::pair{800, 0}, std::pair{-800, 600}, std::pair{800, -1}})
    EXPECT_THROW(MakeCanvasMapping(400, 300, wt, ht), Error) << wt << "x" << ht;
  EXPECT_THROW(MakeCanvasMapping(0, 300, 800, 600), Error);
}

TEST(CustomPicturePath, BackslashesAreFoldersAndEscapesAreRefused) {
  struct Good {
    const char* source;
    const char* path;
  };
  const Good good[] = {
      {"sub\\case.png", "/data/custom/sub/case.png"},
      {"tray.png", "/data/custom/tray.png"},
      // Appended to "custom\", a leading "\" only doubles the separator.
      {"\\tray.png", "/data/custom/tray.png"},
      {"\\sub\\case.png", "/data/custom/sub/case.png"},
  };
  for (const Good& g : good)
    EXPECT_EQ(CustomPicturePath("/data/custom", g.source), std::filesystem::path(g.path)) << g.source;
  for (const char* bad : {"../secret.png", "sub\\..\\..\\x.png", "\\..\\x.png", "/etc/passwd", "//etc/passwd",
                          "\\\\server\\share\\x.png", "C:\\pics\\x.png", "c:x.png", "\\", ""})
    EXPECT_THROW(CustomPicturePath("/data/custom", bad), Error) << bad;
}

TEST(CustomPicturePath, LinksMustStayInsideTheFolder) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("mirelane_links_" + std::to_string(::getpid()));
  fs::create_directories(root / "custom" / "sub");
  std::ofstream(root / "custom" / "inside.png") << "x";
  std::ofstream(root / "outside.png") << "x";
  fs::create_symlink(root / "custom" / "inside.png", root / "custom" / "alias.png");
  fs::create_symlink("../inside.png", root / "custom" / "sub" / "up.png");
  fs::create_symlink(root / "outside.png", root / "custom" / "escape.png");
  fs::create_symlink("/etc/hostname", root / "custom" / "system.png");
  fs::create_directory_symlink(root, root / "custom" / "parent");
  const struct {
    const char* source;
    bool allowed;
  } cases[] = {{"alias.png", true},   {"sub\\up.png", true},          {"escape.png", false},
               {"system.png", false}, {"parent\\outside.png", false}, {"missing.png", true}};
  for (const auto& c : cases) {
    std::string message;
    try {
      CustomPicturePath(root / "custom", c.source);
    } catch (const Error& e) {
      message = e.what();
    }
    if (c.allowed)
      EXPECT_EQ(message, "") << c.source;
    else
      EXPECT_EQ(message, "The custom picture \"" + std::string(c.source) +
                             "\" leads outside the custom folder \"" + (root / "custom").string() + "\"");
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace mirelane
