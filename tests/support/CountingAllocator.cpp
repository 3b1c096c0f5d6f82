#include "tests/support/CountingAllocator.h"

#include <atomic>
#include <cstddef>
#include <new>

namespace
{
std::atomic<long> gAllocations{0};
}

long AllocationCount() { return gAllocations.load(); }

#if !defined(__SANITIZE_ADDRESS__)
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);

extern "C" void* malloc(size_t n)
{
  ++gAllocations;
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t s)
{
  ++gAllocations;
  return __libc_calloc(n, s);
}
extern "C" void* realloc(void* p, size_t n)
{
  ++gAllocations;
  return __libc_realloc(p, n);
}
extern "C" void free(void* p) { __libc_free(p); }

void* operator new(size_t n)
{
  ++gAllocations;
  if (void* p = __libc_malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }
#endif
