// Windows opens a path longer than 260 characters only in its extended form
// (\\?\C:\... or \\?\UNC\server\share\...), which it takes as it is: "/" is
// no separator there, and the periods and spaces that Windows drops from a
// typed name stay. The file dialog, where every path comes from, gives
// absolute paths with "." and ".." already resolved. Plain text work, so it
// is tested on every system.
#pragma once

#include <string>
#include <string_view>

namespace geodata {

// `path` is UTF-8. A path on a drive or a share comes back extended, the
// periods and spaces Windows would drop dropped; any other comes back as it
// is, for Windows to read itself.
std::string ExtendedWindowsPath(std::string_view path);

}  // namespace geodata
