// Replaces the global allocation functions with ones that count, so a test can hold code to a
// promise of no heap use. Include it in exactly one source file of a test program: replacement
// functions are defined once per program and cannot be inline.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace NUVTest {
// Every allocation the program has made so far, by any form of new.
inline std::size_t g_allocations = 0;

inline void* CountedAllocate(std::size_t size) noexcept {
    ++g_allocations;
    return std::malloc(size ? size : 1);
}
}  // namespace NUVTest

void* operator new(std::size_t size) {
    if (void* p = NUVTest::CountedAllocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
// The library's temporary buffers (stable sorts) come from the non-throwing forms.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return NUVTest::CountedAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
