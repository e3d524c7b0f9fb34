#include "os/encoding.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace os {
namespace {

// "CP932" rather than "SHIFT_JIS": the code page adds the NEC and IBM rows and maps 0x5C to a
// backslash, as the game data expects.
const char* IconvName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8: return "UTF-8";
    case Encoding::kCp932: return "CP932";
    case Encoding::kGbk: return "GBK";
  }
  return "UTF-8";
}

}  // namespace

std::string Convert(std::string_view text, Encoding from, Encoding to) {
  if (from == to) return std::string(text);
  iconv_t cd = iconv_open(IconvName(to), IconvName(from));
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out;
  out.resize(text.size() * 4 + 4);
  char* in_ptr = const_cast<char*>(text.data());
  size_t in_left = text.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  while (in_left > 0) {
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) break;  // cannot happen with four bytes per input byte
    // An invalid or truncated sequence: emit '?' and step over one byte.
    if (out_left == 0) break;
    *out_ptr++ = '?';
    --out_left;
    ++in_ptr;
    --in_left;
  }
  out.resize(out.size() - out_left);
  iconv_close(cd);
  return out;
}

const char* Sjis(const char* utf8_literal) {
  static std::mutex mutex;
  static std::map<const char*, std::string> cache;
  std::lock_guard lock(mutex);
  auto [it, inserted] = cache.try_emplace(utf8_literal);
  if (inserted) it->second = Utf8ToCp932(utf8_literal);
  return it->second.c_str();
}

}  // namespace os
