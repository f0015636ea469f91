#include "synth/lanes.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quorvelan::synth::lanes {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

TEST(Lanes, TruncateAndFloorMatchTheScalarFunctions) {
  const Lanes values[] = {{0.0f, 0.5f, -0.5f, 1.0f},
                          {-1.0f, 2.75f, -2.75f, 1e-30f},
                          {8388607.5f, -8388607.5f, 3e9f, -3e9f},
                          {1e30f, -1e30f, 0.99999994f, -0.99999994f}};
  for (const Lanes& x : values) {
    const Lanes t = truncate(x);
    const Lanes f = floor(x);
    for (int lane = 0; lane < kWidth<Lanes>; ++lane) {
      EXPECT_EQ(t[lane], std::trunc(x[lane])) << x[lane];
      EXPECT_EQ(f[lane], std::floor(x[lane])) << x[lane];
    }
  }
  const Lanes odd = truncate(Lanes{kNaN, kInfinity, -kInfinity, -0.0f});
  EXPECT_TRUE(std::isnan(odd[0]));
  EXPECT_EQ(odd[1], kInfinity);
  EXPECT_EQ(odd[2], -kInfinity);
}

TEST(Lanes, TanhIsWithinTwoUnitsInTheLastPlace) {
  float worst = 0.0f;
  for (float x = -12.0f; x < 12.0f; x += 0.00123f) {
    const float got = tanh(Lanes{x, x, x, x})[0];
    const float want = std::tanh(x);
    const float ulp = std::nextafter(std::fabs(want), 2.0f) - std::fabs(want);
    worst = std::max(worst, std::fabs(got - want) / ulp);
  }
  EXPECT_LE(worst, 2.0f);
  const Lanes edges = tanh(Lanes{kNaN, kInfinity, -kInfinity, -0.0f});
  EXPECT_TRUE(std::isnan(edges[0]));
  EXPECT_EQ(edges[1], 1.0f);
  EXPECT_EQ(edges[2], -1.0f);
  EXPECT_EQ(edges[3], 0.0f);
}

TEST(Lanes, AnySeesASingleLane) {
  EXPECT_FALSE(any(LaneMask{}));
  for (int lane = 0; lane < kWidth<Lanes>; ++lane) {
    LaneMask mask{};
    mask[lane] = -1;
    EXPECT_TRUE(any(mask)) << lane;
  }
}

}  // namespace
}  // namespace quorvelan::synth::lanes
