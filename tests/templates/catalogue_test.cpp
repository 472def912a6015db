// The template catalogue: listing order, names, positions and their failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "raster/error.h"
#include "templates/render_template.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    path_ = fs::temp_directory_path() /
            ("mirelane_catalogue_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() { fs::remove_all(path_); }
  const fs::path& Path() const { return path_; }
  void Touch(const std::string& name) const { std::ofstream(path_ / name) << "x"; }

 private:
  fs::path path_;
};

TEST(ListFiles, FilesOnlyHiddenIncludedSortedWithoutRegardToCase) {
  TempFolder dir;
  for (const char* name : {"b.ini", "A.ini", ".hidden", "c.INI", "Zeta.ini", "alpha.ini"}) dir.Touch(name);
  fs::create_directory(dir.Path() / "Subfolder");
  const std::vector<std::string> expected = {".hidden", "A.ini", "alpha.ini", "b.ini", "c.INI", "Zeta.ini"};
  EXPECT_EQ(ListFiles(dir.Path()), expected);
}

TEST(ListFiles, MissingFolderGivesEmptyList) {
  EXPECT_TRUE(ListFiles("/nonexistent/mirelane/Templates").empty());
}

TEST(TemplateFileAt, PositionsFromOneAndOutOfBoundsMessage) {
  TempFolder dir;
  for (const char* name : {"BOX1.ini", "BOX2.ini"}) dir.Touch(name);
  EXPECT_EQ(TemplateFileAt(dir.Path(), 1), "BOX1.ini");
  EXPECT_EQ(TemplateFileAt(dir.Path(), 2), "BOX2.ini");
  struct Case {
    int32_t index;
    const char* message;
  };
  for (const Case& c : {Case{3, "List index out of bounds (2)"}, Case{0, "List index out of bounds (-1)"},
                        Case{15, "List index out of bounds (14)"}}) {
    try {
      TemplateFileAt(dir.Path(), c.index);
      ADD_FAILURE() << "no error for " << c.index;
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(TemplateName, DropsTheLastFourCharacters) {
  struct Case {
    const char* file;
    const char* name;
  };
  for (const Case& c : {Case{"CD1.ini", "CD1"}, Case{"BOXED", "B"}, Case{"abcd", ""}, Case{"a", ""},
                        Case{"01 Software box.ini", "01 Software box"}}) {
    EXPECT_EQ(TemplateName(c.file), c.name) << c.file;
  }
}

TEST(TemplateAt, GivesNameAndPreviewPathOfThePosition) {
  TempFolder root;
  fs::create_directories(root.Path() / "Templates");
  for (const char* name : {"BOX1.ini", "BOX2.ini", "CD1.ini"})
    std::ofstream(root.Path() / "Templates" / name);
  const TemplateEntry entry = TemplateAt(root.Path(), 3);
  EXPECT_EQ(entry.FileName, "CD1.ini");
  EXPECT_EQ(entry.Name, "CD1");
  EXPECT_EQ(entry.PreviewPath, root.Path() / "Pics" / "CD1.jpg");
  EXPECT_THROW(TemplateAt(root.Path(), 4), Error);
}

}  // namespace
}  // namespace mirelane
