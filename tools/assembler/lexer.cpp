#include "tools/assembler/lexer.h"

#include <algorithm>
#include <cctype>

#include "os/encoding.h"

namespace advasm {
namespace {

bool IsIdentStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Two-character punctuators first, so "<<" is not read as two "<".
constexpr std::string_view kPunct2[] = {"<<", ">>", "->"};
constexpr std::string_view kPunct1 = ",:[]()+-*/%&|^~=@";

class Lexer {
 public:
  Lexer(std::string_view source, const std::string& file, Diagnostics& diagnostics)
      : src_(source), file_(file), diagnostics_(diagnostics) {}

  std::vector<Token> Run();

 private:
  char Peek(size_t ahead = 0) const {
    return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0';
  }
  void Error(std::string message) { diagnostics_.Error(file_, line_, std::move(message)); }
  void Push(TokenKind kind, std::string text, uint64_t number = 0) {
    tokens_.push_back({kind, std::move(text), number, line_});
  }
  void SkipComment() {
    while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
  }
  void LexNewline();
  void LexNumber();
  void LexIdent();
  void LexQuoted(TokenKind kind);
  bool LexEscape(std::string& raw_out);
  bool ConvertRun(TokenKind kind, std::string& utf8, std::string& out);
  void LexPunct();

  std::string_view src_;
  const std::string& file_;
  Diagnostics& diagnostics_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int line_ = 1;
  // Lines of the brackets and parentheses still open: statements continue over line ends.
  std::vector<int> open_lines_;
};

std::vector<Token> Lexer::Run() {
  while (pos_ < src_.size()) {
    const char c = src_[pos_];
    if (c == '\n') {
      LexNewline();
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++pos_;
    } else if (c == ';' || (c == '/' && Peek(1) == '/')) {
      SkipComment();
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      LexNumber();
    } else if (c == 'f' && Peek(1) == '"') {
      ++pos_;
      LexQuoted(TokenKind::kFileName);
    } else if (IsIdentStart(c)) {
      LexIdent();
    } else if (c == '.' && IsIdentStart(Peek(1))) {
      ++pos_;
      LexIdent();
      tokens_.back().kind = TokenKind::kDirective;
    } else if (c == '"') {
      LexQuoted(TokenKind::kText);
    } else {
      LexPunct();
    }
  }
  if (!open_lines_.empty()) {
    diagnostics_.Error(file_, open_lines_.front(),
                       "a bracket or parenthesis opened here is never closed");
  }
  Push(TokenKind::kNewline, "");
  Push(TokenKind::kEnd, "");
  return std::move(tokens_);
}

void Lexer::LexNewline() {
  if (open_lines_.empty()) Push(TokenKind::kNewline, "");
  ++pos_;
  ++line_;
}

void Lexer::LexNumber() {
  int base = 10;
  if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
    base = 16;
    pos_ += 2;
  } else if (Peek() == '0' && (Peek(1) == 'b' || Peek(1) == 'B')) {
    base = 2;
    pos_ += 2;
  }
  const size_t start = pos_;
  uint64_t value = 0;
  bool overflow = false;
  bool any_digit = false;
  while (pos_ < src_.size() && (IsIdentChar(src_[pos_]))) {
    const char c = src_[pos_++];
    if (c == '_') continue;
    const int digit = DigitValue(c);
    if (digit >= base) {
      Error("bad digit '" + std::string(1, c) + "' in the number '" +
            std::string(src_.substr(start, pos_ - start)) + "'");
      while (pos_ < src_.size() && IsIdentChar(src_[pos_])) ++pos_;
      Push(TokenKind::kNumber, "0", 0);  // keeps the statement whole: one fault, one message
      return;
    }
    any_digit = true;
    if (value > (UINT64_MAX >> 8)) overflow = true;
    value = value * base + digit;
  }
  if (!any_digit) {
    Error("a number needs digits after its prefix");
    return;
  }
  if (overflow) {
    Error("the number is too large");
    return;
  }
  Push(TokenKind::kNumber, std::string(src_.substr(start, pos_ - start)), value);
}

void Lexer::LexIdent() {
  const size_t start = pos_;
  while (pos_ < src_.size() && IsIdentChar(src_[pos_])) ++pos_;
  Push(TokenKind::kIdent, std::string(src_.substr(start, pos_ - start)));
}

// A quoted text: UTF-8 runs are converted to Shift-JIS as a whole, escapes "\xHH" add raw
// bytes. A zero byte would end the text early in the engine, so it is refused.
void Lexer::LexQuoted(TokenKind kind) {
  const int start_line = line_;
  ++pos_;  // the opening quote
  std::string out;
  std::string run;
  bool faulty = false;
  while (true) {
    if (pos_ >= src_.size() || src_[pos_] == '\n') {
      diagnostics_.Error(file_, start_line, "unterminated text: a closing '\"' is missing");
      return;
    }
    const char c = src_[pos_];
    if (c == '"') {
      ++pos_;
      break;
    }
    if (c == '\\') {
      std::string raw;
      if (!LexEscape(raw)) {
        faulty = true;
        continue;
      }
      if (raw.size() == 1 && static_cast<unsigned char>(raw[0]) >= 0x80) {
        faulty |= !ConvertRun(kind, run, out);
        out += raw;
      } else {
        run += raw;
      }
      continue;
    }
    run += c;
    ++pos_;
  }
  faulty |= !ConvertRun(kind, run, out);
  // A faulty text is kept (its fault is reported) so the statement around it parses on.
  tokens_.push_back({kind, std::move(out), 0, start_line, faulty});
}

bool Lexer::LexEscape(std::string& raw_out) {
  const char e = Peek(1);
  pos_ += 2;
  switch (e) {
    case '"':
      raw_out = "\"";
      return true;
    case '\\':
      raw_out = "\\";
      return true;
    case 'n':
      raw_out = "\n";
      return true;
    case 't':
      raw_out = "\t";
      return true;
    case 'r':
      raw_out = "\r";
      return true;
    case 'x': {
      const int high = DigitValue(Peek());
      const int low = DigitValue(Peek(1));
      if (high > 15 || low > 15) {
        Error("'\\x' needs two hex digits");
        return false;
      }
      pos_ += 2;
      if (high == 0 && low == 0) {
        Error("a text cannot hold a zero byte");
        return false;
      }
      raw_out = std::string(1, static_cast<char>(high * 16 + low));
      return true;
    }
    default:
      Error(std::string("unknown escape '\\") + (e ? std::string(1, e) : "") +
            "' (known: \\\" \\\\ \\n \\t \\r \\xHH)");
      return false;
  }
}

// The converter writes '?' for what it cannot convert, so more '?' out than in means a
// character that Shift-JIS cannot hold (or bytes that are not UTF-8).
bool Lexer::ConvertRun(TokenKind kind, std::string& utf8, std::string& out) {
  if (utf8.empty()) return true;
  const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  std::string converted = ascii ? utf8 : os::Utf8ToCp932(utf8);
  if (std::count(converted.begin(), converted.end(), '?') !=
      std::count(utf8.begin(), utf8.end(), '?')) {
    Error(std::string(kind == TokenKind::kFileName ? "the file name" : "the text") + " \"" + utf8 +
          "\" has characters that Shift-JIS cannot hold");
    utf8.clear();
    return false;
  }
  out += converted;
  utf8.clear();
  return true;
}

void Lexer::LexPunct() {
  for (std::string_view p : kPunct2) {
    if (src_.substr(pos_, 2) == p) {
      Push(TokenKind::kPunct, std::string(p));
      pos_ += 2;
      return;
    }
  }
  const char c = src_[pos_];
  if (kPunct1.find(c) == std::string_view::npos) {
    const unsigned char u = static_cast<unsigned char>(c);
    Error(u >= 0x80 ? std::string("unexpected non-ASCII character outside a text")
                    : "unexpected character '" + std::string(1, c) + "'");
    ++pos_;
    // Step over the rest of a multi-byte UTF-8 character in one go.
    while (pos_ < src_.size() && (static_cast<unsigned char>(src_[pos_]) & 0xC0) == 0x80) ++pos_;
    return;
  }
  if (c == '(' || c == '[') open_lines_.push_back(line_);
  if ((c == ')' || c == ']') && !open_lines_.empty()) open_lines_.pop_back();
  Push(TokenKind::kPunct, std::string(1, c));
  ++pos_;
}

}  // namespace

std::string Describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::kEnd:
      return "the end of the file";
    case TokenKind::kNewline:
      return "the end of the line";
    case TokenKind::kDirective:
      return "'." + token.text + "'";
    case TokenKind::kText:
      return "a text";
    case TokenKind::kFileName:
      return "a file name";
    default:
      return "'" + token.text + "'";
  }
}

std::vector<Token> Tokenize(std::string_view source, const std::string& file,
                            Diagnostics& diagnostics) {
  return Lexer(source, file, diagnostics).Run();
}

}  // namespace advasm
