// The template catalogue: listing order, names, positions and their failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "raster/error.h"
#include "templates/render_template.h"
#include "templates/template_catalogue.h"

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

TEST(CatalogueEntryAt, PositionsFromOneAndOutOfBoundsMessage) {
  TempFolder dir;
  fs::create_directory(dir.Path() / "Templates");
  for (const char* name : {"BOX1.ini", "BOX2.ini"}) std::ofstream(dir.Path() / "Templates" / name) << "x";
  EXPECT_EQ(CatalogueEntryAt(dir.Path(), {}, 1).FileName, "BOX1.ini");
  EXPECT_EQ(CatalogueEntryAt(dir.Path(), {}, 2).FileName, "BOX2.ini");
  struct Case {
    int32_t index;
    const char* message;
  };
  for (const Case& c : {Case{3, "List index out of bounds (2)"}, Case{0, "List index out of bounds (-1)"},
                        Case{15, "List index out of bounds (14)"}}) {
    try {
      CatalogueEntryAt(dir.Path(), {}, c.index);
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

TEST(UserDataFolder, FollowsTheXdgRule) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/data/me", "/home/me", "/data/me/mirelane-creator"},
      {nullptr, "/home/me", "/home/me/.local/share/mirelane-creator"},
      {"", "/home/me", "/home/me/.local/share/mirelane-creator"},
      {"relative/dir", "/home/me", "/home/me/.local/share/mirelane-creator"},  // not absolute: ignored
      {nullptr, nullptr, ""},
      {nullptr, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " / " + (c.home ? c.home : "(unset)"));
    EXPECT_EQ(UserDataFolder(c.xdg, c.home), fs::path(c.expected));
  }
}

TEST(ListCatalogue, TheUsersTemplatesFollowTheShippedOnes) {
  TempFolder folder;
  const fs::path root = folder.Path() / "shipped", user = folder.Path() / "user";
  fs::create_directories(root / "Templates");
  fs::create_directories(user / "Templates");
  for (const char* name : {"b shipped.ini", "A shipped.ini"}) std::ofstream(root / "Templates" / name);
  for (const char* name : {"a mine.ini", "Z mine.ini"}) std::ofstream(user / "Templates" / name);

  const std::vector<CatalogueEntry> entries = ListCatalogue(root, user);
  ASSERT_EQ(entries.size(), 4u);
  const char* const names[] = {"A shipped", "b shipped", "a mine", "Z mine"};
  for (size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].Name, names[i]);
    const fs::path home = i < 2 ? root : user;
    EXPECT_EQ(entries[i].UserOwn, i >= 2);
    EXPECT_EQ(entries[i].TemplateFile, home / "Templates" / entries[i].FileName);
    EXPECT_EQ(entries[i].PreviewPath, home / "Pics" / (entries[i].Name + ".jpg"));
  }
  // Stepping reaches the user's templates by the same positions, and stops after them.
  EXPECT_EQ(TemplateAt(root, 4, user).Name, "Z mine");
  EXPECT_EQ(CatalogueEntryAt(root, user, 3).TemplateFile, user / "Templates" / "a mine.ini");
  EXPECT_THROW(CatalogueEntryAt(root, user, 5), Error);
  // Without a user folder, or with one that is the data folder itself, only the shipped ones.
  EXPECT_EQ(ListCatalogue(root, {}).size(), 2u);
  EXPECT_EQ(ListCatalogue(root, root).size(), 2u);
  EXPECT_EQ(ListCatalogue(root, folder.Path() / "missing").size(), 2u);
}

}  // namespace
}  // namespace mirelane
