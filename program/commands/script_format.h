// The script's own format language, as `wsprint` uses it: "%s" and its kin insert texts, "%f"
// file names, "%n" a line end, "%%" and "%'" a percent sign and a double quote, and any other
// "%" starts a numeric conversion that ends at the first "d", "D", "x", "X" or "c".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace adv {

struct AdvContext;

inline constexpr size_t kScriptFormatArguments = 8;
// The output buffer's size: the text is cut so that it and its zero fit.
inline constexpr size_t kScriptFormatCapacity = 4096;

// Formats with the eight argument words; a conversion beyond the eighth reads 0. Text and
// file-name arguments are resolved through the context.
std::string FormatScriptText(AdvContext& context, std::string_view format,
                             const std::array<int32_t, kScriptFormatArguments>& arguments);

}  // namespace adv
