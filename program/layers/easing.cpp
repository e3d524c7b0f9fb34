// The curves are written so that each float and double operation happens exactly as the comments
// of easing.h promise: float arithmetic left to right as written, a constant times a power takes
// the power first, library functions evaluated in double from a float argument and rounded back
// to float, except in the expo and elastic curves, whose pow results stay in double.
#include "program/layers/easing.h"

#include <algorithm>
#include <cmath>

namespace adv {
namespace {

constexpr float kPi = 3.1415927f;

// A library function of a float argument, rounded back to float.
float Sin(float x) {
  return static_cast<float>(std::sin(static_cast<double>(x)));
}
float Cos(float x) {
  return static_cast<float>(std::cos(static_cast<double>(x)));
}
float Sqrt(float x) {
  return static_cast<float>(std::sqrt(static_cast<double>(x)));
}
float Pow(float x, int n) {
  return static_cast<float>(std::pow(static_cast<double>(x), n));
}
// 2 to a float power, kept in double (the expo and elastic curves).
double Pow2(float x) {
  return std::pow(2.0, static_cast<double>(x));
}

float Ratio(uint32_t elapsed, uint32_t duration) {
  return static_cast<float>(elapsed) / static_cast<float>(duration);
}

float LinearIn(float t) {
  return t;
}
float LinearOut(float t) {
  return 1.0f - (1.0f - t);
}
float LinearInOut(float t) {
  return t < 0.5f ? (2.0f * t) * 0.5f : 1.0f - (2.0f - 2.0f * t) * 0.5f;
}

float SineIn(float t) {
  return 1.0f - Cos(t * kPi * 0.5f);
}
float SineOut(float t) {
  return Sin(t * kPi * 0.5f);
}
float SineInOut(float t) {
  return (Cos(t * kPi) - 1.0f) * -0.5f;
}

float QuadIn(float t) {
  return t * t;
}
float QuadOut(float t) {
  const float u = 1.0f - t;
  return 1.0f - u * u;
}
float QuadInOut(float t) {
  if (t < 0.5f) return (2.0f * t) * t;
  const float u = 2.0f - 2.0f * t;
  return 1.0f - (u * u) * 0.5f;
}

float CubicIn(float t) {
  return t * t * t;
}
float CubicOut(float t) {
  return 1.0f - Pow(1.0f - t, 3);
}
float CubicInOut(float t) {
  return t < 0.5f ? 4.0f * t * t * t : 1.0f - Pow(2.0f - 2.0f * t, 3) * 0.5f;
}

float QuartIn(float t) {
  return t * t * t * t;
}
float QuartOut(float t) {
  return 1.0f - Pow(1.0f - t, 4);
}
float QuartInOut(float t) {
  return t < 0.5f ? 8.0f * (t * t * t * t) : 1.0f - Pow(2.0f - 2.0f * t, 4) * 0.5f;
}

float QuintIn(float t) {
  return t * t * t * t * t;
}
float QuintOut(float t) {
  return 1.0f - Pow(1.0f - t, 5);
}
float QuintInOut(float t) {
  return t < 0.5f ? 16.0f * (t * t * t * t * t) : 1.0f - Pow(2.0f - 2.0f * t, 5) * 0.5f;
}

float ExpoIn(float t) {
  if (t == 0.0f) return 0.0f;
  return static_cast<float>(Pow2(t * 10.0f - 10.0f));
}
float ExpoOut(float t) {
  if (t == 1.0f) return 1.0f;
  return static_cast<float>(1.0 - Pow2(-10.0f * t));
}
float ExpoInOut(float t) {
  if (t == 0.0f) return 0.0f;
  if (t == 1.0f) return 1.0f;
  if (t < 0.5f) return static_cast<float>(Pow2(20.0f * t - 10.0f) * 0.5);
  return static_cast<float>((2.0 - Pow2(10.0f - 20.0f * t)) * 0.5);
}

float CircIn(float t) {
  return 1.0f - Sqrt(1.0f - t * t);
}
float CircOut(float t) {
  const float u = t - 1.0f;
  return Sqrt(1.0f - u * u);
}
float CircInOut(float t) {
  if (t < 0.5f) {
    const float u = 2.0f * t;
    return (1.0f - Sqrt(1.0f - u * u)) * 0.5f;
  }
  const float u = 2.0f - 2.0f * t;
  return (Sqrt(1.0f - u * u) + 1.0f) * 0.5f;
}

float BackIn(float t) {
  return 2.70158f * (t * t * t) - 1.70158f * (t * t);
}
float BackOut(float t) {
  const float u = t - 1.0f;
  return Pow(u, 3) * 2.70158f + 1.0f + (u * u) * 1.70158f;
}
float BackInOut(float t) {
  if (t < 0.5f) {
    const float u = 2.0f * t;
    return (u * u) * (7.189819f * t - 2.5949094f) * 0.5f;
  }
  const float u = 2.0f * t - 2.0f;
  return ((u * u) * (3.5949094f * u + 2.5949094f) + 2.0f) * 0.5f;
}

// The sine of an elastic curve: rounded to float, then widened for the double arithmetic.
double ElasticSine(float x) {
  return static_cast<double>(Sin(x));
}
float ElasticIn(float t) {
  if (t == 0.0f) return 0.0f;
  if (t == 1.0f) return 1.0f;
  const double s = ElasticSine((10.0f * t - 10.75f) * 2.0943952f);
  return static_cast<float>(-(s * Pow2(10.0f * t - 10.0f)));
}
float ElasticOut(float t) {
  if (t == 0.0f) return 0.0f;
  if (t == 1.0f) return 1.0f;
  const double s = ElasticSine((10.0f * t - 0.75f) * 2.0943952f);
  return static_cast<float>(s * Pow2(-10.0f * t) + 1.0);
}
float ElasticInOut(float t) {
  if (t == 0.0f) return 0.0f;
  if (t == 1.0f) return 1.0f;
  const double s = ElasticSine((20.0f * t - 11.125f) * 1.3962635f);
  if (t < 0.5f) return static_cast<float>(Pow2(20.0f * t - 10.0f) * s * -0.5);
  return static_cast<float>(Pow2(10.0f - 20.0f * t) * s * 0.5 + 1.0);
}

float BounceOut(float t) {
  if (t < 0.36363637f) return 7.5625f * (t * t);
  if (t < 0.72727275f) {
    const float u = t - 0.54545456f;
    return 7.5625f * (u * u) + 0.75f;
  }
  // This threshold is compared in double.
  if (static_cast<double>(t) < 0.9090909090909091) {
    const float u = t - 0.8181818f;
    return 7.5625f * (u * u) + 0.9375f;
  }
  const float u = t - 0.95454544f;
  return 7.5625f * (u * u) + 0.984375f;
}
float BounceIn(float t) {
  return 1.0f - BounceOut(1.0f - t);
}
float BounceInOut(float t) {
  if (t < 0.5f) return (1.0f - BounceOut(1.0f - 2.0f * t)) * 0.5f;
  return (BounceOut(2.0f * t - 1.0f) + 1.0f) * 0.5f;
}

constexpr EaseCurve kEaseCurveTable[33] = {
    LinearIn,   LinearOut,    LinearInOut, SineIn,     SineOut,     SineInOut, QuadIn,
    QuadOut,    QuadInOut,    CubicIn,     CubicOut,   CubicInOut,  QuartIn,   QuartOut,
    QuartInOut, QuintIn,      QuintOut,    QuintInOut, ExpoIn,      ExpoOut,   ExpoInOut,
    CircIn,     CircOut,      CircInOut,   BackIn,     BackOut,     BackInOut, ElasticIn,
    ElasticOut, ElasticInOut, BounceIn,    BounceOut,  BounceInOut,
};
constexpr EasingType kFirstTableType = 16;

}  // namespace

float EaseCurveLinear(uint32_t elapsed, uint32_t duration) {
  if (duration == 0) return 1.0f;
  return std::min(1.0f, Ratio(elapsed, duration));
}

float EaseCurveLogIn(uint32_t elapsed, uint32_t duration) {
  const float x = duration == 0 ? 0.0f : Ratio(duration - elapsed, duration);
  const float r = static_cast<float>(std::log10(static_cast<double>(x))) * 55.0f * -0.01f;
  return std::min(1.0f, r);
}

float EaseCurveLogOut(uint32_t elapsed, uint32_t duration) {
  const float x = duration == 0 ? 1.0f : Ratio(elapsed, duration);
  const float r = static_cast<float>(std::log10(static_cast<double>(x))) * 80.0f * -0.01f;
  return 1.0f - std::min(1.0f, r);
}

float EaseCurveSine(uint32_t elapsed, uint32_t duration) {
  const float x = duration == 0 ? 1.0f : Ratio(elapsed, duration);
  return std::min(1.0f, Sin(x * 128.0f * 0.00390625f * kPi));
}

float EaseCurveQuadOut(uint32_t elapsed, uint32_t duration) {
  const float x = duration == 0 ? 1.0f : Ratio(elapsed, duration);
  return std::min(1.0f, (2.0f - x) * x);
}

float EaseCurveAt(EaseCurve curve, uint32_t elapsed, uint32_t duration) {
  if (duration == 0 || !curve) return 1.0f;
  return curve(Ratio(elapsed, duration));
}

EaseCurve EaseCurveForType(EasingType type) {
  const EasingType row = type - kFirstTableType;
  return row < std::size(kEaseCurveTable) ? kEaseCurveTable[row] : nullptr;
}

float EvaluateEasing(EasingType type, uint32_t elapsed, uint32_t duration) {
  switch (type) {
    case 0:
      return EaseCurveLinear(elapsed, duration);
    case 1:
      return EaseCurveLogIn(elapsed, duration);
    case 2:
      return EaseCurveLogOut(elapsed, duration);
    case 3:
      return EaseCurveSine(elapsed, duration);
    default:
      return EaseCurveAt(EaseCurveForType(type), elapsed, duration);
  }
}

const std::array<float, 512>& SineTable512() {
  static const std::array<float, 512> table = [] {
    std::array<float, 512> sines{};
    for (size_t i = 0; i < sines.size(); ++i) {
      const double turn = 2.0 * 3.14159265358979323846 * static_cast<double>(i) / 512.0;
      sines[i] = static_cast<float>(std::round(std::sin(turn) * 1e6) / 1e6);
    }
    return sines;
  }();
  return table;
}

std::array<int32_t, 2> CircleOffsetAt(const std::array<int32_t, 8>& words, float p) {
  const auto& sine = SineTable512();
  std::array<int32_t, 2> offset{};
  for (size_t axis = 0; axis < 2; ++axis) {
    const int32_t quarter = axis == 1 ? 128 : 0;
    const int32_t turned = static_cast<int32_t>(static_cast<float>(words[4 + axis]) * p);
    const uint32_t angle = static_cast<uint32_t>(turned + words[axis] + quarter) & 0x1FF;
    const int32_t radius =
        static_cast<int32_t>(static_cast<float>(words[6 + axis]) * p) + words[2 + axis];
    offset[axis] = static_cast<int32_t>(static_cast<float>(radius) * sine[angle]);
  }
  return offset;
}

}  // namespace adv
