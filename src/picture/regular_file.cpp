// Whole-file reading with the checks that keep special files from blocking or never ending.
#include "picture/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mirelane {

namespace {

// A folder, named pipe, device or socket would fail, block or never end.
void RefuseSpecialFile(mode_t mode) {
  if (S_ISREG(mode)) return;
  if (S_ISDIR(mode)) throw FileReadError(std::strerror(EISDIR));
  const char* kind = S_ISFIFO(mode)                   ? "a named pipe"
                     : S_ISSOCK(mode)                 ? "a socket"
                     : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                                      : "no regular file";
  throw FileReadError(std::string("It is ") + kind + ", not a file.");
}

}  // namespace

int TFileDescriptor::Close() {
  const int result = fd_ >= 0 ? ::close(fd_) : 0;
  fd_ = -1;
  return result;
}

std::vector<uint8_t> ReadRegularFile(const std::string& path, uint64_t maxBytes) {
  auto fail = [](int code) { return FileReadError(std::strerror(code)); };
  // Judged before opening, so that opening a pipe or a device never waits or acts.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) throw fail(errno);
  RefuseSpecialFile(info.st_mode);
  // Without blocking, in case the name was replaced by a pipe in between; fstat judges what was opened.
  TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.Get() < 0) throw fail(errno);
  if (::fstat(file.Get(), &info) != 0) throw fail(errno);
  RefuseSpecialFile(info.st_mode);
  if (static_cast<uint64_t>(info.st_size) > maxBytes) throw FileReadError("The file is too large.");
  // Read to the end rather than to the size stat gave: the file may change meanwhile, and some
  // (those of /proc) report no size at all.
  std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size) + 1);
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (done > maxBytes) throw FileReadError("The file is too large.");
      bytes.resize(static_cast<size_t>(std::min<uint64_t>(maxBytes + 1, uint64_t{done} * 2 + 4096)));
    }
    const ssize_t got = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw fail(errno);
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  if (done > maxBytes) throw FileReadError("The file is too large.");
  bytes.resize(done);
  return bytes;
}

}  // namespace mirelane
