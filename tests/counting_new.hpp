// Replaces the program's operator new with one that counts: include it in exactly one source
// file of a program whose allocations are to be counted (a test, a benchmark).
//
//   const std::size_t before = kestrune::test::heap_allocations;
//   work();
//   EXPECT_EQ(kestrune::test::heap_allocations - before, 0u);
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace kestrune::test {

// Allocations made so far (counted on one thread at a time).
inline std::size_t heap_allocations = 0;

}  // namespace kestrune::test

void* operator new(std::size_t size) {
  ++kestrune::test::heap_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
