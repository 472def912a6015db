// Batch rendering: the CSV reader, the manifest checks, the shared picture decodes, and the tool run
// on whole manifests (failing rows, skip-existing, shards, parallel rows).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/batch_manifest.h"
#include "cli/batch_pictures.h"
#include "cli/batch_run.h"
#include "cli/csv_records.h"
#include "picture/picture_writer.h"
#include "raster/error.h"
#include "templates/shot_designer.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

TEST(ParseCsv, ReadsQuotedFieldsLineEndsAndMarks) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::vector<std::string>> records;
    std::vector<size_t> lines;
  };
  const Case cases[] = {
      {"plain LF", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}, {1, 2}},
      {"CRLF, no last line end", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}, {1, 2}},
      {"byte order mark",
       "\xEF\xBB\xBF"
       "output\nx.png\n",
       {{"output"}, {"x.png"}},
       {1, 2}},
      {"comma and quotes in a quoted field", "a\n\"x, \"\"y\"\".png\"\n", {{"a"}, {"x, \"y\".png"}}, {1, 2}},
      {"line breaks in a quoted field",
       "a,b\n\"two\r\nlines\",c\nd,e\n",
       {{"a", "b"}, {"two\r\nlines", "c"}, {"d", "e"}},
       {1, 2, 4}},
      {"empty cells", "a,b,c\n,,\n", {{"a", "b", "c"}, {"", "", ""}}, {1, 2}},
      {"blank lines left out", "a\n\n\r\nb\n", {{"a"}, {"b"}}, {1, 4}},
      {"a quoted empty field is a record", "a\n\"\"\n", {{"a"}, {""}}, {1, 2}},
      {"a quote inside an unquoted field stays", "a\nsay \"hi\"\n", {{"a"}, {"say \"hi\""}}, {1, 2}},
      {"UTF-8 names", "a\nÉté ☀.png\n", {{"a"}, {"Été ☀.png"}}, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<CsvRecord> records = ParseCsv(c.text);
    ASSERT_EQ(records.size(), c.records.size());
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].Fields, c.records[i]);
      EXPECT_EQ(records[i].Line, c.lines[i]);
    }
  }
}

TEST(ParseCsv, NamesTheLineOfABrokenQuote) {
  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"a\nb\n\"never closed,\n", "line 3: a quoted field has no closing quote"},
      {"a\n\"x\"y\n", "line 2: text after the closing quote of a field"},
  };
  for (const Case& c : cases) {
    try {
      ParseCsv(c.text);
      ADD_FAILURE() << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(BatchShards, EveryRowFallsInExactlyOneShard) {
  for (uint32_t count = 1; count <= 5; ++count) {
    for (size_t row = 1; row <= 23; ++row) {
      int shards = 0;
      for (uint32_t index = 1; index <= count; ++index) shards += InShard(row, index, count) ? 1 : 0;
      EXPECT_EQ(shards, 1) << row << " of " << count;
    }
  }
  EXPECT_TRUE(InShard(1, 1, 3));
  EXPECT_TRUE(InShard(4, 1, 3));
  EXPECT_TRUE(InShard(3, 3, 3));
}

TEST(BatchPictures, DecodesEachFileOnceForAllRowsAndThreads) {
  std::atomic<int> decodes{0};
  BatchPictures pictures([&](TBitmap32& target, const std::string& file) {
    ++decodes;
    if (file == "bad.png") throw Error("cannot read bad.png");
    target.SetSize(4, 3);
    target.Clear(file == "a.png" ? 0xFF112233u : 0xFF445566u);
  });
  const std::vector<std::string> files = {"a.png", "b.png", "bad.png"};
  for (int row = 0; row < 8; ++row) pictures.Expect(files);
  std::atomic<int> failures{0};
  std::vector<std::thread> rows;
  for (int row = 0; row < 8; ++row) {
    rows.emplace_back([&] {
      const PictureLoader load = pictures.Loader();
      TBitmap32 a, b, bad;
      load(a, "a.png");
      load(b, "b.png");
      EXPECT_EQ(a.Width(), 4);
      EXPECT_EQ(a.PixelAt(3, 2), 0xFF112233u);
      EXPECT_EQ(b.PixelAt(0, 0), 0xFF445566u);
      try {
        load(bad, "bad.png");
      } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read bad.png");
        ++failures;
      }
    });
  }
  for (std::thread& row : rows) row.join();
  EXPECT_EQ(decodes, 3);
  EXPECT_EQ(failures, 8);
  EXPECT_EQ(pictures.Decodes(), 3u);
  // After the last row that named it, a file is let go: a later use decodes it again.
  for (int row = 0; row < 8; ++row) pictures.Release(files);
  TBitmap32 again;
  pictures.Loader()(again, "a.png");
  EXPECT_EQ(decodes, 4);
}

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("mirelane_batch_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "root" / "Templates");
    fs::create_directories(dir_ / "root" / "custom");
    fs::create_directories(dir_ / "job" / "art");
    // A front face and a shadow, so a picture, a colour and a setting all show in the result.
    std::ofstream(dir_ / "root" / "Templates" / "A face.ini")
        << "[Image]\nwidth=80\nheight=60\n[Layer1]\ntype=shadow\nA.X=10\nA.Y=50\nB.X=40\nB.Y=50\nC.X=40\n"
           "C.Y=58\nD.X=10\nD.Y=58\n[Layer2]\ntype=normal\nsource=FRONT\nA.X=10\nA.Y=10\nB.X=40\nB.Y=10\n"
           "C.X=40\nC.Y=50\nD.X=10\nD.Y=50\n";
    std::ofstream(dir_ / "root" / "Templates" / "B strip.ini")
        << "[Image]\nwidth=80\nheight=60\n[Layer1]\ntype=customcolor\nsource=clRed\n"
           "A.X=0\nA.Y=0\nB.X=20\nB.Y=0\nC.X=20\nC.Y=60\nD.X=0\nD.Y=60\n";
    TBitmap32 green(16, 16);
    green.Clear(0xFF00FF00u);
    SavePicture(green, (dir_ / "job" / "art" / "green.png").string(), 96);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Manifest(const std::string& text, const std::string& name = "shots.csv") const {
    const fs::path file = dir_ / "job" / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }

  struct Result {
    int exitCode = -1;
    std::string err;
  };
  Result Run(const std::vector<std::string>& args) const {
    std::string command = Quote(std::string(MIRELANE_BINARY_DIR) + "/mirelane-render") + " --root " +
                          Quote((dir_ / "root").string());
    for (const std::string& a : args) {
      command += ' ';
      command += Quote(a);
    }
    const fs::path errFile = dir_ / "stderr.txt";
    command += " 2>";
    command += Quote(errFile.string());
    Result result;
    const int status = std::system(command.c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    result.err.assign(std::istreambuf_iterator<char>(in), {});
    return result;
  }

  static std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  }

  std::vector<BatchRow> Read(const fs::path& manifest, const std::vector<std::string>& defaults = {}) const {
    std::vector<std::string> args = defaults;
    args.insert(args.end(), {"--batch", manifest.string()});
    return ReadBatchManifest(manifest, ParseCommandLine(args), dir_ / "root");
  }

  std::string ReadError(const std::string& text) const {
    try {
      Read(Manifest(text));
    } catch (const UsageError& e) {
      return e.what();
    }
    return "no error";
  }

  fs::path dir_;
};

TEST_F(BatchTest, CellsOverrideTheCommandLineAndPathsStartInTheManifestsFolder) {
  const fs::path manifest = Manifest(
      "output,template,front,shadow-blur,transparent\n"
      "a.png,,art/green.png,,\n"
      "\"sub/b, c.bmp\",B strip,#0000FF,40,no\n" +
      (dir_ / "abs.png").string() + ",2,,,yes\n");
  const std::vector<BatchRow> rows =
      Read(manifest, {"--shadow-blur", "7", "--transparent", "--template", "A face", "--front", "red"});
  ASSERT_EQ(rows.size(), 3u);
  const fs::path job = dir_ / "job";
  EXPECT_EQ(rows[0].Number, 1u);
  EXPECT_EQ(fs::path(rows[0].Options.Output), job / "a.png");
  EXPECT_EQ(rows[0].Template, dir_ / "root" / "Templates" / "A face.ini");
  EXPECT_FALSE(rows[0].Options.Sources[2].UseColor);
  EXPECT_EQ(fs::path(rows[0].Options.Sources[2].PicturePath), job / "art" / "green.png");
  EXPECT_EQ(rows[0].Options.State.ShadowBlur, 7);  // empty cell: the command line's value
  EXPECT_TRUE(rows[0].Options.State.TransparentBackground);
  EXPECT_EQ(fs::path(rows[1].Options.Output), job / "sub" / "b, c.bmp");
  EXPECT_EQ(rows[1].Template, dir_ / "root" / "Templates" / "B strip.ini");
  EXPECT_TRUE(rows[1].Options.Sources[2].UseColor);
  EXPECT_EQ(rows[1].Options.Sources[2].Color, 0xFF0000);
  EXPECT_EQ(rows[1].Options.State.ShadowBlur, 40);
  EXPECT_FALSE(rows[1].Options.State.TransparentBackground);
  EXPECT_EQ(rows[2].Options.Output, (dir_ / "abs.png").string());
  EXPECT_EQ(rows[2].Template, dir_ / "root" / "Templates" / "B strip.ini");
  EXPECT_EQ(rows[2].Options.Sources[2].Color, 0x0000FF);  // red from the command line
}

TEST_F(BatchTest, BadManifestsAreRefusedNamingRowAndColumn) {
  struct Case {
    std::string text;
    std::string message;  // after "<manifest>: "
  };
  const Case cases[] = {
      {"output,glow\na.png,1\n", "unknown column glow"},
      {"output,Output\na.png,b.png\n", "the column output appears twice"},
      {"template\n1\n", "no output column"},
      {"", "no header row"},
      {"output,template,shape\na.png,1,box\n",
       "row 1, column shape: a row names a template or a shape, not both"},
      {"output,shape\na.png,cube\n", "row 1, column shape: --shape takes one of box|"},
      {"output,shape,turn\na.png,box,81\n", "row 1, column turn: --turn takes a number from -80 to 80"},
      {"output,turn\na.png,20\n",
       "row 1, column shape: --turn, --tilt, --perspective, --proportions and --lying"},
      {"output,shape,lying\na.png,disc,maybe\n", "row 1, column lying: lying takes yes or no"},
      {"output,shape,lying\na.png,box,yes\n", "row 1, column shape: --lying suits only --shape disc or card"},
      {"output,shadow-blur\na.png,1\nb.png,101\n",
       "row 2, column shadow-blur: shadow-blur takes a whole number from 0 to 100 (got \"101\")"},
      {"output,width\na.png,31\n", "row 1, column width: width takes a whole number from 32 to 4096"},
      {"output,shadow-color\na.png,#12\n", "row 1, column shadow-color: shadow-color takes a colour"},
      {"output,flip\na.png,maybe\n", "row 1, column flip: flip takes yes or no"},
      {"output,quality\na.jpg,0\n", "row 1, column quality: --quality takes a whole number from 1 to 100"},
      {"output,quality\na.png,80\n", "row 1, column output: --quality applies only to .webp and .jpg"},
      {"output\na.png\n\"\"\n", "row 2, column output: empty"},
      {"output\na.png\nsub/../a.png\n", "row 2, column output: row 1 writes"},
      {"output\na.gif\n", "row 1, column output: "},
      {"output,template\na.png,C nothing\n", "row 1, column template: No template named \"C nothing\""},
      {"output,template\na.png,3\n", "row 1, column template: position 3 is past the 2 templates"},
      {"output,front\na.png\n", "row 1 (line 2) has 1 cells, the header 2"},
      {"output\n\"a.png\n", "line 2: a quoted field has no closing quote"},
  };
  const std::string prefix = (dir_ / "job" / "shots.csv").string() + ": ";
  for (const Case& c : cases) {
    const std::string message = ReadError(c.text);
    EXPECT_EQ(message.rfind(prefix + c.message, 0), 0u) << message;
  }
}

// A shape on the command line is every row's default; a row's template or shape stands over it.
TEST_F(BatchTest, RowsChooseATemplateOrADesignedShape) {
  const fs::path manifest = Manifest(
      "output,template,shape,tilt\n"
      "a.png,,,\n"
      "b.png,1,,\n"
      "c.png,,disc,40\n");
  const std::vector<BatchRow> rows = Read(manifest, {"--shape", "card", "--turn", "-20"});
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_TRUE(rows[0].Options.Design.Shape);
  EXPECT_EQ(*rows[0].Options.Design.Shape, ShotShape::Card);
  EXPECT_TRUE(rows[0].Template.empty());
  EXPECT_FALSE(rows[1].Options.Design.Shape);
  EXPECT_EQ(rows[1].Template, dir_ / "root" / "Templates" / "A face.ini");
  ASSERT_TRUE(rows[2].Options.Design.Shape);
  EXPECT_EQ(*rows[2].Options.Design.Shape, ShotShape::Disc);
  EXPECT_EQ(rows[2].Options.Design.Camera.Turn, -20);
  EXPECT_EQ(rows[2].Options.Design.Camera.Tilt, 40);
}

// A designed row is the same shot as mirelane-render --shape with the same sources, to the byte.
TEST_F(BatchTest, ADesignedRowMatchesASingleDesignedRender) {
  const fs::path job = dir_ / "job";
  const fs::path manifest = Manifest(
      "output,shape,turn,perspective,front,side\n"
      "designed.png,box,-30,70,art/green.png,#3050A0\n");
  const Result batch = Run({"--batch", manifest.string(), "--width", "160", "--height", "120"});
  ASSERT_EQ(batch.exitCode, 0) << batch.err;
  const Result single = Run({"--shape", "box", "--turn", "-30", "--perspective", "70", "--front",
                             (job / "art" / "green.png").string(), "--side", "#3050A0", "--width", "160",
                             "--height", "120", "-o", (job / "single.png").string()});
  ASSERT_EQ(single.exitCode, 0) << single.err;
  auto bytes = [](const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string designed = bytes(job / "designed.png");
  EXPECT_FALSE(designed.empty());
  EXPECT_EQ(designed, bytes(job / "single.png"));
}

TEST_F(BatchTest, AFailingRowLeavesTheOthersAndNoFile) {
  const fs::path manifest = Manifest(
      "output,front\n"
      "ok1.png,art/green.png\n"
      "bad.png,art/missing.png\n"
      "nofolder/x.png,blue\n"
      "ok2.png,blue\n");
  const Result r = Run({"--batch", manifest.string(), "--jobs", "2", "--template", "A face"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const fs::path job = dir_ / "job";
  EXPECT_TRUE(fs::exists(job / "ok1.png"));
  EXPECT_TRUE(fs::exists(job / "ok2.png"));
  EXPECT_FALSE(fs::exists(job / "bad.png"));
  EXPECT_NE(r.err.find("row 2 failed: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("missing.png"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("row 3 failed: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(": 2 done, 2 failed of 4 rows"), std::string::npos) << r.err;
  for (const auto& entry : fs::directory_iterator(job))  // no temporary left behind
    EXPECT_NE(entry.path().filename().string().rfind(".ml", 0), 0u) << entry.path();
}

TEST_F(BatchTest, AHeaderAloneIsSaidToHoldNoRowsAndSucceeds) {
  const Result r = Run({"--batch", Manifest("output,front\n").string()});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("the manifest holds no rows, only its header"), std::string::npos) << r.err;
}

TEST_F(BatchTest, AManifestErrorWritesNothing) {
  const fs::path manifest = Manifest("output,reflection-opacity\na.png,1\nb.png,256\n");
  const Result r = Run({"--batch", manifest.string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("row 2, column reflection-opacity"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_ / "job" / "a.png"));
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Two shards write disjoint rows whose union is the whole run, each picture as one run writes it,
// and rows side by side give the same bytes as one after another.
TEST_F(BatchTest, ShardsSplitTheRunAndParallelRowsMatch) {
  std::string text = "output,template,front,shadow-blur\n";
  const int rowCount = 7;
  for (int i = 0; i < rowCount; ++i)
    text += "all/" + std::to_string(i) + ".png," + (i % 2 ? "A face" : "B strip") + "," +
            (i % 3 ? "art/green.png" : "#102030") + "," + std::to_string(i * 9) + "\n";
  const fs::path manifest = Manifest(text);
  const fs::path job = dir_ / "job";
  fs::create_directories(job / "all");
  ASSERT_EQ(Run({"--batch", manifest.string(), "--jobs", "1"}).exitCode, 0);
  std::vector<std::string> whole;
  for (int i = 0; i < rowCount; ++i) whole.push_back(Bytes(job / "all" / (std::to_string(i) + ".png")));
  fs::remove_all(job / "all");
  fs::create_directories(job / "all");

  std::set<std::string> written;
  for (const char* shard : {"1/2", "2/2"}) {
    const std::set<std::string> before = [&] {
      std::set<std::string> names;
      for (const auto& e : fs::directory_iterator(job / "all")) names.insert(e.path().filename().string());
      return names;
    }();
    const Result r = Run({"--batch", manifest.string(), "--shard", shard, "--jobs", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const auto& e : fs::directory_iterator(job / "all")) {
      const std::string name = e.path().filename().string();
      if (before.count(name)) continue;
      EXPECT_TRUE(written.insert(name).second) << name << " written by two shards";
    }
  }
  EXPECT_EQ(written.size(), static_cast<size_t>(rowCount));
  EXPECT_TRUE(written.count("0.png") && written.count("2.png"));
  for (int i = 0; i < rowCount; ++i)
    EXPECT_EQ(Bytes(job / "all" / (std::to_string(i) + ".png")), whole[static_cast<size_t>(i)]) << i;
}

TEST_F(BatchTest, SkipExistingRendersOnlyWhatIsOutOfDate) {
  const fs::path manifest = Manifest("output,front\na.png,art/green.png\nb.png,blue\n");
  ASSERT_EQ(Run({"--batch", manifest.string(), "--template", "A face"}).exitCode, 0);
  const fs::path job = dir_ / "job";
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(manifest, old);
  fs::last_write_time(job / "art" / "green.png", old);
  fs::remove(job / "b.png");
  Result r = Run({"--batch", manifest.string(), "--template", "A face", "--skip-existing"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find(": 1 done, 0 failed, 1 up to date of 2 rows"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("row 2 done"), std::string::npos) << r.err;
  // A picture changed after the shot was written makes it out of date again.
  fs::last_write_time(job / "art" / "green.png", fs::file_time_type::clock::now() + std::chrono::hours(1));
  r = Run({"--batch", manifest.string(), "--template", "A face", "--skip-existing"});
  EXPECT_NE(r.err.find("row 1 done"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(": 1 done, 0 failed, 1 up to date"), std::string::npos) << r.err;
}

TEST(BatchOptions, AreRefusedOutsideABatchAndCheckedInside) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"--jobs", "2", "-o", "x.png"}, "--jobs, --skip-existing and --shard apply only to --batch"},
      {{"--batch", "m.csv", "-o", "x.png"}, "--batch takes each picture's name from the manifest"},
      {{"--batch", "m.csv", "--list"}, "--batch cannot be used with --list or --convert"},
      {{"--batch", "m.csv", "--jobs", "0"}, "--jobs takes a whole number from 1 to 256"},
      {{"--batch", "m.csv", "--shard", "3/2"}, "--shard takes K/N"},
      {{"--batch", "m.csv", "--shard", "0/2"}, "--shard takes K/N"},
      {{"--batch", "m.csv", "--shard", "1/"}, "--shard takes K/N"},
  };
  for (const Case& c : cases) {
    try {
      ParseCommandLine(c.args);
      ADD_FAILURE() << c.message;
    } catch (const UsageError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
  const CliOptions o =
      ParseCommandLine({"--batch", "m.csv", "--shard", "2/5", "--jobs", "3", "--skip-existing"});
  EXPECT_EQ(o.Action, CliAction::Batch);
  EXPECT_EQ(o.ShardIndex, 2u);
  EXPECT_EQ(o.ShardCount, 5u);
  EXPECT_EQ(o.Jobs, 3u);
  EXPECT_TRUE(o.SkipExisting);
}

}  // namespace
}  // namespace mirelane
