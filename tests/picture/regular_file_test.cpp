// ReadRegularFile: whole regular files up to a limit; everything else fails with words that leave the
// file's name to the caller.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "picture/picture_fixtures.h"
#include "picture/regular_file.h"

namespace mirelane {
namespace {

std::string Reason(const std::string& path, uint64_t maxBytes) {
  try {
    ReadRegularFile(path, maxBytes);
  } catch (const FileReadError& e) {
    return e.what();
  }
  return "(read)";
}

TEST(ReadRegularFile, ReadsUpToItsLimitAndRefusesTheRestInWords) {
  fixtures::TempFolder folder;
  const std::string file = folder.File("five.bin");
  std::ofstream(file, std::ios::binary) << "12345";
  EXPECT_EQ(ReadRegularFile(file, 5), (std::vector<uint8_t>{'1', '2', '3', '4', '5'}));
  ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
  const struct {
    std::string path;
    uint64_t maxBytes;
    const char* reason;
  } cases[] = {
      {file, 4, "The file is too large."},
      {folder.File("missing"), 100, "No such file or directory"},
      {folder.Path(), 100, "Is a directory"},
      {folder.File("pipe"), 100, "It is a named pipe, not a file."},
      {"/dev/zero", 100, "It is a device, not a file."},
  };
  for (const auto& c : cases) EXPECT_EQ(Reason(c.path, c.maxBytes), c.reason) << c.path;
}

}  // namespace
}  // namespace mirelane
