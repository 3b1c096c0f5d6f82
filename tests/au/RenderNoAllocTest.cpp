// The adapter's render call allocates nothing: every allocation in this binary is
// counted while a host renders through the fast-dispatch address and the dispatcher.

#include "AUHost.h"

#include <gtest/gtest.h>

#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
#define OSTRAKON_COUNT_ALLOCATIONS 0 // the sanitizer owns the allocator
#else
#define OSTRAKON_COUNT_ALLOCATIONS 1
#endif

namespace
{
std::atomic<long> gAllocations{0};
}

#if OSTRAKON_COUNT_ALLOCATIONS
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

TEST(AURenderNoAlloc, RenderingAllocatesNothing)
{
#if !OSTRAKON_COUNT_ALLOCATIONS
  GTEST_SKIP() << "allocations are not counted under the sanitizer";
#endif
  AUHost host;
  InputSource source{{TestSignal(4096, 0), TestSignal(4096, 1)}};
  ASSERT_EQ(host.Prepare(2, 512, 48000.0, &source), noErr);
  ASSERT_EQ(host.SetParam(kDyn1Type, 1.0f), noErr);
  ASSERT_EQ(host.SetParam(kOversampling, 1.0f), noErr);
  AudioUnitRenderProc render = nullptr;
  ASSERT_EQ(
      host.Get(kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect, &render),
      noErr);
  void* storage = GetComponentInstanceStorage(host.unit);
  HostBufferList out(2, 512), nulls(2, 512, true);
  AudioUnitRenderActionFlags flags = 0;

  const long before = gAllocations.load();
  for (int i = 0; i < 8; ++i)
  {
    const AudioTimeStamp ts = Stamp(512.0 * i);
    ASSERT_EQ(render(storage, &flags, &ts, 0, 512, i % 2 ? out.List() : nulls.List()), noErr);
    ASSERT_EQ(AudioUnitRender(host.unit, &flags, &ts, 0, 256, out.List()), noErr);
  }
  EXPECT_EQ(gAllocations.load(), before);
}
