#include "region/windows_path.h"

#include <vector>

namespace geodata {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool OnADrive(std::string_view path) {
  const char letter = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
  return path.size() >= 3 && letter >= 'a' && letter <= 'z' && path[1] == ':' && IsSeparator(path[2]);
}

bool OnAShare(std::string_view path) {
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

// The names between separators, empty ones left out.
std::vector<std::string> Names(std::string_view path) {
  std::vector<std::string> names(1);
  for (const char c : path) {
    if (!IsSeparator(c)) {
      names.back() += c;
    } else if (!names.back().empty()) {
      names.emplace_back();
    }
  }
  if (names.back().empty()) names.pop_back();
  return names;
}

}  // namespace

std::string ExtendedWindowsPath(std::string_view path) {
  std::string extended;
  if (OnADrive(path)) {
    extended = R"(\\?\)";
  } else if (OnAShare(path)) {
    extended = R"(\\?\UNC\)";
  } else {
    return std::string(path);
  }
  std::vector<std::string> names = Names(path);
  const bool ends_with_separator = IsSeparator(path.back());
  for (std::size_t i = 1; i < names.size(); ++i) {
    // Windows drops every period and space that ends the path, and a single
    // period that ends any other name.
    std::string& name = names[i];
    if (i + 1 == names.size() && !ends_with_separator) {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    } else if (name.size() >= 2 && name.back() == '.' && name[name.size() - 2] != '.') {
      name.pop_back();
    }
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].empty()) continue;
    if (i > 0) extended += '\\';
    extended += names[i];
  }
  return extended;
}

}  // namespace geodata
