// Whether this build runs under AddressSanitizer. It holds freed memory in
// quarantine and reserves terabytes of its own, so resident size and address
// space limits mean nothing there; its leak checker stands in for them.
#pragma once

namespace geodata::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kUnderAddressSanitizer = true;
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif

}  // namespace geodata::testing
