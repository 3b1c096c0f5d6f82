#pragma once
// Recursive lock: the owning thread may lock again and must unlock as often.

#include <atomic>
#include <pthread.h>

class WDL_Mutex
{
public:
  WDL_Mutex() { pthread_mutex_init(&mMutex, nullptr); }
  ~WDL_Mutex() { pthread_mutex_destroy(&mMutex); }

  WDL_Mutex(const WDL_Mutex&) = delete;
  WDL_Mutex& operator=(const WDL_Mutex&) = delete;

  void Lock()
  {
    const pthread_t self = pthread_self();
    // Only the owner can see its own id here, so a relaxed read decides re-entry safely.
    if (mLocked.load(std::memory_order_relaxed) &&
        pthread_equal(mOwner.load(std::memory_order_relaxed), self))
    {
      ++mCount;
      return;
    }
    pthread_mutex_lock(&mMutex);
    mOwner.store(self, std::memory_order_relaxed);
    mLocked.store(true, std::memory_order_relaxed);
    mCount = 0;
  }

  void Unlock()
  {
    if (--mCount < 0)
    {
      mCount = 0;
      mLocked.store(false, std::memory_order_relaxed);
      pthread_mutex_unlock(&mMutex);
    }
  }

  // Depth below the outermost lock; for tests.
  int Depth() const { return mCount; }

private:
  pthread_mutex_t mMutex;
  std::atomic<pthread_t> mOwner{};
  std::atomic<bool> mLocked{false};
  int mCount = 0;
};

class WDL_MutexLock
{
public:
  explicit WDL_MutexLock(WDL_Mutex* m) : mMutex(m)
  {
    if (mMutex) mMutex->Lock();
  }
  ~WDL_MutexLock()
  {
    if (mMutex) mMutex->Unlock();
  }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex* mMutex;
};
