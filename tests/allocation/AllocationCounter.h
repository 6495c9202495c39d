// SPDX-License-Identifier: MIT
#pragma once

// How many times this test program has asked for heap memory: the global
// allocation functions are replaced in it, and count.

#include <atomic>
#include <cstddef>

namespace allocation {

extern std::atomic<std::size_t> count;

}  // namespace allocation
