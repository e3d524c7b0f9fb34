// printf-style formatting into a std::string.
#pragma once

#include <cstdarg>
#include <string>

namespace os {

std::string FormatV(const char* format, va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace os
