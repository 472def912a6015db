// Bounds-checked reading of little- and big-endian numbers from a file image in memory, and the read
// position the C libraries' read callbacks take their bytes from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace mirelane {

// Every read outside the bytes yields false, so a lying header can never read past the end.
class TByteReader {
 public:
  explicit TByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t Size() const { return bytes_.size(); }
  bool Has(size_t offset, size_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }

  bool U8(size_t offset, uint32_t& value) const {
    if (!Has(offset, 1)) return false;
    value = bytes_[offset];
    return true;
  }
  bool U16Le(size_t offset, uint32_t& value) const {
    if (!Has(offset, 2)) return false;
    value = bytes_[offset] | (uint32_t{bytes_[offset + 1]} << 8);
    return true;
  }
  bool U32Le(size_t offset, uint32_t& value) const {
    if (!Has(offset, 4)) return false;
    value = bytes_[offset] | (uint32_t{bytes_[offset + 1]} << 8) | (uint32_t{bytes_[offset + 2]} << 16) |
            (uint32_t{bytes_[offset + 3]} << 24);
    return true;
  }
  bool U16Be(size_t offset, uint32_t& value) const {
    if (!Has(offset, 2)) return false;
    value = (uint32_t{bytes_[offset]} << 8) | bytes_[offset + 1];
    return true;
  }
  bool U32Be(size_t offset, uint32_t& value) const {
    if (!Has(offset, 4)) return false;
    value = (uint32_t{bytes_[offset]} << 24) | (uint32_t{bytes_[offset + 1]} << 16) |
            (uint32_t{bytes_[offset + 2]} << 8) | bytes_[offset + 3];
    return true;
  }
  std::span<const uint8_t> Bytes() const { return bytes_; }

 private:
  std::span<const uint8_t> bytes_;
};

// Plain data without a destructor, so that it may live in frames libpng leaves through longjmp.
struct TMemorySource {
  const uint8_t* data;
  size_t size;
  size_t position;  // never beyond size

  size_t Remaining() const { return size - position; }
  // Copies up to count bytes from the position on and moves past them; returns how many (0 at the end).
  size_t Take(void* out, size_t count) {
    const size_t n = count < Remaining() ? count : Remaining();
    if (n == 0) return 0;
    std::memcpy(out, data + position, n);
    position += n;
    return n;
  }
};

}  // namespace mirelane
