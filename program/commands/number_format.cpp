#include "program/commands/number_format.h"

#include <algorithm>

namespace adv {
namespace {

struct NumberDirective {
  bool left = false;
  bool zero_pad = false;
  bool prefix = false;
  size_t width = 0;
  size_t precision = 0;
  bool has_precision = false;
  bool half = false;  // "h": the low 16 bits
  char conversion = 0;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a run of digits, saturating far above any width the output could hold.
size_t ReadCount(std::string_view directive, size_t& i) {
  size_t n = 0;
  while (i < directive.size() && IsDigit(directive[i])) {
    n = std::min<size_t>(n * 10 + static_cast<size_t>(directive[i] - '0'), 1u << 20);
    ++i;
  }
  return n;
}

bool ParseDirective(std::string_view directive, NumberDirective& parsed) {
  if (directive.size() < 2 || directive.front() != '%') return false;
  size_t i = 1;
  for (; i < directive.size(); ++i) {
    if (directive[i] == '-') {
      parsed.left = true;
    } else if (directive[i] == '0') {
      parsed.zero_pad = true;
    } else if (directive[i] == '#') {
      parsed.prefix = true;
    } else {
      break;
    }
  }
  parsed.width = ReadCount(directive, i);
  if (i < directive.size() && directive[i] == '.') {
    ++i;
    parsed.has_precision = true;
    parsed.precision = ReadCount(directive, i);
  }
  if (i < directive.size() && directive[i] == 'l') {
    ++i;
  } else if (i < directive.size() && directive[i] == 'h') {
    parsed.half = true;
    ++i;
  }
  if (i + 1 != directive.size()) return false;
  parsed.conversion = directive[i];
  return std::string_view("dDuxXc").find(parsed.conversion) != std::string_view::npos;
}

std::string Digits(uint32_t magnitude, unsigned base, bool upper) {
  const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), symbols[magnitude % base]);
    magnitude /= base;
  } while (magnitude != 0);
  return digits;
}

// The converted value without padding: the sign or prefix, and the digits.
void Convert(const NumberDirective& directive, int32_t value, std::string& sign,
             std::string& digits) {
  uint32_t bits = static_cast<uint32_t>(value);
  if (directive.half) bits &= 0xFFFF;
  switch (directive.conversion) {
    case 'd':
    case 'D': {
      const int32_t signed_value = directive.half ? static_cast<int16_t>(bits) : value;
      if (signed_value < 0) sign = "-";
      const uint32_t magnitude = signed_value < 0 ? 0u - static_cast<uint32_t>(signed_value)
                                                  : static_cast<uint32_t>(signed_value);
      digits = Digits(magnitude, 10, false);
      break;
    }
    case 'u':
      digits = Digits(bits, 10, false);
      break;
    case 'x':
    case 'X':
      digits = Digits(bits, 16, directive.conversion == 'X');
      if (directive.prefix && bits != 0) sign = directive.conversion == 'X' ? "0X" : "0x";
      break;
    default:  // 'c'
      if ((bits & 0xFF) != 0) digits.assign(1, static_cast<char>(bits & 0xFF));
      return;
  }
  if (directive.has_precision && digits.size() < directive.precision) {
    digits.insert(0, directive.precision - digits.size(), '0');
  }
}

// Appends `count` copies of `c`, or as many as fit.
bool AppendFill(std::string& out, size_t count, char c, size_t capacity) {
  const size_t room = capacity > out.size() ? capacity - out.size() : 0;
  out.append(std::min(count, room), c);
  return count <= room;
}

bool AppendText(std::string& out, std::string_view text, size_t capacity) {
  const size_t room = capacity > out.size() ? capacity - out.size() : 0;
  out.append(text.substr(0, room));
  return text.size() <= room;
}

}  // namespace

bool AppendNumberDirective(std::string& out, std::string_view directive, int32_t value,
                           size_t capacity) {
  NumberDirective parsed;
  if (!ParseDirective(directive, parsed)) return AppendText(out, directive, capacity);
  std::string sign, digits;
  Convert(parsed, value, sign, digits);
  const size_t length = sign.size() + digits.size();
  // A width beyond the room left shrinks to it, so the value itself is still shown.
  const size_t room = capacity > out.size() ? capacity - out.size() : 0;
  const size_t wanted = parsed.width > length ? parsed.width - length : 0;
  const size_t padding = length <= room ? std::min(wanted, room - length) : wanted;
  const bool zeros =
      parsed.zero_pad && !parsed.left && !parsed.has_precision && parsed.conversion != 'c';
  bool whole = true;
  if (!parsed.left && !zeros) whole &= AppendFill(out, padding, ' ', capacity);
  whole &= AppendText(out, sign, capacity);
  if (zeros) whole &= AppendFill(out, padding, '0', capacity);
  whole &= AppendText(out, digits, capacity);
  if (parsed.left) whole &= AppendFill(out, padding, ' ', capacity);
  return whole;
}

}  // namespace adv
