// ORBELUNE_ASSERT as debug and fuzz builds have it: a broken invariant stops the program at once
// and says where and which; a kept one goes on.
#ifndef ORBELUNE_ASSERTIONS
#define ORBELUNE_ASSERTIONS
#endif
#include <gtest/gtest.h>

#include "common/assertion.h"

namespace {

TEST(AssertionDeathTest, ABrokenInvariantAbortsNamingItsPlace) {
  const int denominator = 0;
  EXPECT_DEATH(ORBELUNE_ASSERT(denominator > 0), "assertion_test.cpp:[0-9]+: assertion failed: denominator > 0");
}

TEST(AssertionDeathTest, AKeptInvariantGoesOn) {
  int evaluated = 0;
  ORBELUNE_ASSERT(++evaluated == 1);
  EXPECT_EQ(evaluated, 1);
}

}  // namespace
