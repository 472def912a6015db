// mirelane-render end to end: the built binary is run with real arguments; exit statuses, messages,
// what is written and what is left alone on failure.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "picture/picture_reader.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("mirelane_cli_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "root" / "Templates");
    fs::create_directories(dir_ / "root" / "custom");
    // Two small shots of plain colours only, so the results do not depend on the shipped data.
    std::ofstream(dir_ / "root" / "Templates" / "A plain.ini") << "[Image]\nwidth=80\nheight=60\n"
                                                                  "[Layer1]\ntype=normal\nsource=FRONT\n"
                                                                  "A.X=10\nA.Y=10\nB.X=40\nB.Y=10\n"
                                                                  "C.X=40\nC.Y=50\nD.X=10\nD.Y=50\n";
    std::ofstream(dir_ / "root" / "Templates" / "c effects.ini")
        << "[Image]\nwidth=80\nheight=60\n[Layer1]\ntype=shadow\nA.X=20\nA.Y=30\nB.X=60\nB.Y=30\nC.X=60\n"
           "C.Y=40\nD.X=20\nD.Y=40\n[Layer2]\ntype=customcolorreflection\nsource=clBlue\nA.X=20\nA.Y=40\n"
           "B.X=60\nB.Y=40\nC.X=60\nC.Y=60\nD.X=20\nD.Y=60\n";
    std::ofstream(dir_ / "root" / "Templates" / "b colour.ini")
        << "[Image]\nwidth=80\nheight=60\n[Layer1]\ntype=customcolor\nsource=clRed\n"
           "A.X=0\nA.Y=0\nB.X=20\nB.Y=0\nC.X=20\nC.Y=60\nD.X=0\nD.Y=60\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  CliResult Run(const std::vector<std::string>& args) const {
    // The user's own templates join --list; each test has its own user data folder.
    std::string command = "XDG_DATA_HOME=" + Quote((dir_ / "user data").string()) + " " +
                          Quote(std::string(MIRELANE_BINARY_DIR) + "/mirelane-render");
    for (const auto& a : args) {
      command += ' ';
      command += Quote(a);
    }
    const fs::path errFile = dir_ / "stderr.txt";
    command += " 2>";
    command += Quote(errFile.string());
    CliResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = ReadAll(errFile);
    return result;
  }

  std::string Root() const { return (dir_ / "root").string(); }
  fs::path Out(const std::string& name) const { return dir_ / name; }

  fs::path dir_;
};

TEST_F(CliTest, HelpAndVersionSucceed) {
  const CliResult help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--reflection-opacity"), std::string::npos);
  const CliResult version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("mirelane-render ", 0), 0u) << version.out;
}

TEST_F(CliTest, ListPrintsPositionTabName) {
  const CliResult r = Run({"--root", Root(), "--list"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "1\tA plain\n2\tb colour\n3\tc effects\n");
}

TEST_F(CliTest, ALayerOfAnUnknownTypeIsLeftOutWithAWarningAndTheRenderSucceeds) {
  std::ofstream(dir_ / "root" / "Templates" / "d banana.ini")
      << "[Image]\nwidth=80\nheight=60\n[Layer1]\ntype=banana\nsource=FRONT\n";
  const fs::path out = Out("banana.png");
  const CliResult r = Run({"--root", Root(), "--template", "d banana", "-o", out.string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::exists(out));
  EXPECT_NE(r.err.find("warning: Layer 1 (\"banana\") of the template \"d banana\": the type \"banana\""),
            std::string::npos)
      << r.err;
}

TEST_F(CliTest, WithoutTemplatesExitsOneSayingWhatIsMissingWhere) {
  const fs::path noFolder = dir_ / "bare";
  fs::create_directories(noFolder);
  const fs::path emptyFolder = dir_ / "empty";
  fs::create_directories(emptyFolder / "Templates" / "subfolder");  // a folder is no template
  struct Case {
    fs::path root;
    std::string expected;
  };
  const Case cases[] = {
      {noFolder, "No templates in " + (noFolder / "Templates").string() +
                     "; Design\u2026 makes one in the window; here --shape designs a shot (there is no such "
                     "folder: --root DIR names the folder that holds Templates)"},
      {emptyFolder, "No templates in " + (emptyFolder / "Templates").string() +
                        "; Design\u2026 makes one in the window; here --shape designs a shot\n"},
  };
  // Listing and rendering without --template say the same.
  for (const Case& c : cases) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--list"},
          std::vector<std::string>{"--output", (dir_ / "o.png").string()}}) {
      std::vector<std::string> all = {"--root", c.root.string()};
      all.insert(all.end(), args.begin(), args.end());
      const CliResult r = Run(all);
      EXPECT_EQ(r.exitCode, 1) << c.root;
      EXPECT_EQ(r.out, "");
      EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    }
  }
  EXPECT_FALSE(fs::exists(dir_ / "o.png"));
}

TEST_F(CliTest, BrokenTemplatesExitOneNamingTheFileAndWriteNothing) {
  const fs::path templates = dir_ / "root" / "Templates";
  std::ofstream(templates / "d empty.ini") << "";
  std::ofstream(templates / "e no layers.ini") << "[Image]\nwidth=80\nheight=60\n[layer1]\ntype=shadow\n";
  std::string many = "[Image]\nwidth=80\nheight=60\n";
  for (int i = 1; i <= 300; ++i) many += "[Layer" + std::to_string(i) + "]\ntype=shadow\n";
  std::ofstream(templates / "f many.ini") << many;
  std::ofstream(templates / "g colour.ini") << "[Layer1]\ntype=customcolor\nsource=notacolour\n";
  fs::create_symlink(templates / "removed.ini", templates / "h gone.ini");
  struct Case {
    const char* name;
    std::string expected;
  };
  const Case cases[] = {
      {"d empty", "The template \"" + (templates / "d empty.ini").string() + "\" is empty"},
      {"e no layers", (templates / "e no layers.ini").string() + "\" has no layer section"},
      {"f many", "\"f many\" has 300 layers, more than the 256 a render can take"},
      {"g colour", "Layer 1 (\"customcolor\") of the template \"g colour\": \"notacolour\" is neither"},
      {"h gone", (templates / "h gone.ini").string() + "\". No such file or directory"},
  };
  const fs::path out = Out("shot.png");
  for (const Case& c : cases) {
    const CliResult r = Run({"--root", Root(), "--template", c.name, "-o", out.string()});
    EXPECT_EQ(r.exitCode, 1) << c.name;
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << c.name << ": " << r.err;
    EXPECT_FALSE(fs::exists(out)) << c.name;
  }
}

// 4096 pixels is the longest side a shot may have, on either side (one past it is refused below).
TEST_F(CliTest, SidesOf4096PixelsAreRendered) {
  struct Case {
    const char* width;
    const char* height;
    uint32_t expectedWidth, expectedHeight;
  };
  const Case cases[] = {{"4096", "40", 4096, 40}, {"40", "4096", 40, 4096}};
  for (const Case& c : cases) {
    const fs::path out = Out(std::string("side") + c.width + ".png");
    const CliResult r = Run({"--root", Root(), "--width", c.width, "--height", c.height, "-o", out.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The PNG header's width and height, big-endian, from byte 16 on.
    const std::string png = ReadAll(out);
    ASSERT_GE(png.size(), 24u);
    auto field = [&png](size_t at) {
      uint32_t v = 0;
      for (size_t i = at; i < at + 4; ++i) v = (v << 8) | static_cast<uint8_t>(png[i]);
      return v;
    };
    EXPECT_EQ(field(16), c.expectedWidth);
    EXPECT_EQ(field(20), c.expectedHeight);
  }
}

TEST_F(CliTest, BadCommandLinesExitTwoNamingTheOption) {
  struct Case {
    std::vector<std::string> args;
    const char* expected;
  };
  const std::string out = Out("x.png").string();
  const Case cases[] = {
      {{"--frobnicate", "-o", out}, "--frobnicate"},
      {{"--width", "31", "-o", out}, "--width takes a whole number from 32 to 4096"},
      {{"--height", "4097", "-o", out}, "--height takes a whole number from 32 to 4096"},
      {{"--dpi", "59", "-o", out}, "--dpi takes a whole number from 60 to 600"},
      {{"--reflection-opacity", "256", "-o", out}, "--reflection-opacity takes a whole number from 0 to 255"},
      {{"--reflection-length", "0", "-o", out}, "--reflection-length takes a whole number from 1 to 100"},
      {{"--reflection-brightness", "-51", "-o", out},
       "--reflection-brightness takes a whole number from -50"},
      {{"--reflection-blur", "1x", "-o", out}, "--reflection-blur takes a whole number from 0 to 100"},
      {{"--shadow-blur", "101", "-o", out}, "--shadow-blur takes a whole number from 0 to 100"},
      {{"--shadow-color", "#12345", "-o", out}, "--shadow-color takes a colour"},
      {{"--shading-color", "clNoSuchColour", "-o", out}, "--shading-color takes a colour"},
      {{"--front", "#GG0000", "-o", out}, "--front takes a picture file or a colour"},
      {{"--template", "0", "-o", out}, "--template takes a whole number from 1"},
      {{"--width"}, "--width needs a value"},
      {{"--width", "400"}, "-o FILE is missing"},
      {{"--quality", "0", "-o", out}, "--quality takes a whole number from 1 to 100"},
      {{"--quality", "101", "-o", out}, "--quality takes a whole number from 1 to 100"},
      {{"--quality", "80", "-o", out}, "--quality applies only to .webp and .jpg pictures, not to"},
      {{"--quality", "80", "-o", Out("x.BMP").string()}, "--quality applies only to .webp and .jpg"},
  };
  for (const Case& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.args[0];
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST_F(CliTest, RendersAndSavesTheFlattenedPicture) {
  const fs::path out = Out("shot.png");
  const CliResult r =
      Run({"--root", Root(), "--front", "#0000FF", "--width", "80", "--height", "60", "-o", out.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  TBitmap32 picture;
  LoadFromFile(picture, out.string());
  ASSERT_EQ(picture.Width(), 80);
  ASSERT_EQ(picture.Height(), 60);
  EXPECT_EQ(picture.PixelAt(25, 30), 0xFF0000FFu);  // the blue face
  EXPECT_EQ(picture.PixelAt(70, 30), 0xFFFFFFFFu);  // the white background slot
}

// A slot takes an existing file or a colour (#RRGGBB, clName or a plain name in any case); any other
// value is a command-line error naming the option, before anything is rendered.
TEST_F(CliTest, SlotValueIsAnExistingFileOrAColour) {
  TBitmap32 green(8, 8);
  green.Clear(0xFF00FF00u);
  const fs::path picture = Out("green.png");
  SavePicture(green, picture.string(), 96);
  struct Case {
    std::string value;
    int exitCode;
    TColor32 face;  // at the face's middle when rendered
  };
  const Case cases[] = {
      {picture.string(), 0, 0xFF00FF00u},
      {"#0000FF", 0, 0xFF0000FFu},
      {"clRed", 0, 0xFFFF0000u},
      {"red", 0, 0xFFFF0000u},
      {"RED", 0, 0xFFFF0000u},
      {"Navy", 0, 0xFF000080u},
      {"moneygreen", 0, 0xFFC0DCC0u},
      {"", 2, 0},
      {"nosuchfile.png", 2, 0},
      {"crimson", 2, 0},
      {"btnface", 2, 0},
      {dir_.string(), 2, 0},  // a folder
  };
  for (const Case& c : cases) {
    const fs::path out = Out("slot.png");
    fs::remove(out);
    const CliResult r =
        Run({"--root", Root(), "--front", c.value, "--width", "80", "--height", "60", "-o", out.string()});
    EXPECT_EQ(r.exitCode, c.exitCode) << c.value << ": " << r.err;
    if (c.exitCode == 2) {
      EXPECT_NE(r.err.find("--front takes a picture file or a colour"), std::string::npos) << r.err;
      EXPECT_NE(r.err.find("\"" + c.value + "\" is neither an existing file nor a colour"), std::string::npos)
          << r.err;
      EXPECT_FALSE(fs::exists(out)) << c.value;
      continue;
    }
    TBitmap32 shot;
    LoadFromFile(shot, out.string());
    ASSERT_EQ(shot.Width(), 80) << c.value;
    EXPECT_EQ(shot.PixelAt(25, 30), c.face) << c.value;
  }
}

TEST_F(CliTest, FlipMirrorsAndTransparentLeavesAlphaZero) {
  const fs::path out = Out("flip.png");
  const CliResult r = Run({"--root", Root(), "--template", "b colour", "--flip", "--transparent", "--width",
                           "80", "--height", "60", "-o", out.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  TBitmap32 picture;
  LoadFromFile(picture, out.string());
  ASSERT_EQ(picture.Width(), 80);
  EXPECT_EQ(picture.PixelAt(75, 30), 0xFFFF0000u);  // the red strip, now on the right
  EXPECT_EQ(AlphaOf(picture.PixelAt(5, 30)), 0u);   // transparent where nothing was drawn
}

// A hidden layer is left out of the saved picture, exactly as if it had no strength at all.
TEST_F(CliTest, HiddenGroupsAreLeftOutOfTheSavedPicture) {
  auto render = [&](const std::string& name, std::vector<std::string> extra) {
    std::vector<std::string> args = {"--root", Root(),     "--template", "c effects", "--width",
                                     "80",     "--height", "60",         "-o",        Out(name).string()};
    args.insert(args.end(), extra.begin(), extra.end());
    const CliResult r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return ReadAll(Out(name));
  };
  const std::string all = render("all.bmp", {});
  const std::string noShadow = render("ns.bmp", {"--hide-shadow"});
  const std::string zeroShadow = render("zs.bmp", {"--shadow-density", "0"});
  const std::string noReflection = render("nr.bmp", {"--hide-reflection"});
  const std::string zeroReflection = render("zr.bmp", {"--reflection-opacity", "0"});
  EXPECT_NE(all, noShadow);
  EXPECT_EQ(noShadow, zeroShadow);
  EXPECT_NE(all, noReflection);
  EXPECT_EQ(noReflection, zeroReflection);
}

TEST_F(CliTest, BmpCarriesTheResolution) {
  const fs::path out = Out("shot.bmp");
  const CliResult r =
      Run({"--root", Root(), "--dpi", "300", "--width", "40", "--height", "32", "-o", out.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string bytes = ReadAll(out);
  ASSERT_EQ(bytes.size(), 54u + 40 * 32 * 4);
  const auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
  };
  EXPECT_EQ(u32(38), 11812u);
  EXPECT_EQ(u32(42), 11812u);
}

TEST_F(CliTest, FailuresExitOneAndLeaveTheOutputAlone) {
  const fs::path out = Out("keep.png");
  std::ofstream(out) << "previous contents";
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  };
  std::ofstream(dir_ / "notes.txt") << "not a picture";
  std::ofstream(dir_ / "broken.png") << "not a PNG either";
  const Case cases[] = {
      {{"--front", (dir_ / "notes.txt").string()},
       "Layer 1 (\"normal\") of the template \"A plain\", FRONT picture: Cannot read file \"" +
           (dir_ / "notes.txt").string() + "\". Unknown picture file extension (.txt)"},
      {{"--background", (dir_ / "broken.png").string()}, "Background picture: "},
      {{"--template", "4"}, "List index out of bounds (3)"},
      {{"--template", "no such shot"}, "No template named \"no such shot\""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--root", Root(), "-o", out.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliResult r = Run(args);
    EXPECT_EQ(r.exitCode, 1) << c.expected;
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(out), "previous contents");
  }
  const fs::path nowhere = dir_ / "no such folder" / "shot.png";
  const CliResult unwritable = Run({"--root", Root(), "-o", nowhere.string()});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("Cannot create file"), std::string::npos) << unwritable.err;
  const fs::path txt = Out("shot.txt");
  const CliResult r = Run({"--root", Root(), "-o", txt.string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("must end in .jpg (JPEG), .png (PNG), .bmp (BMP) or .webp (WebP)"), std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(txt));
  // Nothing but the file itself was left behind (no temporary files).
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 5u);  // root, stderr.txt, keep.png, notes.txt, broken.png
}

// The coding a file was written with: WebP's picture chunk (lossless VP8L or lossy VP8), or JPEG's first
// luminance table entry.
std::string CodingOf(const std::string& bytes) {
  if (bytes.rfind("RIFF", 0) == 0) {
    if (bytes.find("VP8L", 12) != std::string::npos) return "VP8L";
    if (bytes.find("VP8 ", 12) != std::string::npos) return "VP8 ";
  }
  for (size_t at = 2; at + 5 < bytes.size() && static_cast<uint8_t>(bytes[at]) == 0xFF;
       at += 2 + ((static_cast<uint8_t>(bytes[at + 2]) << 8) | static_cast<uint8_t>(bytes[at + 3]))) {
    if (static_cast<uint8_t>(bytes[at + 1]) == 0xDB) return "DQT " + std::to_string(bytes[at + 5]);
  }
  return "?";
}

TEST_F(CliTest, QualityMakesWebpLossyAndSetsTheJpegQuality) {
  const fs::path reference = Out("reference.png");
  const std::vector<std::string> shot = {"--root",  Root(), "--front",  "#3366CC",
                                         "--width", "40",   "--height", "32"};
  auto withOutput = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = shot;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  ASSERT_EQ(Run(withOutput({"-o", reference.string()})).exitCode, 0);
  const struct {
    std::vector<std::string> extra;
    std::string file;
    std::string coding;
  } cases[] = {
      {{}, "lossless.webp", "VP8L"},
      {{"--quality", "60"}, "lossy.webp", "VP8 "},
      {{}, "default.jpg", "DQT 3"},
      {{"--quality", "50"}, "fifty.jpg", "DQT 16"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> extra = c.extra;
    extra.insert(extra.end(), {"-o", Out(c.file).string()});
    const CliResult r = Run(withOutput(extra));
    ASSERT_EQ(r.exitCode, 0) << c.file << ": " << r.err;
    EXPECT_EQ(CodingOf(ReadAll(Out(c.file))), c.coding) << c.file;
  }
  TBitmap32 png, webp;
  LoadFromFile(png, reference.string());
  LoadFromFile(webp, Out("lossless.webp").string());
  ASSERT_EQ(png.PixelCount(), webp.PixelCount());
  for (size_t i = 0; i < png.PixelCount(); ++i) ASSERT_EQ(png.Bits()[i], webp.Bits()[i]) << i;
}

TEST_F(CliTest, ConvertReadsAPictureAndWritesItOut) {
  const fs::path png = Out("a.png");
  ASSERT_EQ(Run({"--root", Root(), "--width", "40", "--height", "32", "-o", png.string()}).exitCode, 0);
  const fs::path bmp = Out("a.bmp");
  const CliResult r = Run({"--convert", png.string(), "-o", bmp.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  TBitmap32 a, b;
  LoadFromFile(a, png.string());
  LoadFromFile(b, bmp.string());
  ASSERT_EQ(a.Width(), b.Width());
  for (size_t i = 0; i < a.PixelCount(); ++i) ASSERT_EQ(a.Bits()[i], b.Bits()[i]) << i;
  const CliResult bad = Run({"--convert", Out("nothing.txt").string(), "-o", Out("x.png").string()});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("Cannot open file \"" + Out("nothing.txt").string() + "\". No such file"),
            std::string::npos)
      << bad.err;
  EXPECT_FALSE(fs::exists(Out("x.png")));
}

// Designed shots: --shape renders, --save-template keeps the template, and the template renders the
// same pixels from the catalogue.
TEST_F(CliTest, SavedDesignRendersTheSamePixelsAsTheShape) {
  const fs::path data = fs::path(MIRELANE_SOURCE_DIR) / "data";
  const fs::path examples = fs::path(MIRELANE_SOURCE_DIR) / "examples";
  const fs::path saved = dir_ / "saved";
  fs::create_directories(saved / "Templates");
  fs::create_directory_symlink(data / "custom", saved / "custom");  // the sleeve and hinge pictures
  struct Case {
    std::vector<std::string> design;
  };
  const Case cases[] = {
      {{"--shape", "box"}},
      {{"--shape", "book", "--turn", "-40", "--tilt", "25", "--perspective", "90"}},
      {{"--shape", "dvd-case", "--turn", "-20.5"}},
      {{"--shape", "jewel-case", "--proportions", "142:125:10", "--width", "300", "--height", "360"}},
      {{"--shape", "disc", "--lying", "--tilt", "50"}},
      {{"--shape", "card", "--turn", "0", "--tilt", "0", "--perspective", "0"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.design[1]);
    const std::string name = "shot" + std::to_string(++n);
    const fs::path direct = Out(name + "-direct.png"), again = Out(name + "-again.png");
    const fs::path ini = saved / "Templates" / (name + ".ini");
    std::vector<std::string> sources = {
        "--front", (examples / "front.png").string(), "--side", (examples / "side.png").string(),
        "--top",   (examples / "top.png").string(),   "--disc", (examples / "disc.png").string()};
    std::vector<std::string> args = c.design;
    args.insert(args.end(), sources.begin(), sources.end());
    std::vector<std::string> first = args;
    first.insert(first.end(),
                 {"--root", data.string(), "-o", direct.string(), "--save-template", ini.string()});
    const CliResult made = Run(first);
    ASSERT_EQ(made.exitCode, 0) << made.err;
    ASSERT_TRUE(fs::exists(ini));

    // The same sources and size through the saved template, named in the catalogue.
    std::vector<std::string> second = sources;
    for (size_t i = 0; i + 1 < c.design.size(); ++i)
      if (c.design[i] == "--width" || c.design[i] == "--height")
        second.insert(second.end(), {c.design[i], c.design[i + 1]});
    second.insert(second.end(), {"--root", saved.string(), "--template", name, "-o", again.string()});
    const CliResult rendered = Run(second);
    ASSERT_EQ(rendered.exitCode, 0) << rendered.err;

    TBitmap32 a, b;
    LoadFromFile(a, direct.string());
    LoadFromFile(b, again.string());
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    size_t differing = 0, drawn = 0;
    for (size_t p = 0; p < a.PixelCount(); ++p) {
      differing += a.Bits()[p] != b.Bits()[p];
      drawn += a.Bits()[p] != 0xFFFFFFFFu;  // not the white background
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(drawn, a.PixelCount() / 20);
  }
  // --save-template alone writes only the template.
  const fs::path alone = dir_ / "alone.ini";
  const CliResult r = Run({"--shape", "card", "--save-template", alone.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(ReadAll(alone).find("type=roundrect\r\nsource=FRONT"), std::string::npos);
}

TEST_F(CliTest, BadDesignValuesExitTwoNamingTheOptionAndRange) {
  struct Case {
    std::vector<std::string> args;
    const char* expected;
  };
  const std::string out = Out("x.png").string();
  const std::string ini = Out("x.ini").string();
  const Case cases[] = {
      {{"--shape", "sphere", "-o", out}, "--shape takes one of box|book|dvd-case|jewel-case|disc|card"},
      {{"--shape", "box", "--turn", "81", "-o", out}, "--turn takes a number from -80 to 80 (got \"81\")"},
      {{"--shape", "box", "--turn", "-80.5", "-o", out}, "--turn takes a number from -80 to 80"},
      {{"--shape", "box", "--tilt", "-1", "-o", out}, "--tilt takes a number from 0 to 60"},
      {{"--shape", "box", "--tilt", "61", "-o", out}, "--tilt takes a number from 0 to 60"},
      {{"--shape", "box", "--perspective", "101", "-o", out}, "--perspective takes a number from 0 to 100"},
      {{"--shape", "box", "--perspective", "x", "-o", out}, "--perspective takes a number from 0 to 100"},
      {{"--shape", "box", "--proportions", "3:4", "-o", out}, "--proportions takes W:H:D"},
      {{"--shape", "box", "--proportions", "3:0:1", "-o", out}, "--proportions takes W:H:D"},
      {{"--shape", "box", "--proportions", "3:4:1:2", "-o", out}, "--proportions takes W:H:D"},
      {{"--shape", "box", "--proportions", "1:2000:1", "-o", out}, "--proportions takes W:H:D"},
      {{"--shape", "box", "--lying", "-o", out}, "--lying suits only --shape disc or card"},
      {{"--shape", "disc", "--lying", "--tilt", "0", "-o", out}, "--lying needs a --tilt above 0"},
      {{"--turn", "20", "-o", out}, "need --shape"},
      {{"--save-template", ini, "-o", out}, "--save-template needs --shape"},
      {{"--shape", "box", "--template", "1", "-o", out},
       "cannot be used with --list, --convert or --template"},
      {{"--shape", "box", "--save-template", ini, "--batch", "m.csv"},
       "--save-template cannot be used with --batch"},
      {{"--shape", "box"}, "-o FILE is missing"},
  };
  for (const Case& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.expected;
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(ini));
  }
}

TEST_F(CliTest, ListShowsTheUsersTemplatesAfterTheShippedOnes) {
  const fs::path user = dir_ / "user data" / "mirelane-creator";
  fs::create_directories(user / "Templates");
  fs::copy_file(dir_ / "root" / "Templates" / "A plain.ini", user / "Templates" / "0 mine.ini");
  const CliResult r = Run({"--root", Root(), "--list"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "1\tA plain\n2\tb colour\n3\tc effects\n4\t0 mine\n");
  // And renders by position and by name.
  EXPECT_EQ(Run({"--root", Root(), "--template", "4", "-o", Out("4.png").string()}).exitCode, 0);
  EXPECT_EQ(Run({"--root", Root(), "--template", "0 mine", "-o", Out("n.png").string()}).exitCode, 0);
}

}  // namespace
}  // namespace mirelane
