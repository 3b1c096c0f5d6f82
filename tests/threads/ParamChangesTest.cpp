// The hand-off of parameter changes: the latest value of each changed parameter, once
// per collection, in index order; nothing lost between threads.

#include "IPlug/IParamChanges.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

TEST(ParamChanges, LatestValueOncePerCollectionInIndexOrder)
{
  IParamChanges changes(70); // two words of flags
  std::vector<std::pair<int, double>> got;
  auto collect = [&] {
    got.clear();
    return changes.Collect([&](int idx, double v) { got.emplace_back(idx, v); });
  };
  EXPECT_FALSE(collect());
  changes.Post(68, 2.0);
  changes.Post(5, 1.0);
  changes.Post(5, 3.0);
  changes.Post(-1, 9.0);
  changes.Post(70, 9.0);
  changes.Post(0, -0.0);
  EXPECT_TRUE(collect());
  EXPECT_EQ(got, (std::vector<std::pair<int, double>>{{0, -0.0}, {5, 3.0}, {68, 2.0}}));
  EXPECT_FALSE(collect());
  changes.Post(63, 4.0);
  changes.Post(64, 5.0);
  EXPECT_TRUE(collect());
  EXPECT_EQ(got, (std::vector<std::pair<int, double>>{{63, 4.0}, {64, 5.0}}));
}

TEST(ParamChanges, NothingIsLostOrTakenBackBetweenThreads)
{
  constexpr int kParams = 40, kPosts = 200000;
  IParamChanges changes(kParams);
  std::atomic<bool> posted{false};
  std::vector<double> seen(kParams, 0.0);
  bool backwards = false;
  std::thread audio([&] {
    auto take = [&](int idx, double v) {
      if (v < seen[idx]) backwards = true;
      seen[idx] = v;
    };
    while (!posted.load()) changes.Collect(take);
    changes.Collect(take);
  });
  // Values rise, so a collection that went back in time would show.
  for (int k = 1; k <= kPosts; ++k) changes.Post((k * 7) % kParams, (double) k);
  posted = true;
  audio.join();
  EXPECT_FALSE(backwards);
  for (int idx = 0; idx < kParams; ++idx)
  {
    int last = 0;
    for (int k = 1; k <= kPosts; ++k)
      if ((k * 7) % kParams == idx) last = k;
    EXPECT_EQ(seen[idx], (double) last) << idx;
  }
}
