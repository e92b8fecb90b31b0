// Windows opens a path longer than 260 characters only in its extended form
// (\\?\C:\... or \\?\UNC\server\share\...), which the system takes as it
// is: no "." or ".." resolved, no "/" read as a separator, no relative
// path. So the path is first made whole as Windows would make it, then
// given the prefix. Plain text work, so it is tested on every system.
#pragma once

#include <string>
#include <string_view>

namespace geodata {

// `path` and `current_directory` are UTF-8; the current directory is
// absolute, in either form. Paths already extended, device paths (\\.\...,
// NUL, COM1) and the empty path come back as they are.
std::string ExtendedWindowsPath(std::string_view path, std::string_view current_directory);

}  // namespace geodata
