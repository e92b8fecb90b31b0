// Raised by every store access whose index lies outside its bounds.
#pragma once

#include <stdexcept>
#include <string>

namespace geodata {

class SubscriptError : public std::out_of_range {
 public:
  SubscriptError(std::string array, std::string index, long value, long low, long high)
      : std::out_of_range("subscript out of range: " + array + " index " + index + " = " +
                          std::to_string(value) + " is outside " + std::to_string(low) +
                          ".." + std::to_string(high)),
        index_(std::move(index)),
        high_(high) {}

  const std::string& index() const { return index_; }
  long high() const { return high_; }

 private:
  std::string index_;
  long high_;
};

}  // namespace geodata
