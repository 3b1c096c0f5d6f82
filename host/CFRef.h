#pragma once
// Ownership of one Core Foundation object: what a Create or Copy call (or a property the
// unit hands over) returned is released when the holder lets go of it.

#include "platform/CoreFoundation/CoreFoundation.h"

class CFRef
{
public:
  CFRef() = default;
  // Takes over the caller's reference.
  explicit CFRef(CFTypeRef owned) : mRef(owned) {}
  ~CFRef() { Reset(); }

  CFRef(CFRef&& other) noexcept : mRef(other.mRef) { other.mRef = nullptr; }
  CFRef& operator=(CFRef&& other) noexcept
  {
    if (this != &other)
    {
      Reset();
      mRef = other.mRef;
      other.mRef = nullptr;
    }
    return *this;
  }
  CFRef(const CFRef&) = delete;
  CFRef& operator=(const CFRef&) = delete;

  // A second reference to a borrowed object.
  static CFRef Retained(CFTypeRef borrowed) { return CFRef(borrowed ? CFRetain(borrowed) : nullptr); }

  CFTypeRef Get() const { return mRef; }
  template <class T>
  T As() const
  {
    return (T) mRef;
  }
  explicit operator bool() const { return mRef != nullptr; }
  bool Is(CFTypeID type) const { return mRef && CFGetTypeID(mRef) == type; }

  void Reset(CFTypeRef owned = nullptr)
  {
    if (mRef && mRef != owned) CFRelease(mRef);
    mRef = owned;
  }
  // Gives the reference to the caller.
  CFTypeRef Release()
  {
    CFTypeRef r = mRef;
    mRef = nullptr;
    return r;
  }

private:
  CFTypeRef mRef = nullptr;
};
