// Raised when checked 16-bit arithmetic leaves its range.
#pragma once

#include <stdexcept>
#include <string>

namespace geodata {

class OverflowError : public std::overflow_error {
 public:
  explicit OverflowError(const std::string& what) : std::overflow_error("overflow: " + what) {}
};

}  // namespace geodata
