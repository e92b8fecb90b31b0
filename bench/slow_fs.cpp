// A file system that shows a folder read-only and serves its files' bytes at
// a set rate, as a network share or a slow stick would: the benchmark opens
// a region from it. No page cache sits in between, so every open pays again.
// Usage: geodata_slow_fs BYTES_PER_SECOND SOURCE MOUNT_POINT
//   Runs in the foreground until unmounted (fusermount3 -u MOUNT_POINT).
#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Served {
  std::string source;
  double bytes_per_second = 0;
  Clock::time_point free_from{};  // when the link has sent what was asked before
};
Served* served = nullptr;

std::string Source(const char* path) { return served->source + path; }

int GetAttr(const char* path, struct stat* out, fuse_file_info*) {
  return lstat(Source(path).c_str(), out) == 0 ? 0 : -errno;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
  DIR* dir = opendir(Source(path).c_str());
  if (dir == nullptr) return -errno;
  while (const dirent* entry = readdir(dir)) fill(buffer, entry->d_name, nullptr, 0, fuse_fill_dir_flags{});
  closedir(dir);
  return 0;
}

int Open(const char* path, fuse_file_info* file) {
  if ((file->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  const int fd = open(Source(path).c_str(), O_RDONLY);
  if (fd < 0) return -errno;
  file->fh = static_cast<std::uint64_t>(fd);
  file->direct_io = 1;  // every read comes here, at the set rate
  return 0;
}

// The link sends one request after another: each read ends when its bytes
// have gone through at the rate.
int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* file) {
  const ssize_t got = pread(static_cast<int>(file->fh), buffer, size, offset);
  if (got < 0) return -errno;
  const auto now = Clock::now();
  const auto start = served->free_from > now ? served->free_from : now;
  served->free_from =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(got / served->bytes_per_second));
  std::this_thread::sleep_until(served->free_from);
  return static_cast<int>(got);
}

int Release(const char*, fuse_file_info* file) { return close(static_cast<int>(file->fh)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s BYTES_PER_SECOND SOURCE MOUNT_POINT\n", argv[0]);
    return 2;
  }
  Served state{argv[2], std::strtod(argv[1], nullptr)};
  if (!(state.bytes_per_second > 0)) {
    std::fprintf(stderr, "the rate must be a positive number of bytes per second\n");
    return 2;
  }
  served = &state;
  fuse_operations operations{};
  operations.getattr = GetAttr;
  operations.readdir = ReadDir;
  operations.open = Open;
  operations.read = Read;
  operations.release = Release;
  // Foreground, one request at a time, read-only.
  char foreground[] = "-f", single[] = "-s", options[] = "-o", read_only[] = "ro";
  char* fuse_argv[] = {argv[0], argv[3], foreground, single, options, read_only, nullptr};
  return fuse_main(6, fuse_argv, &operations, nullptr);
}
