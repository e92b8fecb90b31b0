# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# which std::thread and Qt need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
# Qt and GoogleTest for Windows, as scripts/windows/build-qt leaves them: the
# build of the current recipe is linked as qt/current in the cache.
if(DEFINED ENV{GEODATA_WIN_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{GEODATA_WIN_PREFIX})
elseif(DEFINED ENV{GEODATA_WIN_CACHE})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{GEODATA_WIN_CACHE}/qt/current/prefix)
else()
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{HOME}/.cache/geodata-viewer/windows/qt/current/prefix)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
