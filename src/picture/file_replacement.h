// Replacing a file all at once: the bytes go to a hidden temporary file in the target's folder,
// which is renamed over the target only when it is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mirelane {

// Where a save of fileName really writes: the end of its chain of symbolic links (the name
// itself when it is no link). Fails naming the path when the chain loops, or when what it ends
// in exists and is not a regular file (a folder, a device, a FIFO).
std::string ReplacementTarget(const std::string& fileName);

// Replaces fileName with exactly these bytes, or fails and leaves it as it was.
// A symbolic link stays and its target is replaced. A replaced file keeps its permission bits
// and, where the system allows it, its owner and group; a new file gets 0666 less the umask.
// A file without any write bit, or one the user may not write, is refused.
// Should SIGINT, SIGTERM or SIGHUP end the program during the save, the temporary file is removed.
void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes);
// The same for a file made of pieces written one after another, so that a picture's rows can go to
// the file straight from the picture, without a file-sized copy.
void WriteFileAtomically(const std::string& fileName, std::span<const std::span<const uint8_t>> pieces);

namespace test_seam {
// Called after each piece of the bytes has reached the temporary file, with its name; lets a
// test stop a save halfway. Null in the program.
using TSaveProgressHook = void (*)(const char* temporaryPath, size_t bytesWritten);
extern TSaveProgressHook saveProgressHook;
}  // namespace test_seam

}  // namespace mirelane
