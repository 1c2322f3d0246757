#pragma once
#include <cstdint>
#include <limits>

// The value that means "not set" (or "mixed", "none") in format slots,
// positions, indices and update ranges: the smallest 32-bit integer, 0x80000000.
constexpr int32_t NotSet = std::numeric_limits<int32_t>::min();
