// The data-folder lookup: beside the executable first, then the installation's share folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "templates/data_root.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

class DataRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() /
        ("mirelane_data_root_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(root_ / "bin");
    std::ofstream(root_ / "bin" / "mirelane-creator") << "x";
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path Exe() const { return root_ / "bin" / "mirelane-creator"; }
  fs::path root_;
};

TEST_F(DataRootTest, FindDataRoot_NothingAnywhere_GivesExecutableFolder) {
  EXPECT_EQ(FindDataRoot(Exe()), root_ / "bin");
}

TEST_F(DataRootTest, FindDataRoot_EachDataFolderBesideExecutable_WinsOverShare) {
  fs::create_directories(root_ / "share" / "mirelane-creator" / "Templates");
  for (const char* name : {"Templates", "Pics", "custom", "Data"}) {
    fs::create_directories(root_ / "bin" / name);
    EXPECT_EQ(FindDataRoot(Exe()), root_ / "bin") << name;
    fs::remove_all(root_ / "bin" / name);
  }
}

TEST_F(DataRootTest, FindDataRoot_OnlyInstalledShare_GivesShareFolder) {
  fs::create_directories(root_ / "share" / "mirelane-creator" / "Data");
  EXPECT_EQ(FindDataRoot(Exe()), root_ / "share" / "mirelane-creator");
}

TEST_F(DataRootTest, FindDataRoot_FileNamedLikeDataFolder_DoesNotCount) {
  std::ofstream(root_ / "bin" / "Templates") << "not a folder";
  fs::create_directories(root_ / "share" / "mirelane-creator" / "Pics");
  EXPECT_EQ(FindDataRoot(Exe()), root_ / "share" / "mirelane-creator");
}

}  // namespace
}  // namespace mirelane
