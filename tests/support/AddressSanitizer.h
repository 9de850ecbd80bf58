#pragma once

// Whether this test program runs under AddressSanitizer, which reserves far
// more address space than the program uses: tests that cap the address
// space or measure resident memory have nothing to measure there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif
