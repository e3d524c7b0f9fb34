// Easing curves against values computed from their defining formulas, compared as floats with ==.
#include "program/layers/easing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using adv::EvaluateEasing;

TEST(Easing, MatchesTheFormulasBitForBit) {
  struct Case {
    adv::EasingType type;
    uint32_t elapsed;
    float value;  // duration 1000
  };
  const Case cases[] = {
      {1, 10, 0.0024006404f},    {2, 64, 0.0449440479f},  {3, 498, 0.704881907f},
      {21, 264, 0.162333608f},   {26, 5, 0.0149251223f},  {35, 5, 0.0340636708f},
      {36, 507, 0.546240509f},   {39, 507, 0.583372831f}, {40, 10, -0.000167456426f},
      {43, 3, -0.000443337922f}, {44, 5, 0.0393551514f},  {45, 26, 0.000548721291f},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EvaluateEasing(c.type, c.elapsed, 1000), c.value) << "type " << c.type;
  }
}

TEST(Easing, EdgesOfTheTypesAndDurations) {
  struct Case {
    adv::EasingType type;
    uint32_t elapsed, duration;
    float value;
  };
  const Case cases[] = {
      {5, 100, 200, 1.0f},  // no curve
      {49, 100, 200, 1.0f},
      {0xFFFFFFFF, 1, 2, 1.0f},
      {16, 100, 0, 1.0f},
      {16, 50, 200, 0.25f},
      {17, 50, 200, 0.25f},
      {18, 50, 200, 0.25f},
      {23, 100, 200, 0.75f},
      {22, 100, 200, 0.25f},
      {43, 0, 100, 0.0f},
      {43, 100, 100, 1.0f},
      {47, 100, 100, 1.0f},
      {0, 0, 0, 1.0f},
      {1, 0, 100, 0.0f},
      {1, 100, 100, 1.0f},
      {2, 0, 100, 0.0f},
      {2, 100, 100, 1.0f},
      {0, 5, 10, 0.5f},
      {0, 0x80000000u, 0xFFFFFFFFu, 0.5f},  // unsigned conversions stay positive
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EvaluateEasing(c.type, c.elapsed, c.duration), c.value)
        << "type " << c.type << " at " << c.elapsed << "/" << c.duration;
  }
  EXPECT_NEAR(EvaluateEasing(3, 50, 100), 0.7071f, 1e-4f);
  EXPECT_NEAR(EvaluateEasing(40, 250, 1000), -0.0641f, 1e-4f);  // back curves leave 0..1
  EXPECT_GT(EvaluateEasing(41, 800, 1000), 1.0f);
  EXPECT_EQ(adv::EaseCurveQuadOut(50, 100), 0.75f);
  EXPECT_EQ(adv::EaseCurveAt(nullptr, 1, 2), 1.0f);
}

TEST(Easing, SineTableTurnsIn512Steps) {
  const auto& sine = adv::SineTable512();
  EXPECT_EQ(sine[0], 0.0f);
  EXPECT_EQ(sine[128], 1.0f);
  EXPECT_EQ(sine[384], -1.0f);
  EXPECT_EQ(sine[(100 + 128) & 0x1FF],
            static_cast<float>(std::round(std::cos(100 * M_PI / 256) * 1e6) / 1e6));
  EXPECT_EQ(sine[640 & 0x1FF], 1.0f);
  EXPECT_EQ(sine[64], 0.707107f);
}

}  // namespace
