#include "fuzz/table_watch.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace geodata {
namespace {

TableWatch* active = nullptr;  // the signal handler's only way in

constexpr std::size_t kTableBytes = BlockStore::kElements * sizeof(std::int16_t);
// Room for the sanitizer's report when it runs on this stack too.
constexpr std::size_t kSignalStackBytes = 256 * 1024;

void Protect(void* at, std::size_t bytes, int protection) {
  if (mprotect(at, bytes, protection) != 0) {
    std::perror("table watch: mprotect");
    std::abort();
  }
}

}  // namespace

TableWatch::TableWatch(BlockStore& store)
    : table_(store.Row(0, 0).data()),
      page_bytes_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))),
      pages_((kTableBytes + page_bytes_ - 1) / page_bytes_),
      written_(pages_, 0),
      written_list_(pages_) {
  if (active != nullptr || reinterpret_cast<std::uintptr_t>(table_) % page_bytes_ != 0) {
    std::fprintf(stderr, "table watch: needs the only watch and a page-aligned table\n");
    std::abort();
  }
  // Untouched pages of the copy cost no memory.
  void* copy = mmap(nullptr, pages_ * page_bytes_, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (copy == MAP_FAILED) {
    std::perror("table watch: mmap");
    std::abort();
  }
  before_ = static_cast<std::byte*>(copy);
  for (int k = 0; k <= BlockStore::kLayerMax; ++k) {
    for (int j = 0; j <= BlockStore::kCellMax; ++j) {
      row_start_[k][j] = static_cast<std::size_t>(store.Row(j, k).data() - table_);
    }
  }
  // A stack overflow faults with no stack left to run a handler on: the
  // handlers run on a stack of their own, the sanitizer's if it set one.
  stack_t current{};
  sigaltstack(nullptr, &current);
  if ((current.ss_flags & SS_DISABLE) != 0) {
    signal_stack_ = mmap(nullptr, kSignalStackBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (signal_stack_ == MAP_FAILED) {
      std::perror("table watch: mmap");
      std::abort();
    }
    stack_t own{};
    own.ss_sp = signal_stack_;
    own.ss_size = kSignalStackBytes;
    sigaltstack(&own, nullptr);
  }
  active = this;
  struct sigaction action {};
  action.sa_sigaction = &TableWatch::OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, &previous_);
  Protect(table_, pages_ * page_bytes_, PROT_READ);
}

TableWatch::~TableWatch() {
  Protect(table_, pages_ * page_bytes_, PROT_READ | PROT_WRITE);
  sigaction(SIGSEGV, &previous_, nullptr);
  if (signal_stack_ != nullptr) {
    stack_t none{};
    none.ss_flags = SS_DISABLE;
    sigaltstack(&none, nullptr);
    munmap(signal_stack_, kSignalStackBytes);
  }
  munmap(before_, pages_ * page_bytes_);
  active = nullptr;
}

void TableWatch::OnFault(int signal, siginfo_t* info, void* context) {
  TableWatch* watch = active;
  const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
  const auto table = reinterpret_cast<std::uintptr_t>(watch->table_);
  if (at >= table && at - table < watch->pages_ * watch->page_bytes_) {
    const std::size_t page = (at - table) / watch->page_bytes_;
    if (watch->written_[page] == 0) {
      auto* start = reinterpret_cast<std::byte*>(watch->table_) + page * watch->page_bytes_;
      std::memcpy(watch->before_ + page * watch->page_bytes_, start, watch->page_bytes_);
      if (mprotect(start, watch->page_bytes_, PROT_READ | PROT_WRITE) == 0) {
        watch->written_[page] = 1;
        watch->written_list_[watch->written_count_++] = page;
        return;  // the write runs again, now allowed
      }
    }
  }
  // Not a first write to the table: the handler from before reports it, from
  // here, since the fault may be the thread's stack running out; or, when
  // there was none, the fault comes again to the default action.
  const struct sigaction& previous = watch->previous_;
  sigaction(SIGSEGV, &previous, nullptr);
  if ((previous.sa_flags & SA_SIGINFO) != 0) {
    if (previous.sa_sigaction != nullptr) previous.sa_sigaction(signal, info, context);
  } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
  }
}

void TableWatch::Verify() {
  const auto* expected = reinterpret_cast<const std::int16_t*>(before_);
  const std::size_t slots_per_page = page_bytes_ / sizeof(std::int16_t);
  for (std::size_t n = 0; n < written_count_; ++n) {
    const std::size_t first = written_list_[n] * slots_per_page;
    if (std::memcmp(table_ + first, expected + first, page_bytes_) == 0) continue;
    const std::size_t end = std::min(first + slots_per_page, BlockStore::kElements);
    const auto [got, want] = std::mismatch(table_ + first, table_ + end, expected + first);
    if (got != table_ + end) Fail(static_cast<std::size_t>(got - table_), *got, *want);
  }
  // A load writes rows, so its pages come in runs: one call per run.
  std::sort(written_list_.begin(), written_list_.begin() + static_cast<std::ptrdiff_t>(written_count_));
  for (std::size_t n = 0; n < written_count_;) {
    std::size_t end = n + 1;
    while (end < written_count_ && written_list_[end] == written_list_[end - 1] + 1) ++end;
    Protect(reinterpret_cast<std::byte*>(table_) + written_list_[n] * page_bytes_,
            (end - n) * page_bytes_, PROT_READ);
    for (; n < end; ++n) written_[written_list_[n]] = 0;
  }
  written_count_ = 0;
}

void TableWatch::NoSlot(int i, int j, int k) {
  std::fprintf(stderr, "table watch: no slot Geo(%d, %d, %d)\n", i, j, k);
  std::abort();
}

void TableWatch::Fail(std::size_t position, std::int16_t got, std::int16_t want) const {
  const std::size_t i = position % BlockStore::kRowLength;
  const std::size_t row = position / BlockStore::kRowLength;
  std::fprintf(stderr, "region fuzzer: slot Geo(%zu, %zu, %zu) holds %d, should hold %d\n", i,
               row % (BlockStore::kCellMax + 1), row / (BlockStore::kCellMax + 1), got, want);
  std::abort();
}

}  // namespace geodata
