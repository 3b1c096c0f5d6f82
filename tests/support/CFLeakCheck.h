#pragma once
// Checks that every Core Foundation object made inside a scope is gone at its end.

#include "platform/StandIn.h"

#include <gtest/gtest.h>

class CFLeakCheck
{
public:
  CFLeakCheck() : mStart(StandInLiveCFObjectCount()) {}
  ~CFLeakCheck() { EXPECT_EQ(StandInLiveCFObjectCount(), mStart) << "Core Foundation objects leaked"; }

private:
  CFIndex mStart;
};
