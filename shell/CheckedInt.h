#pragma once

#include "shell/Failure.h"

#include <cstdint>
#include <limits>

// A whole number stored into 16 or 32 bits: a value that does not fit fails
// with "Overflow".
template <class Int> Int checkedInt(long long value) {
    if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max())
        throw Failure::overflow();
    return static_cast<Int>(value);
}

inline std::int16_t checkedInt16(long long value) {
    return checkedInt<std::int16_t>(value);
}
inline std::int32_t checkedInt32(long long value) {
    return checkedInt<std::int32_t>(value);
}
