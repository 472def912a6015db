// Replacing a saved file: through symbolic links, keeping mode and owner, refusing what is no
// regular file or is read-only, long names, and cleaning up after an interrupting signal.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>

#include "picture/decode_checks.h"
#include "picture/file_replacement.h"
#include "picture/picture_fixtures.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;
using fixtures::Bytes;
using fixtures::MessageOf;
using fixtures::ReadFileBytes;
using fixtures::TempFolder;
using fixtures::WriteBytes;

const Bytes kOld = {1, 2, 3};
const Bytes kNew = {9, 8, 7, 6};

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode;
}

TEST(WriteFileAtomically, ALinkStaysAndItsTargetIsReplaced) {
  const struct {
    const char* name;
    // Builds the links in the folder and returns the file name to save to and the file that must change.
    std::pair<std::string, std::string> (*make)(const TempFolder&);
  } cases[] = {
      {"absolute link",
       [](const TempFolder& f) {
         WriteBytes(f.File("real.png"), kOld);
         fs::create_symlink(f.File("real.png"), f.File("link.png"));
         return std::pair{f.File("link.png"), f.File("real.png")};
       }},
      {"chain of two relative links",
       [](const TempFolder& f) {
         WriteBytes(f.File("real.png"), kOld);
         fs::create_symlink("real.png", f.File("middle.png"));
         fs::create_symlink("middle.png", f.File("link.png"));
         return std::pair{f.File("link.png"), f.File("real.png")};
       }},
      {"relative link into another folder",
       [](const TempFolder& f) {
         fs::create_directory(f.File("art"));
         fs::create_directory(f.File("out"));
         WriteBytes(f.File("art/real.png"), kOld);
         fs::create_symlink("../art/real.png", f.File("out/link.png"));
         return std::pair{f.File("out/link.png"), f.File("art/real.png")};
       }},
      {"dangling link",
       [](const TempFolder& f) {
         fs::create_symlink("made.png", f.File("link.png"));
         return std::pair{f.File("link.png"), f.File("made.png")};
       }},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    const auto [name, target] = c.make(folder);
    const fs::path linkTo = fs::read_symlink(name);
    std::set<std::string> before = Names(folder.Path());
    if (fs::path(target).parent_path() == folder.Path()) {
      before.insert(fs::path(target).filename().string());  // the dangling link's target is new
    }
    WriteFileAtomically(name, kNew);
    EXPECT_TRUE(fs::is_symlink(name)) << c.name;
    EXPECT_EQ(fs::read_symlink(name), linkTo) << c.name;
    EXPECT_EQ(ReadFileBytes(target), kNew) << c.name;
    EXPECT_TRUE(S_ISREG(ModeOf(target))) << c.name;
    EXPECT_EQ(Names(folder.Path()), before) << c.name;
    if (fs::exists(folder.File("art"))) {
      EXPECT_EQ(Names(folder.File("art")), std::set<std::string>{"real.png"}) << c.name;
    }
  }
}

// A read-only file is refused by its mode, not by access(): root may write any file, yet a file
// without any write bit was marked read-only on purpose and is kept for root too.
TEST(WriteFileAtomically, RefusesWhatIsNoWritableRegularFileAndKeepsIt) {
  const struct {
    const char* name;
    void (*make)(const TempFolder&);
    std::string reason;  // %T stands for the folder
  } cases[] = {
      {"folder", [](const TempFolder& f) { fs::create_directory(f.File("shot.png")); }, "It is a folder."},
      {"link to a folder",
       [](const TempFolder& f) {
         fs::create_directory(f.File("dir"));
         fs::create_symlink(f.File("dir"), f.File("shot.png"));
       },
       "It is a link to the folder \"%T/dir\"."},
      {"fifo", [](const TempFolder& f) { ASSERT_EQ(::mkfifo(f.File("shot.png").c_str(), 0644), 0); },
       "It is not a regular file."},
      {"link to a fifo",
       [](const TempFolder& f) {
         ASSERT_EQ(::mkfifo(f.File("pipe").c_str(), 0644), 0);
         fs::create_symlink("pipe", f.File("shot.png"));
       },
       "It is a link to \"%T/pipe\", which is not a regular file."},
      {"read-only file",
       [](const TempFolder& f) {
         WriteBytes(f.File("shot.png"), kOld);
         fs::permissions(f.File("shot.png"), fs::perms(0444));
       },
       "The file is read-only."},
      {"link to a read-only file",
       [](const TempFolder& f) {
         WriteBytes(f.File("real.png"), kOld);
         fs::permissions(f.File("real.png"), fs::perms(0440));
         fs::create_symlink(f.File("real.png"), f.File("shot.png"));
       },
       "Its target \"%T/real.png\" is read-only."},
      {"link loop",
       [](const TempFolder& f) {
         fs::create_symlink("other.png", f.File("shot.png"));
         fs::create_symlink("shot.png", f.File("other.png"));
       },
       "Too many levels of symbolic links"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    c.make(folder);
    const std::set<std::string> before = Names(folder.Path());
    std::string reason = c.reason;
    if (const size_t at = reason.find("%T"); at != std::string::npos) reason.replace(at, 2, folder.Path());
    const std::string name = folder.File("shot.png");
    EXPECT_EQ(MessageOf([&] { WriteFileAtomically(name, kNew); }),
              "Cannot create file \"" + name + "\". " + reason)
        << c.name;
    EXPECT_EQ(Names(folder.Path()), before) << c.name;
    std::error_code ignored;
    if (fs::is_regular_file(name, ignored)) {
      EXPECT_EQ(ReadFileBytes(name), kOld) << c.name;
    }
  }
}

TEST(WriteFileAtomically, AReplacedFileKeepsItsModeAndANewOneFollowsTheUmask) {
  const struct {
    mode_t existing;  // 0: no file before
    mode_t umask;
    mode_t expected;
  } cases[] = {
      {0640, 022, 0640}, {0604, 077, 0604}, {0200, 022, 0200}, {0, 022, 0644}, {0, 077, 0600}, {0, 0, 0666},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    const std::string name = folder.File("shot.bmp");
    if (c.existing != 0) {
      WriteBytes(name, kOld);
      ASSERT_EQ(::chmod(name.c_str(), c.existing), 0);
    }
    const mode_t previous = ::umask(c.umask);
    WriteFileAtomically(name, kNew);
    ::umask(previous);
    EXPECT_EQ(ModeOf(name) & 07777, c.expected) << std::oct << c.existing << " umask " << c.umask;
    fs::permissions(name, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(ReadFileBytes(name), kNew);
  }
}

TEST(WriteFileAtomically, AReplacedFileKeepsItsOwnerWhereAllowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  TempFolder folder;
  const std::string name = folder.File("shot.png");
  WriteBytes(name, kOld);
  ASSERT_EQ(::chown(name.c_str(), 4321, 8765), 0);
  WriteFileAtomically(name, kNew);
  struct stat info {};
  ASSERT_EQ(::stat(name.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 4321u);
  EXPECT_EQ(info.st_gid, 8765u);
}

TEST(WriteFileAtomically, NamesUpToTheFileSystemsLimitCanBeSaved) {
  for (const size_t length : {size_t{251}, size_t{255}}) {
    TempFolder folder;
    const std::string base = std::string(length - 4, 'n') + ".png";
    ASSERT_EQ(base.size(), length);
    WriteFileAtomically(folder.File(base), kNew);
    EXPECT_EQ(ReadFileBytes(folder.File(base)), kNew) << length;
    EXPECT_EQ(Names(folder.Path()), std::set<std::string>{base}) << length;
  }
}

TEST(WriteFileAtomically, SignalHandlingIsOnlyInPlaceDuringTheSave) {
  struct sigaction during {};
  static struct sigaction* seen = &during;
  test_seam::saveProgressHook = [](const char*, size_t) { ::sigaction(SIGTERM, nullptr, seen); };
  TempFolder folder;
  WriteFileAtomically(folder.File("shot.png"), kNew);
  test_seam::saveProgressHook = nullptr;
  EXPECT_NE(during.sa_handler, SIG_DFL);
  struct sigaction after {};
  ::sigaction(SIGTERM, nullptr, &after);
  EXPECT_EQ(after.sa_handler, SIG_DFL);
}

// The save runs in a child that stops after the first piece has reached the temporary file and
// reports that file's name; the parent then ends the child with a signal.
TEST(WriteFileAtomically, AnInterruptingSignalRemovesTheTemporaryFile) {
  static int reportFd = -1;
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    TempFolder folder;
    const std::string name = folder.File("big.bmp");
    WriteBytes(name, kOld);
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(channel[0]);
      reportFd = channel[1];
      test_seam::saveProgressHook = [](const char* temporaryPath, size_t) {
        const std::string line = std::string(temporaryPath) + "\n";
        if (::write(reportFd, line.data(), line.size()) < 0) ::_exit(4);
        for (;;) ::pause();
      };
      try {
        WriteFileAtomically(name, Bytes(size_t{3} << 20, 0x55));
      } catch (...) {
      }
      ::_exit(3);
    }
    ::close(channel[1]);
    std::string temporary;
    char c = 0;
    while (::read(channel[0], &c, 1) == 1 && c != '\n') temporary += c;
    ::close(channel[0]);
    ASSERT_FALSE(temporary.empty()) << "the child reported no temporary file";
    EXPECT_EQ(fs::path(temporary).parent_path(), fs::path(folder.Path()));
    EXPECT_TRUE(fs::exists(temporary));
    EXPECT_EQ(fs::file_size(temporary), size_t{1} << 20);
    ASSERT_EQ(::kill(child, signalNumber), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status)) << signalNumber;
    if (WIFSIGNALED(status)) {
      EXPECT_EQ(WTERMSIG(status), signalNumber);
    }
    EXPECT_FALSE(fs::exists(temporary)) << signalNumber;
    EXPECT_EQ(Names(folder.Path()), std::set<std::string>{"big.bmp"}) << signalNumber;
    EXPECT_EQ(ReadFileBytes(name), kOld) << signalNumber;
  }
}

}  // namespace
}  // namespace mirelane
