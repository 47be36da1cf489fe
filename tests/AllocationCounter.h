// Counts the heap allocations made on the current thread while counting is on,
// by replacing the program's operator new (the plug-in library's too, when it
// is loaded into the program). Include in exactly one source file of a test program.
#pragma once

#include <cstdlib>
#include <new>

namespace {
thread_local bool tCounting = false;
thread_local int tAllocations = 0;
} // namespace

void* operator new(std::size_t size) {
  if (tCounting) ++tAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
