// The operations of the two-operand instructions: 32-bit two's complement that wraps, and
// comparisons that give 0 or 1. Shared by the instruction table and the run loop's inline path.
#pragma once

#include <cstdint>

namespace adv::arithmetic {

inline uint32_t U(int32_t value) { return static_cast<uint32_t>(value); }
inline int32_t S(uint32_t value) { return static_cast<int32_t>(value); }

inline int32_t Move(int32_t, int32_t b) { return b; }
inline int32_t Add(int32_t a, int32_t b) { return S(U(a) + U(b)); }
inline int32_t Sub(int32_t a, int32_t b) { return S(U(a) - U(b)); }
inline int32_t Mul(int32_t a, int32_t b) { return S(U(a) * U(b)); }
// Division by 0 leaves the destination; the most negative value by -1 stays itself (its true
// quotient does not fit), and its remainder is 0.
inline int32_t Div(int32_t a, int32_t b) {
  if (b == 0) return a;
  return b == -1 ? S(0u - U(a)) : a / b;
}
inline int32_t Mod(int32_t a, int32_t b) {
  if (b == 0) return a;
  return b == -1 ? 0 : a % b;
}
inline int32_t And(int32_t a, int32_t b) { return a & b; }
inline int32_t Or(int32_t a, int32_t b) { return a | b; }
inline int32_t Xor(int32_t a, int32_t b) { return a ^ b; }
inline int32_t Equal(int32_t a, int32_t b) { return a == b; }
inline int32_t NotEqual(int32_t a, int32_t b) { return a != b; }
inline int32_t LessEqual(int32_t a, int32_t b) { return a <= b; }
inline int32_t GreaterEqual(int32_t a, int32_t b) { return a >= b; }
inline int32_t Less(int32_t a, int32_t b) { return a < b; }
inline int32_t Greater(int32_t a, int32_t b) { return a > b; }
inline int32_t LogicalOr(int32_t a, int32_t b) { return a != 0 || b != 0; }
inline int32_t LogicalAnd(int32_t a, int32_t b) { return a != 0 && b != 0; }
inline int32_t ShiftLeft(int32_t a, int32_t b) { return S(U(a) << (b & 31)); }
inline int32_t ShiftRight(int32_t a, int32_t b) { return a >> (b & 31); }

}  // namespace adv::arithmetic
