// Reading whole files the way every reader of the program should: only regular files, and never
// waiting on a named pipe or a device that was given instead.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster/error.h"

namespace mirelane {

// Closes a POSIX file descriptor on every path.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  ~TFileDescriptor() { Close(); }
  int Get() const { return fd_; }
  // The result of close(2); later calls do nothing.
  int Close();

 private:
  int fd_;
};

// Why a file could not be read, in words that do not repeat its name (the system's reason, or
// "It is a named pipe, not a file."), so that each caller can put the name in its own message.
class FileReadError : public Error {
 public:
  using Error::Error;
};

// The whole content of a regular file of at most maxBytes. A folder, named pipe, device or socket
// fails at once, without being opened in a way that could block; so does a larger file.
std::vector<uint8_t> ReadRegularFile(const std::string& path, uint64_t maxBytes);

}  // namespace mirelane
