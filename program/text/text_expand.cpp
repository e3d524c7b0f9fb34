// Script texts before layout: the player name and memory references replaced by text, and the
// save text with its tags dropped and broken into lines. Both write into fixed buffers and never
// split a double-byte character; a unit that does not fit ends the text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "program/data/string_helpers.h"
#include "program/game/adv_context.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "program/text/text_units.h"

namespace adv {
namespace {

// A destination of `size` bytes that takes whole units while they fit below its terminator.
class BoundedText {
 public:
  BoundedText(char* out, size_t size) : out_(out), size_(size) {}
  // False, writing nothing, when the bytes do not fit.
  bool Append(const char* bytes, size_t n) {
    if (size_ == 0 || used_ + n > size_ - 1) return false;
    std::memcpy(out_ + used_, bytes, n);
    used_ += n;
    return true;
  }
  void Terminate() {
    if (size_ != 0) out_[used_] = 0;
  }
  size_t used() const { return used_; }
  void CutTo(size_t n) { used_ = n; }

 private:
  char* out_;
  size_t size_;
  size_t used_ = 0;
};

// The cell a "&x[n]" reference names, or null for another letter or an index outside its memory.
const int32_t* MemoryCell(AdvContext& context, char letter, int64_t index) {
  ValueStores& values = context.values;
  const auto cell = [index](const auto& memory) -> const int32_t* {
    return index >= 0 && index < static_cast<int64_t>(memory.size()) ? &memory[index] : nullptr;
  };
  switch (letter) {
    case 'f':
      return cell(values.system_memory);
    case 'm':
      return cell(values.user_memory);
    case 't':
      return cell(values.temp_memory);
    default:
      return nullptr;
  }
}

// The decimal index at the start of `digits` (leading digits only, saturated).
int64_t LeadingDecimal(std::string_view digits) {
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX);
  }
  return value;
}

// "&x[n]": the cell's value in full-width digits. The field ends at its "]"; a reference to no
// cell expands to nothing. Result: the bytes of the source used, 0 when there is no "]" (the "&"
// is then an ordinary character).
size_t ExpandMemoryReference(AdvContext& context, const char* at, BoundedText& out, bool& full) {
  const char* close = std::strchr(at, ']');
  if (!close) return 0;
  const std::string_view field(at, static_cast<size_t>(close - at) + 1);
  if (field.size() >= 4) {
    if (const int32_t* cell = MemoryCell(context, field[1], LeadingDecimal(field.substr(3)))) {
      const std::string digits = IntToFullWidth("%d", *cell);
      full = !out.Append(digits.data(), digits.size());
    }
  }
  return field.size();
}

}  // namespace

void AdvTextExpand(AdvContext& context, char* out, size_t size, const char* text) {
  BoundedText dest(out, size);
  bool full = false;
  size_t i = 0;
  while (text[i] != 0 && !full) {
    const char* at = text + i;
    if (at[0] == '/' && at[1] == 'n') {
      const PlayerNameState& player = context.player_name;
      const size_t length = std::min<size_t>(std::max(player.name_length, 0), player.name.size());
      const size_t whole = WholeCharacterBytes(player.name.data(), length);
      full = !dest.Append(player.name.data(), whole);
      i += 2;
      continue;
    }
    if (at[0] == '&') {
      if (const size_t used = ExpandMemoryReference(context, at, dest, full)) {
        i += used;
        continue;
      }
    }
    const size_t n = at[0] == '<' ? TagLength(at) : TextUnitLength(at);
    full = !dest.Append(at, n);
    i += n;
  }
  dest.Terminate();
}

namespace {

// The width of a single-byte character in the current platform font.
int32_t SingleByteWidth(char c) {
  const char unit[2] = {c, 0};
  int32_t size[2] = {0, 0};
  yel::YelFontGetSize(unit, size);
  return size[0];
}

}  // namespace

void AdvTextStripTags(AdvContext&, char* out, size_t size, const char* text, int32_t width,
                      int32_t height, int32_t font_size) {
  if (size == 0) return;
  std::memset(out, 0, size);
  BoundedText dest(out, size);
  std::vector<size_t> starts;  // where each unit written begins, for the ellipsis below
  int64_t line = 0, total = 0;
  size_t i = 0;
  while (text[i] != 0) {
    const char* at = text + i;
    if (at[0] == '<') {
      i += TagLength(at);
      continue;
    }
    const size_t n = TextUnitLength(at);
    const bool wide = n == 2 || at[0] == '%';
    const int32_t w = wide ? font_size : SingleByteWidth(at[0]);
    starts.push_back(dest.used());
    if (!dest.Append(at, n)) break;
    i += n;
    line += w;
    if (line + w <= width) continue;
    line = 0;
    total += int64_t{font_size} + 2;
    if (total + font_size + 2 > height) {
      // The ellipsis takes the place of at least two bytes of whole characters.
      size_t cut = 0;
      for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
        if (dest.used() - *it >= 2) {
          cut = *it;
          break;
        }
      }
      dest.CutTo(cut);
      std::memset(out + cut, 0, size - cut);
      dest.Append("\x81\x63", 2);
      break;
    }
    starts.push_back(dest.used());
    if (!dest.Append("\n", 1)) break;
  }
  dest.Terminate();
}

}  // namespace adv
