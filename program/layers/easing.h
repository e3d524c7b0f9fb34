// Easing: the fraction of a timed change to apply, from the time that has passed. Layer actions
// and frame-animation steps use it. Every function is pure; results are bit-exact to the float
// and double rules below, since positions derived from them are truncated to whole pixels and
// saved games replay them.
//
// Types 0-3 are the built-in fade curves (clamped to at most 1.0); types 16-48 are the table
// curves (linear, sine, quad, cubic, quart, quint, expo, circ, back, elastic and bounce, each in,
// out and in-out), which are not clamped. Any other type selects none and gives 1.0.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

using EasingType = uint32_t;
using EaseCurve = float (*)(float t);

// Elapsed and duration are milliseconds; callers pass elapsed already limited to the duration.
float EvaluateEasing(EasingType type, uint32_t elapsed, uint32_t duration);

// The built-in curves, also called directly by some action kinds and animation steps.
float EaseCurveLinear(uint32_t elapsed, uint32_t duration);
float EaseCurveLogIn(uint32_t elapsed, uint32_t duration);
float EaseCurveLogOut(uint32_t elapsed, uint32_t duration);
float EaseCurveSine(uint32_t elapsed, uint32_t duration);
// The clamped quadratic ease-out; no easing type selects it.
float EaseCurveQuadOut(uint32_t elapsed, uint32_t duration);

// One table curve with the duration rule of EvaluateEasing (duration 0 or no curve: 1.0).
float EaseCurveAt(EaseCurve curve, uint32_t elapsed, uint32_t duration);

// Row (type - 16) of the table, or null for a type outside 16-48.
EaseCurve EaseCurveForType(EasingType type);

// sin(2 pi i / 512) to six decimals. The sine of angle a (in 1/512 turns) is entry (a & 0x1FF),
// its cosine entry ((a + 128) & 0x1FF).
const std::array<float, 512>& SineTable512();

// The offset of a circular motion from its centre at progress p, for the circle actions and the
// circle steps of frame animations alike. Words: start angles x, y, start radii x, y, angle
// changes x, y, radius changes x, y (angles in 1/512 turns, radii in pixels). x reads the sine
// of its angle, y the cosine, so at angle 0 the offset is (0, radius y).
std::array<int32_t, 2> CircleOffsetAt(const std::array<int32_t, 8>& words, float p);

}  // namespace adv
