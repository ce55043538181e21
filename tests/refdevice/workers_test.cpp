// The worker pool hands out every index of a call exactly once, and a call returns only when
// all of them have run, however many threads take part and however quickly calls follow one
// another (a worker may wake for a call that is already over).
#include <gtest/gtest.h>

#include <vector>

#include "workers.h"

namespace refdevice::testing {
namespace {

TEST(WorkerPool, EveryIndexRunsOnceBeforeTheCallReturns) {
  for (int threads : {1, 2, 3, 5}) {
    WorkerPool pool(threads);
    for (size_t round = 0; round < 2000; ++round) {
      const size_t count = 1 + round % 41;
      std::vector<int> runs(count, 0);
      pool.ParallelFor(count, [&](size_t index) { ++runs[index]; });
      ASSERT_EQ(runs, std::vector<int>(count, 1)) << threads << " threads, round " << round;
    }
  }
}

}  // namespace
}  // namespace refdevice::testing
