// Leaves the process little more address space than it uses, for as long as
// it lives, so that an allocation of any size fails as on a full machine.
// Meaningless under AddressSanitizer, which reserves terabytes of its own.
#pragma once

#include <sys/resource.h>

#include "tools/process_counters.h"

namespace geodata::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kCanLimitAddressSpace = false;
#else
inline constexpr bool kCanLimitAddressSpace = true;
#endif

class AddressSpaceLimit {
 public:
  explicit AddressSpaceLimit(rlim_t spare_bytes) {
    getrlimit(RLIMIT_AS, &saved_);
    rlimit tight = saved_;
    tight.rlim_cur = static_cast<rlim_t>(ProcessCounter("/proc/self/status", "VmSize")) * 1024 + spare_bytes;
    setrlimit(RLIMIT_AS, &tight);
  }
  ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &saved_); }
  AddressSpaceLimit(const AddressSpaceLimit&) = delete;
  AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

 private:
  rlimit saved_{};
};

}  // namespace geodata::testing
