// Command group 0x14: mathematics in fixed point, a script value v standing for v / 10000.
// Every intermediate value is a double; a result that is not a number or does not fit in 32 bits
// becomes the most negative value.
#include <cmath>
#include <cstdint>
#include <limits>

#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr double kScale = 10000.0;
constexpr int32_t kInvalid = std::numeric_limits<int32_t>::min();

double Real(int32_t value) {
  return value / kScale;
}

// y × 10000, truncated toward zero.
int32_t FixedPoint(double y) {
  const double scaled = std::trunc(y * kScale);
  if (std::isnan(scaled) || scaled < std::numeric_limits<int32_t>::min() ||
      scaled > std::numeric_limits<int32_t>::max()) {
    return kInvalid;
  }
  return static_cast<int32_t>(scaled);
}

// a + (R mod (b - a + 1)), with the range taken in 64 bits: the whole 32-bit range (2^32) and
// ranges wider than 2^31 stay what they say instead of wrapping to 0 or a negative divisor. An
// empty range (b = a - 1) gives a.
int CmdRandom(AdvContext& context) {
  const auto [a, b] = PopArgs<2>(context);
  const int64_t range = static_cast<int64_t>(b) - a + 1;
  const int64_t draw = yel::YelRandomEx();
  const int64_t value = range == 0 ? a : a + draw % range;
  const int32_t result = static_cast<int32_t>(static_cast<uint32_t>(value));
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] random %d, %d", result, a, b);
  return 1;
}

int CmdAbs(AdvContext& context) {
  const int32_t v = PopArg(context);
  const int32_t result = v == kInvalid ? v : (v < 0 ? -v : v);
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] abs %d", result, v);
  return 1;
}

struct UnaryMath {
  double (*function)(double);
  const char* trace;
};

constexpr UnaryMath kUnaryMath[] = {
    {[](double x) { return std::sin(x); }, "[%d] sin %d"},
    {[](double x) { return std::cos(x); }, "[%d] cos %d"},
    {[](double x) { return std::tan(x); }, "[%d] tan %d"},
    {[](double x) { return std::atan(x); }, "[%d] atan %d"},
    {[](double x) { return std::log(x); }, "[%d] log %d"},
    {[](double x) { return std::log10(x); }, "[%d] log10 %d"},
    {[](double x) { return std::sqrt(x); }, "[%d] sqrt %d"},
};
enum UnaryIndex { kSin, kCos, kTan, kAtan, kLog, kLog10, kSqrt };

template <UnaryIndex kIndex>
int CmdUnary(AdvContext& context) {
  const UnaryMath& math = kUnaryMath[kIndex];
  const int32_t x = PopArg(context);
  const int32_t result = FixedPoint(math.function(Real(x)));
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, math.trace, result, x);
  return 1;
}

struct BinaryMath {
  double (*function)(double, double);
  const char* trace;
};

constexpr BinaryMath kBinaryMath[] = {
    {[](double x, double y) { return std::pow(x, y); }, "[%d] pow %d ^ %d"},
    {[](double x, double y) { return x * y; }, "[%d] mul %d * %d"},
    {[](double x, double y) { return x / y; }, "[%d] div %d / %d"},
};
enum BinaryIndex { kPow, kMul, kDiv };

template <BinaryIndex kIndex>
int CmdBinary(AdvContext& context) {
  const BinaryMath& math = kBinaryMath[kIndex];
  const auto [a, b] = PopArgs<2>(context);
  const int32_t result = FixedPoint(math.function(Real(a), Real(b)));
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, math.trace, result, a, b);
  return 1;
}

// Indexed by the low 16 bits of the code.
constexpr CommandHandler kMathCommands[] = {
    CmdRandom,         // 0x140000 random
    CmdAbs,            // 0x140001 abs
    CmdUnary<kSin>,    // 0x140002 sin
    CmdUnary<kCos>,    // 0x140003 cos
    CmdUnary<kTan>,    // 0x140004 tan
    CmdUnary<kAtan>,   // 0x140005 atan
    CmdUnary<kLog>,    // 0x140006 log
    CmdUnary<kLog10>,  // 0x140007 log10
    CmdBinary<kPow>,   // 0x140008 pow
    CmdUnary<kSqrt>,   // 0x140009 sqrt
    CmdBinary<kMul>,   // 0x14000A mul
    CmdBinary<kDiv>,   // 0x14000B div
};

}  // namespace

const CommandHandlers kCmdGroupMathHandlers = {kMathCommands, std::size(kMathCommands)};

}  // namespace adv
