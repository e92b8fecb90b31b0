#include "region/windows_path.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace geodata {
namespace {

constexpr std::string_view kExtended = R"(\\?\)";
constexpr std::string_view kExtendedUnc = R"(\\?\UNC\)";
constexpr std::string_view kDevice = R"(\\.\)";
constexpr std::string_view kNtObject = R"(\??\)";
// Names that Windows reads as devices wherever they stand; the extended
// form would make them plain names.
constexpr std::array<std::string_view, 22> kDeviceNames = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && Upper(path[0]) >= 'A' && Upper(path[0]) <= 'Z';
}

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

std::vector<std::string_view> Names(std::string_view path) {
  std::vector<std::string_view> names;
  std::size_t at = 0;
  while (at < path.size()) {
    const auto end = std::find_if(path.begin() + static_cast<std::ptrdiff_t>(at), path.end(), IsSeparator);
    const auto stop = static_cast<std::size_t>(end - path.begin());
    if (stop > at) names.push_back(path.substr(at, stop - at));
    at = stop + 1;
  }
  return names;
}

bool NamesADevice(std::string_view path) {
  const std::vector<std::string_view> names = Names(path);
  if (names.empty()) return false;
  std::string_view name = names.back().substr(0, names.back().find('.'));
  while (!name.empty() && (name.back() == ' ' || name.back() == ':')) name.remove_suffix(1);
  return std::any_of(kDeviceNames.begin(), kDeviceNames.end(),
                     [name](std::string_view device) { return SameLetters(name, device); });
}

// An absolute path: its drive ("C:") or share ("server\share"), then names.
struct WholePath {
  bool unc = false;
  std::string root;
  std::vector<std::string> names;

  // Walks `path` from here as Windows does: "." stays, ".." goes up but
  // never above the drive or the share.
  void Walk(std::string_view path) {
    for (const std::string_view name : Names(path)) {
      if (name == ".") continue;
      if (name == "..") {
        if (!names.empty()) names.pop_back();
        continue;
      }
      names.emplace_back(name);
    }
  }

  // Windows drops one period that ends a name, and every period and space
  // that ends the path unless a separator follows them.
  void Trim(bool ends_with_separator) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      std::string& name = names[i];
      if (i + 1 == names.size() && !ends_with_separator) {
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
      } else if (name.size() >= 2 && name.back() == '.' && name[name.size() - 2] != '.') {
        name.pop_back();
      }
    }
    std::erase_if(names, [](const std::string& name) { return name.empty(); });
  }

  std::string Extended() const {
    std::string out(unc ? kExtendedUnc : kExtended);
    out += root;
    out += '\\';
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i > 0) out += '\\';
      out += names[i];
    }
    return out;
  }
};

// The start of an absolute path ("C:\..." or "\\server\share\..."), and in
// `rest` what follows it.
std::optional<WholePath> Start(std::string_view path, std::string_view& rest) {
  if (HasDrive(path) && path.size() >= 3 && IsSeparator(path[2])) {
    rest = path.substr(2);
    return WholePath{false, std::string(path.substr(0, 2)), {}};
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    const std::vector<std::string_view> names = Names(path);
    if (names.size() < 2) return std::nullopt;
    rest = path.substr(static_cast<std::size_t>(names[1].data() + names[1].size() - path.data()));
    return WholePath{true, std::string(names[0]) + '\\' + std::string(names[1]), {}};
  }
  return std::nullopt;
}

// The current directory as a plain absolute path, whichever form it came in.
std::string Plain(std::string_view directory) {
  if (directory.starts_with(kExtendedUnc)) return R"(\\)" + std::string(directory.substr(kExtendedUnc.size()));
  if (directory.starts_with(kExtended)) return std::string(directory.substr(kExtended.size()));
  return std::string(directory);
}

}  // namespace

std::string ExtendedWindowsPath(std::string_view path, std::string_view current_directory) {
  if (path.empty() || path.starts_with(kExtended) || path.starts_with(kDevice) || path.starts_with(kNtObject) ||
      NamesADevice(path)) {
    return std::string(path);
  }
  std::string_view rest;
  std::optional<WholePath> whole = Start(path, rest);
  if (!whole) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return std::string(path);  // no share
    const std::string here = Plain(current_directory);
    std::string_view here_rest;
    whole = Start(here, here_rest);
    if (!whole) return std::string(path);
    whole->Walk(here_rest);
    rest = path;
    if (HasDrive(path)) {
      // "D:name" is relative to the current directory only on its drive;
      // elsewhere it is taken from the drive's root.
      if (whole->unc || !SameLetters(whole->root, path.substr(0, 2))) {
        *whole = {false, std::string(path.substr(0, 2)), {}};
      }
      rest = path.substr(2);
    } else if (IsSeparator(path.front())) {
      whole->names.clear();  // from the root of the current drive or share
    }
  }
  whole->Walk(rest);
  whole->Trim(IsSeparator(path.back()));
  return whole->Extended();
}

}  // namespace geodata
