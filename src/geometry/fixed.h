// 32-bit integer arithmetic with the wrap-around of the handheld's processor,
// written without undefined behaviour: products and sums wrap modulo 2^32,
// right shifts of signed values are arithmetic (rounding toward minus infinity).
#pragma once
#include <cstdint>

// The fixed-point formats: fraction bits, and the value that stands for 1.
constexpr int kQ4Shift = 4;  // curve points: 16 units to a pixel
constexpr int32_t kOneQ4 = 1 << kQ4Shift;
constexpr int kQ8Shift = 8;  // polygon edges: 256 units to a pixel
constexpr int32_t kOneQ8 = 1 << kQ8Shift;
constexpr int kQ14Shift = 14;  // transforms and scales
constexpr int32_t kOneQ14 = 1 << kQ14Shift;

// Coverage of a pixel wholly inside a shape; coverage runs 0 .. 255.
constexpr int32_t kFullCoverage = 255;

inline int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
inline int32_t Mul32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int32_t Add32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t Sub32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
// Truncating division that cannot trap: x / 0 gives 0 and INT32_MIN / -1 wraps.
inline int32_t Div32(int32_t a, int32_t b) {
    if (b == 0) return 0;
    if (b == -1) return Sub32(0, a);
    return a / b;
}
// Left shift as multiplication by 2^n, wrapping (no shift of a negative value).
inline int32_t Shl32(int32_t a, int n) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) << n);
}
