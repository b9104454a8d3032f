// 128-bit integer helpers for the exact line and fitting arithmetic.
#pragma once

#include <cstdint>

namespace tracewell {

// Products of two 64-bit values need more than 64 bits; GCC and Clang provide this type.
__extension__ typedef __int128 int128;

// Quotient rounded toward negative infinity, for int128 or a narrower signed
// type when the caller knows the values fit; `d` must not be 0.
template <typename T>
constexpr T floordiv(T n, T d) {
  const T q = n / d;
  return (n % d != 0 && ((n < 0) != (d < 0))) ? q - 1 : q;
}

// Quotient rounded toward positive infinity; `d` must not be 0.
template <typename T>
constexpr T ceildiv(T n, T d) {
  const T q = n / d;
  return (n % d != 0 && ((n < 0) == (d < 0))) ? q + 1 : q;
}

}  // namespace tracewell
