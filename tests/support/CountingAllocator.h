#pragma once
// Counts every allocation in a test binary that links CountingAllocator.cpp, so a test
// can show that a call allocates nothing. Under the sanitizer the allocator is its own,
// and nothing is counted.

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCountingAllocations = false;
#else
constexpr bool kCountingAllocations = true;
#endif

// Allocations (malloc, calloc, realloc, operator new) since the program started.
long AllocationCount();
