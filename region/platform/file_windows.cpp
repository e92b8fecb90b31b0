#include <windows.h>

#include <algorithm>
#include <string>

#include "region/platform/file.h"
#include "region/windows_path.h"

namespace geodata::platform {
namespace {

[[noreturn]] void Fail(DWORD error) { throw SystemError(Reason(error)); }

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  if (n == 0) Fail(GetLastError());
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const wchar_t* wide, int length) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

// File times count 100 ns steps from 1601-01-01.
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kUnixEpoch = 11'644'473'600 * kTicksPerSecond;

FileTime Time(std::int64_t ticks) {
  const std::int64_t since = ticks - kUnixEpoch;
  std::int64_t s = since / kTicksPerSecond, rest = since % kTicksPerSecond;
  if (rest < 0) {
    --s;
    rest += kTicksPerSecond;
  }
  return {s, rest * 100};
}

}  // namespace

// The common reasons in the same words on every system, so that a message
// reads alike wherever the viewer runs; the network's own in fixed words too,
// since a share that is gone is not a missing file; the rest as the system
// says them.
std::string Reason(std::uint32_t error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
      return "No such file or directory";
    case ERROR_BAD_NETPATH:
      return "The network path was not found";
    case ERROR_BAD_NET_NAME:
      return "The network name cannot be found";
    case ERROR_NETNAME_DELETED:
      return "The network name is no longer available";
    case ERROR_UNEXP_NET_ERR:
      return "An unexpected network error occurred";
    case ERROR_ACCESS_DENIED:
      return "Permission denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "The file is locked by another program";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_IO_DEVICE:
      return "Input/output error";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "Cannot allocate memory";
    default:
      break;
  }
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason;
  if (length > 0) {
    reason = Utf8(text, static_cast<int>(length));
    LocalFree(text);
  }
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.' ||
                             reason.back() == ' ')) {
    reason.pop_back();
  }
  return reason.empty() ? "system error " + std::to_string(error) : reason;
}

FileHandle OpenForReading(const std::string& path) {
  // Others may keep writing, renaming or deleting the file; a folder opens
  // too, so that it is named as one instead of "access denied". The
  // extended form opens paths of any length, on drives and on shares.
  const HANDLE file = CreateFileW(Wide(ExtendedWindowsPath(path)).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(GetLastError());
  return reinterpret_cast<FileHandle>(file);
}

FileStatus Examine(FileHandle file) {
  FileStatus status;
  switch (GetFileType(Handle(file))) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_CHAR:
      status.kind = FileKind::kDevice;
      return status;
    case FILE_TYPE_PIPE:
      status.kind = FileKind::kPipe;
      return status;
    default:
      status.kind = FileKind::kOther;
      return status;
  }
  FILE_BASIC_INFO basic{};
  FILE_STANDARD_INFO standard{};
  if (!GetFileInformationByHandleEx(Handle(file), FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(Handle(file), FileStandardInfo, &standard, sizeof standard)) {
    Fail(GetLastError());
  }
  if (standard.Directory || (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    status.kind = FileKind::kDirectory;
  } else if ((basic.FileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    status.kind = FileKind::kDevice;
  }
  status.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
  status.modified = Time(basic.LastWriteTime.QuadPart);
  status.changed = Time(basic.ChangeTime.QuadPart);
  return status;
}

std::size_t ReadSome(FileHandle file, std::uint64_t offset, std::span<std::byte> out) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size(), DWORD{1} << 30));
  DWORD got = 0;
  if (!ReadFile(Handle(file), out.data(), want, &got, &at)) {
    const DWORD error = GetLastError();
    if (error == ERROR_HANDLE_EOF) return 0;
    Fail(error);
  }
  return got;
}

void CloseFile(FileHandle file) { CloseHandle(Handle(file)); }

FileTime CoarseNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return Time(static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime));
}

FileTime CoarseTick() {
  DWORD adjustment = 0, increment = 0;
  BOOL disabled = FALSE;
  if (!GetSystemTimeAdjustment(&adjustment, &increment, &disabled) || increment == 0) increment = 156'250;
  return {0, static_cast<std::int64_t>(increment) * 100};
}

}  // namespace geodata::platform
