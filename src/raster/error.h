// The one error type of the system: a failure with the message text the user sees.
#pragma once

#include <stdexcept>
#include <string>

namespace mirelane {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace mirelane
