// Template files that cannot give a shot: each fails with an error that names the file, instead of
// rendering a blank picture.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "raster/error.h"
#include "templates/template.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

// Names of 9 characters take 10 bytes each in the section list: 1638 fit into 16384 bytes.
std::string NumberedSections(const std::string& prefix, int first, int count) {
  std::string text;
  for (int i = first; i < first + count; ++i)
    text += "[" + prefix + std::to_string(10000 + i).substr(1) + "]\ntype=shadow\n";
  return text;
}

class BrokenTemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // One folder per test and process: CTest runs the tests of this file side by side.
    dir_ = fs::temp_directory_path() /
           ("mirelane_broken_templates_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
            std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  fs::path Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }

  fs::path dir_;
};

TEST_F(BrokenTemplateTest, EachFailsNamingTheFile) {
  struct Case {
    const char* name;
    std::function<fs::path()> make;
    const char* expected;  // part of the message besides the file's name
  };
  const Case cases[] = {
      {"missing", [&] { return dir_ / "missing.ini"; }, "No such file or directory"},
      {"gone after listing",
       [&] {
         fs::create_symlink(dir_ / "removed.ini", dir_ / "gone.ini");
         return dir_ / "gone.ini";
       },
       "No such file or directory"},
      {"empty", [&] { return Write("empty.ini", ""); }, "is empty"},
      {"only blank lines", [&] { return Write("blank.ini", "\r\n  \n\t\n"); }, "is empty"},
      {"a folder",
       [&] {
         fs::create_directory(dir_ / "folder.ini");
         return dir_ / "folder.ini";
       },
       "Is a directory"},
      {"a FIFO without a writer",
       [&] {
         EXPECT_EQ(::mkfifo((dir_ / "pipe.ini").c_str(), 0600), 0);
         return dir_ / "pipe.ini";
       },
       "It is a named pipe, not a file."},
      {"a device", [] { return fs::path("/dev/null"); }, "It is a device, not a file."},
      {"no layer section",
       [&] { return Write("nolayer.ini", "[Image]\nwidth=400\n[layer1]\ntype=normal\n[LAYER2]\n"); },
       "has no layer section"},
      {"section list cut in its layers",
       [&] { return Write("cut.ini", "[Image]\nwidth=400\n" + NumberedSections("Layer", 0, 2000)); },
       // "Image" and 1637 layers take 6 + 16370 bytes with the closing zero: the next would not fit.
       "16384 bytes holds: 363 layers, from \"Layer1637\" on, would be left out"},
  };
  for (const Case& c : cases) {
    const fs::path file = c.make();
    try {
      ReadTemplate(file);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const Error& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("\"" + file.string() + "\""), std::string::npos) << c.name << ": " << message;
      EXPECT_NE(message.find(c.expected), std::string::npos) << c.name << ": " << message;
    }
  }
}

TEST_F(BrokenTemplateTest, UnreadableFileFailsWithTheSystemReason) {
  // Root reads a file without read permission, so as root a regular file whose read the kernel
  // refuses stands in for it.
  fs::path file = "/proc/self/clear_refs";
  std::string reason = "Invalid argument";
  if (::geteuid() != 0) {
    file = Write("locked.ini", "[Layer1]\ntype=shadow\n");
    fs::permissions(file, fs::perms::none);
    reason = "Permission denied";
  }
  try {
    ReadTemplate(file);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("\"" + file.string() + "\". " + reason), std::string::npos)
        << e.what();
  }
}

TEST_F(BrokenTemplateTest, SectionsLeftOutThatAreNoLayersLoseNothing) {
  // The list is full of layers, and only sections that are not layers fall beyond it.
  const fs::path file =
      Write("full.ini", NumberedSections("Layer", 0, 1638) + NumberedSections("Other", 0, 50) + "[Image]\n");
  const Template t = ReadTemplate(file);
  ASSERT_EQ(t.Layers.size(), 1638u);
  EXPECT_EQ(t.Layers.back().Section, "Layer1637");
}

}  // namespace
}  // namespace mirelane
