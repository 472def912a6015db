// The tent kernel the linear resampler convolves with, and the registry's kernel class names.
#pragma once

#include <string>
#include <vector>

namespace mirelane {

class TLinearKernel {
 public:
  // The value at the signed distance x: 1 - |x| inside (-1, 1).
  float KernelAt(float x) const;
  float KernelRadius() const { return 1.0f; }
};

// The kernel class names in the registry's fixed order, as the hidden kernel list shows them.
// No resampler of the program takes a kernel of its choice, so they are names only.
const std::vector<std::string>& KernelClassNames();

}  // namespace mirelane
