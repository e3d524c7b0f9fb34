#include "program/data/profile_reader.h"

#include <algorithm>

#include "program/data/string_helpers.h"
#include "program/savedata/save_folder_file.h"

namespace adv {
namespace {

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// The start of the next line: past CR LF, a lone CR or a lone LF; the end of the text when the
// line has no line end.
size_t NextLine(std::string_view text, size_t i) {
  while (i < text.size() && !IsLineEnd(text[i])) ++i;
  if (i >= text.size()) return i;
  if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') return i + 2;
  return i + 1;
}

// Blanks passed over before a value. LF is not among them: it ends the line without a value.
bool IsValueBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool IsTrailingBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Reads the value that follows a matching key's "=" at `i`.
int ReadValue(std::string_view text, size_t i, std::string& out) {
  while (i < text.size() && IsValueBlank(text[i])) ++i;
  if (i >= text.size() || text[i] == '\n') return 1;
  out.assign(text.substr(i, static_cast<size_t>(LineLength(text.substr(i)))));
  return 1;
}

// Section and key names compare as the profile writer compares them: ASCII letters without
// regard to case, other bytes as they are.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// A key without the blanks around it.
std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

size_t ProfileFindSection(std::string_view section, std::string_view text) {
  const std::string header = "[" + std::string(section) + "]";
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ';') {
      i = NextLine(text, i);
    } else if (text[i] == '[') {
      if (SameName(text.substr(i, header.size()), header)) {
        return NextLine(text, i + header.size());
      }
      i = NextLine(text, i);
    } else {
      ++i;
    }
  }
  return text.size();
}

int ProfileReadText(std::string_view section, std::string_view key, std::string& out,
                    std::string_view text) {
  text = text.substr(0, text.find('\0'));
  size_t i = ProfileFindSection(section, text);
  if (i >= text.size()) return 0;
  std::string key_text;
  while (i < text.size()) {
    const char first = text[i];
    if (IsLineEnd(first) || first == ';') {
      i = NextLine(text, i);
      continue;
    }
    if (first == '[') return 0;
    // A line without "=" holds no key and is passed over.
    const std::string_view line = text.substr(i, NextLine(text, i) - i);
    StrGetToken(key_text, line, "=", static_cast<int>(line.size()));
    if (key_text.size() < line.size() && SameName(TrimBlanks(key_text), key)) {
      return ReadValue(text, i + key_text.size() + 1, out);
    }
    i = NextLine(text, i);
  }
  return 1;
}

int ProfileReadString(std::string_view section, std::string_view key, std::string& out,
                      const std::string& file_name, const GameFileRead& read) {
  const std::optional<std::string> text = read(file_name, 0, kWholeFile);
  if (!text) return 0;
  return ProfileReadText(section, key, out, *text);
}

size_t ProfileGetString(std::string_view section, std::string_view key,
                        std::string_view default_value, std::string& out,
                        const std::string& file_name, const GameFileRead& read) {
  out.assign(default_value);
  ProfileReadString(section, key, out, file_name, read);
  while (!out.empty() && IsTrailingBlank(out.back())) out.pop_back();
  if (out.size() >= 2 && out.front() == '"' && out.back() == '"') {
    out = out.substr(1, out.size() - 2);
  }
  return out.size();
}

std::string ResolveProfilePath(const std::string& save_folder, const std::string& base_folder,
                               const std::string& name) {
  for (const std::string* folder : {&save_folder, &base_folder}) {
    const std::string path = *folder + "/" + name;
    if (EnginePathExists(path)) return path;
  }
  return name;
}

}  // namespace adv
