#include <array>
#include <charconv>
#include <cmath>

#include "window/panels.h"

namespace geodata {
namespace {

void AppendNumber(std::string& line, double value) {
  // Zero (negative zero included) and positive numbers take a leading space.
  if (value < 0) {
    line += '-';
    value = -value;
  } else {
    line += ' ';
    value = std::fabs(value);
  }
  std::array<char, 64> digits{};
  auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                 std::chars_format::fixed);
  if (ec != std::errc()) {
    end = digits.data();
  }
  line.append(digits.data(), end);
  line += ' ';
}

}  // namespace

std::string ComposeLine(std::initializer_list<PrintItem> items) {
  std::string line;
  for (const PrintItem& item : items) {
    if (const auto* text = std::get_if<std::string_view>(&item)) {
      line += *text;
    } else {
      AppendNumber(line, std::get<double>(item));
    }
  }
  return line;
}

}  // namespace geodata
