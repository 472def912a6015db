// The shell's text rules: title from the executable's name, error text, number fields, filters.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/shell_text.h"
#include "raster/error.h"

namespace mirelane {
namespace {

TEST(TitleFromExecutableName, Table) {
  const struct {
    const char* fileName;
    const char* title;
  } cases[] = {
      {"Shots.exe", "Shots"},
      {"Mirelane Creator 1.0.exe", "Mirelane Creator 1.0"},
      {"SHOTS.EXE", "SHOTS"},
      {".exe", ""},
      {"mirelane-creator", "Mirelane Creator"},
      {"mirelane_creator-screenshot", "Mirelane Creator Screenshot"},
      {"box", "Box"},
      {"a--b", "A  B"},
      {"my tool", "My Tool"},
      {"tool.sh", "Tool.sh"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TitleFromExecutableName(c.fileName), c.title) << c.fileName;
}

TEST(ErrorReportText, AddsFullStopAfterCharactersSortingAfterIt) {
  const struct {
    const char* message;
    const char* text;
  } cases[] = {
      {"List index out of bounds (2)", "List index out of bounds (2)"},
      {"Cannot open file \"x.jpg\". No such file or directory",
       "Cannot open file \"x.jpg\". No such file or directory."},
      {"JPEG error #42", "JPEG error #42."},
      {"Done.", "Done."},
      {"Really!", "Really!"},
      {"Path /", "Path /."},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorReportText(c.message), c.text) << c.message;
}

TEST(MessageNamingFile, AddsTheFileOnlyWhenTheMessageDoesNotNameIt) {
  const struct {
    const char* message;
    const char* file;
    const char* text;
  } cases[] = {
      {"Unknown picture file extension (.xyz)", "/tmp/notes.xyz",
       "\"/tmp/notes.xyz\": Unknown picture file extension (.xyz)"},
      {"Cannot open file \"/tmp/a.png\". No such file or directory", "/tmp/a.png",
       "Cannot open file \"/tmp/a.png\". No such file or directory"},
      {"a.png is truncated", "/tmp/a.png", "a.png is truncated"},
      {"Out of memory", "", "\"\": Out of memory"},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageNamingFile(c.message, c.file), c.text) << c.message;
}

TEST(ReadNumberField, Table) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"400", 400}, {"4", 4},     {"", 32},
      {"  ", 32},   {"abc", 32},  {"40a", 32},
      {"-5", -5},   {"0040", 40}, {"99999999999999", 1000000000},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadNumberField(c.text, 32), c.value) << c.text;
  EXPECT_EQ(ReadNumberField("", 60), 60);
}

TEST(ReadTextLines, SplitsCrLfAndLfAndReportsMissingFile) {
  const auto file = std::filesystem::temp_directory_path() / "mirelane_read_text_lines.txt";
  {
    std::ofstream out(file, std::ios::binary);
    out << "first\r\n\r\nthird\nlast";
  }
  EXPECT_EQ(ReadTextLines(file), (std::vector<std::string>{"first", "", "third", "last"}));
  std::filesystem::remove(file);
  try {
    ReadTextLines(file);
    FAIL() << "no error for a missing file";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + file.string() + "\". No such file or directory");
  }
}

TEST(QtFilterFromPipeFilter, ConvertsPairsAndDropsRepeatedPatterns) {
  EXPECT_EQ(QtFilterFromPipeFilter("All (*.jpg;*.png)|*.jpg;*.png|JPEG Image File|*.jpg"),
            "All (*.jpg *.png);;JPEG Image File (*.jpg)");
  EXPECT_EQ(QtFilterFromPipeFilter(""), "");
}

}  // namespace
}  // namespace mirelane
