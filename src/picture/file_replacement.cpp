// All-or-nothing file replacement shared by the picture writers: through symbolic links, keeping
// the replaced file's mode and owner, and cleaning up its temporary file when the program is
// interrupted.
#include "picture/file_replacement.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <iterator>
#include <mutex>
#include <random>

#include "picture/regular_file.h"
#include "raster/error.h"

namespace mirelane {

namespace test_seam {
TSaveProgressHook saveProgressHook = nullptr;
}  // namespace test_seam

namespace {

// The kernel's own limit on following links.
constexpr int kMaxLinkHops = 40;
// The bytes go out in pieces of this size, so an interruption can come in the middle of a save.
constexpr size_t kWritePiece = size_t{1} << 20;
// ".ml" and six random characters: short enough for any folder that can hold the target.
constexpr char kTemporaryPrefix[] = ".ml";
constexpr int kTemporaryRandomLetters = 6;
constexpr int kTemporaryNameAttempts = 100;

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kCleanupSignalCount = static_cast<int>(std::size(kCleanupSignals));

// What the signal handler may read: one slot per save in progress, its path written before its
// flag is raised. Saves on several threads (a batch) each hold a slot.
constexpr int kCleanupSlots = 64;
char gTemporaryPaths[kCleanupSlots][PATH_MAX];
volatile std::sig_atomic_t gTemporaryArmed[kCleanupSlots] = {};

extern "C" void RemoveTemporaryFileAndEnd(int signalNumber) {
  for (int slot = 0; slot < kCleanupSlots; ++slot)
    if (gTemporaryArmed[slot] != 0) ::unlink(gTemporaryPaths[slot]);
  // The save only stepped in for the default action: restore it and let it end the program,
  // so the exit status still tells which signal it was.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signalNumber, &fallback, nullptr);
  ::raise(signalNumber);
}

// The handlers are installed by the first save in progress and the previous ones restored by the
// last, so saves on several threads never undo each other's cover. Guarded by gCleanupLock.
std::mutex gCleanupLock;
int gSavesInProgress = 0;
bool gInstalled[std::size(kCleanupSignals)] = {};
struct sigaction gPrevious[std::size(kCleanupSignals)] = {};
bool gSlotTaken[kCleanupSlots] = {};

// For the time of one save, signals that would end the program first remove its temporary file.
// Signals the program ignores or handles itself are left alone.
class TInterruptCleanup {
 public:
  TInterruptCleanup() {
    const std::lock_guard<std::mutex> hold(gCleanupLock);
    if (gSavesInProgress++ > 0) return;
    for (int i = 0; i < kCleanupSignalCount; ++i) {
      gInstalled[i] = false;
      struct sigaction current {};
      if (::sigaction(kCleanupSignals[i], nullptr, &current) != 0) continue;
      if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
      struct sigaction cleanup {};
      cleanup.sa_handler = RemoveTemporaryFileAndEnd;
      sigemptyset(&cleanup.sa_mask);
      for (const int other : kCleanupSignals) sigaddset(&cleanup.sa_mask, other);
      gInstalled[i] = ::sigaction(kCleanupSignals[i], &cleanup, &gPrevious[i]) == 0;
    }
  }
  TInterruptCleanup(const TInterruptCleanup&) = delete;
  TInterruptCleanup& operator=(const TInterruptCleanup&) = delete;
  ~TInterruptCleanup() {
    Disarm();
    const std::lock_guard<std::mutex> hold(gCleanupLock);
    if (--gSavesInProgress > 0) return;
    for (int i = 0; i < kCleanupSignalCount; ++i)
      if (gInstalled[i]) ::sigaction(kCleanupSignals[i], &gPrevious[i], nullptr);
  }

  // More saves at once than slots, or a path too long: that save is simply not covered.
  void Arm(const std::string& path) {
    if (path.size() >= PATH_MAX) return;
    const std::lock_guard<std::mutex> hold(gCleanupLock);
    for (int slot = 0; slot < kCleanupSlots; ++slot) {
      if (gSlotTaken[slot]) continue;
      gSlotTaken[slot] = true;
      slot_ = slot;
      std::memcpy(gTemporaryPaths[slot], path.c_str(), path.size() + 1);
      std::atomic_signal_fence(std::memory_order_seq_cst);
      gTemporaryArmed[slot] = 1;
      return;
    }
  }
  void Disarm() {
    if (slot_ < 0) return;
    gTemporaryArmed[slot_] = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    const std::lock_guard<std::mutex> hold(gCleanupLock);
    gSlotTaken[slot_] = false;
    slot_ = -1;
  }

 private:
  int slot_ = -1;
};

// Holds back the cleanup signals on this thread, so a file is never created without being known to the
// handler.
class TSignalsHeld {
 public:
  TSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signalNumber : kCleanupSignals) sigaddset(&held, signalNumber);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  TSignalsHeld(const TSignalsHeld&) = delete;
  TSignalsHeld& operator=(const TSignalsHeld&) = delete;
  ~TSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

 private:
  sigset_t previous_;
};

// Removes the temporary file unless it has been renamed into place.
class TTemporaryFile {
 public:
  TTemporaryFile() = default;
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  ~TTemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  void Keep(std::string path) { path_ = std::move(path); }
  const std::string& Path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

Error CannotCreate(const std::string& fileName, const std::string& reason) {
  return Error("Cannot create file \"" + fileName + "\". " + reason);
}

std::string TemporaryName(std::mt19937& random) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string name = kTemporaryPrefix;
  for (int i = 0; i < kTemporaryRandomLetters; ++i) name += kLetters[pick(random)];
  return name;
}

// Creates the temporary file in the folder, readable as a new file of the user's umask would be.
int CreateTemporaryFile(const std::string& folder, TInterruptCleanup& cleanup, TTemporaryFile& temporary) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const std::string path = folder + "/" + TemporaryName(random);
    const TSignalsHeld held;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      temporary.Keep(path);
      cleanup.Arm(path);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

void WriteAll(int fd, std::span<const std::span<const uint8_t>> pieces, const std::string& temporaryPath,
              const std::string& fileName) {
  size_t total = 0;
  for (const std::span<const uint8_t> bytes : pieces) {
    size_t done = 0;
    while (done < bytes.size()) {
      const size_t piece = std::min(kWritePiece, bytes.size() - done);
      const ssize_t written = ::write(fd, bytes.data() + done, piece);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0)
        throw Error("Cannot write file \"" + fileName + "\". " + std::strerror(written < 0 ? errno : EIO));
      done += static_cast<size_t>(written);
      total += static_cast<size_t>(written);
      if (test_seam::saveProgressHook != nullptr) test_seam::saveProgressHook(temporaryPath.c_str(), total);
    }
  }
}

// The replaced file's owner, group and mode go to its successor. Only root may give a file away,
// so a refused owner change is no failure: the new file then belongs to the user who saved it.
void TakeOverOwnerAndMode(int fd, const struct stat& replaced, const std::string& fileName) {
  if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
    if (errno != EPERM) throw CannotCreate(fileName, std::strerror(errno));
    if (::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid) != 0 && errno != EPERM)
      throw CannotCreate(fileName, std::strerror(errno));
  }
  if (::fchmod(fd, replaced.st_mode & 07777) != 0) throw CannotCreate(fileName, std::strerror(errno));
}

void SyncFolder(const std::string& folder) {
  const TFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) ::fsync(dir.Get());  // durability only: the file is in place either way
}

}  // namespace

std::string ReplacementTarget(const std::string& fileName) {
  std::string path = fileName;
  for (int hops = 0;; ++hops) {
    struct stat info {};
    // Nothing there (or an unreachable folder): a new file, whose creation reports any problem.
    if (::lstat(path.c_str(), &info) != 0) return path;
    const bool viaLink = path != fileName;
    if (S_ISLNK(info.st_mode)) {
      if (hops >= kMaxLinkHops) throw CannotCreate(fileName, std::strerror(ELOOP));
      std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1, '\0');
      const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
      if (length < 0) throw CannotCreate(fileName, std::strerror(errno));
      link.resize(static_cast<size_t>(length));
      path = !link.empty() && link[0] == '/' ? link : FolderOf(path) + "/" + link;
      continue;
    }
    if (S_ISDIR(info.st_mode))
      throw CannotCreate(fileName,
                         viaLink ? "It is a link to the folder \"" + path + "\"." : "It is a folder.");
    if (!S_ISREG(info.st_mode))
      throw CannotCreate(fileName, viaLink ? "It is a link to \"" + path + "\", which is not a regular file."
                                           : "It is not a regular file.");
    return path;
  }
}

void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  const std::span<const uint8_t> whole(bytes);
  WriteFileAtomically(fileName, std::span(&whole, 1));
}

void WriteFileAtomically(const std::string& fileName, std::span<const std::span<const uint8_t>> pieces) {
  if (fileName.empty() || fileName.back() == '/') throw CannotCreate(fileName, std::strerror(EISDIR));
  const std::string target = ReplacementTarget(fileName);
  const std::string subject = target == fileName ? "The file" : "Its target \"" + target + "\"";

  struct stat replaced {};
  const bool replacing = ::stat(target.c_str(), &replaced) == 0;
  if (replacing) {
    // Even root, whom the permissions do not stop, keeps off a file its owner marked read-only.
    if ((replaced.st_mode & 0222) == 0) throw CannotCreate(fileName, subject + " is read-only.");
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
      throw CannotCreate(fileName, subject + " may not be written: " + std::strerror(errno) + ".");
  }

  TInterruptCleanup cleanup;  // outlives the temporary file, so its removal is always covered
  TTemporaryFile temporary;
  TFileDescriptor file(CreateTemporaryFile(FolderOf(target), cleanup, temporary));
  if (file.Get() < 0) throw CannotCreate(fileName, std::strerror(errno));
  WriteAll(file.Get(), pieces, temporary.Path(), fileName);
  if (replacing) TakeOverOwnerAndMode(file.Get(), replaced, fileName);
  if (::fsync(file.Get()) != 0)
    throw Error("Cannot write file \"" + fileName + "\". " + std::strerror(errno));
  if (file.Close() != 0) throw Error("Cannot write file \"" + fileName + "\". " + std::strerror(errno));
  if (::rename(temporary.Path().c_str(), target.c_str()) != 0)
    throw CannotCreate(fileName, std::strerror(errno));
  temporary.Release();
  SyncFolder(FolderOf(target));
}

}  // namespace mirelane
