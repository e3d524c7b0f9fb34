#include "program/data/script_token_file.h"

#include <climits>
#include <cstring>

#include "program/data/string_helpers.h"

namespace adv {
namespace {

// A text token's text is looked for within its first 512 bytes.
constexpr size_t kQuotedLimit = 512;
constexpr size_t kMaxDataSize = 0x7FFFFFFF;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The position after the line end (CR LF, CR or LF) of the line that holds `from`, or the end.
size_t AfterLineEnd(std::string_view file, size_t from) {
  const size_t end = file.find_first_of("\r\n", from);
  if (end == std::string_view::npos) return file.size();
  return file.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
}

// The text of a token that starts with a double quote: up to the next quote, or to the end of
// the token when the quote is not closed (a comma inside the quotes cuts the text there).
std::string_view QuotedText(std::string_view token) {
  const std::string_view head = token.substr(0, kQuotedLimit);
  const size_t close = head.find('"', 1);
  return head.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
}

void AppendWord(std::vector<uint8_t>& bytes, uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(word >> shift));
}

}  // namespace

std::string TokenFileNormalise(std::string_view file) {
  std::string text;
  text.reserve(file.size());
  bool kept_on_line = false;  // a byte was kept since the start or the last kept LF
  for (size_t i = 0; i < file.size();) {
    const char c = file[i];
    if (file.compare(i, 2, "//") == 0) {
      i = AfterLineEnd(file, i);
    } else if (c == '"' && i + 1 < file.size()) {
      const size_t close = file.find('"', i + 1);
      const size_t end = close == std::string_view::npos ? file.size() : close + 1;
      text.append(file.substr(i, end - i));
      kept_on_line = true;
      i = end;
    } else if (c == '\n') {
      if (kept_on_line) text += '\n';
      kept_on_line = false;
      ++i;
    } else {
      if (!IsBlank(c)) {
        text += c;
        kept_on_line = true;
      }
      ++i;
    }
  }
  return text;
}

std::optional<TokenFileData> TokenFileBuild(std::string_view file) {
  const std::string text = TokenFileNormalise(file);
  std::vector<uint8_t> values;
  std::vector<uint8_t> texts;
  std::string token;
  for (size_t pos = 0; pos < text.size();) {
    // The whole token up to its separator: a long token is one value, never split in two.
    pos +=
        static_cast<size_t>(StrGetToken(token, std::string_view(text).substr(pos), ",\n", INT_MAX));
    if (!token.empty() && token[0] == '"') {
      const std::string_view quoted = QuotedText(token);
      AppendWord(values, kTokenTextBit | static_cast<uint32_t>(texts.size()));
      texts.push_back(static_cast<uint8_t>(quoted.size()));
      texts.push_back(static_cast<uint8_t>(quoted.size() >> 8));
      texts.insert(texts.end(), quoted.begin(), quoted.end());
    } else {
      int digits = 0;
      AppendWord(values, static_cast<uint32_t>(ParseDecimal(token, digits)));
    }
    if (values.size() + texts.size() > kMaxDataSize) return std::nullopt;
  }
  TokenFileData data;
  data.value_size = static_cast<uint32_t>(values.size());
  data.bytes = std::move(values);
  data.bytes.insert(data.bytes.end(), texts.begin(), texts.end());
  return data;
}

}  // namespace adv
