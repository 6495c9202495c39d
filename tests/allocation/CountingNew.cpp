// SPDX-License-Identifier: MIT
// Replaces the global operator new, the one every other form of new falls
// back on, with one that counts.

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

#include "AllocationCounter.h"

std::atomic<std::size_t> allocation::count{0};

void* operator new(std::size_t size) {
  ++allocation::count;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }

void operator delete(void* memory, std::size_t /*size*/) noexcept { std::free(memory); }

namespace {

// The count sees what it must see, or its zero would prove nothing.
TEST(AllocationCounter, CountsNew) {
  const std::size_t before = allocation::count;
  const auto value = std::make_unique<int>(42);
  EXPECT_GT(allocation::count.load(), before);
  EXPECT_EQ(*value, 42);
}

}  // namespace
