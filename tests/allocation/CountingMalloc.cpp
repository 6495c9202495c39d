// SPDX-License-Identifier: MIT
// Replaces glibc's malloc family with one that counts and hands on to the
// allocator underneath, which glibc exports for exactly this.

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>

#include "AllocationCounter.h"

// NOLINTBEGIN(bugprone-reserved-identifier): glibc's names for its
// allocator, and the parameter names of its declarations.
extern "C" {
void* __libc_malloc(std::size_t __size);
void* __libc_calloc(std::size_t __nmemb, std::size_t __size);
void* __libc_realloc(void* __ptr, std::size_t __size);
void __libc_free(void* __ptr);

void* malloc(std::size_t __size) noexcept {
  ++allocation::count;
  return __libc_malloc(__size);
}

void* calloc(std::size_t __nmemb, std::size_t __size) noexcept {
  ++allocation::count;
  return __libc_calloc(__nmemb, __size);
}

void* realloc(void* __ptr, std::size_t __size) noexcept {
  ++allocation::count;
  return __libc_realloc(__ptr, __size);
}

void free(void* __ptr) noexcept { __libc_free(__ptr); }
}
// NOLINTEND(bugprone-reserved-identifier)

namespace {

// Compilers may remove a malloc whose memory is freed unused (clang does),
// so the self-check calls malloc and free through pointers that the
// optimiser cannot see through, as the geometry's own callers would reach
// them from code it cannot see.
TEST(AllocationCounter, CountsMalloc) {
  void* (*const volatile allocate)(std::size_t) = &std::malloc;
  void (*const volatile release)(void*) = &std::free;
  const std::size_t before = allocation::count;
  void* memory = allocate(16);
  EXPECT_GT(allocation::count.load(), before);
  EXPECT_NE(memory, nullptr);
  release(memory);
}

}  // namespace
