// Leaves the process little more address space than it uses, for as long as
// it lives, so that an allocation of any size fails as on a full machine.
#pragma once

#include <cstdint>

namespace geodata::testing {

// Not under AddressSanitizer, which reserves terabytes of its own, nor on
// Windows, which caps a process only as a member of a job.
bool CanLimitAddressSpace();

class AddressSpaceLimit {
 public:
  explicit AddressSpaceLimit(std::uint64_t spare_bytes);
  ~AddressSpaceLimit();
  AddressSpaceLimit(const AddressSpaceLimit&) = delete;
  AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

 private:
  std::uint64_t saved_ = 0;
};

}  // namespace geodata::testing
