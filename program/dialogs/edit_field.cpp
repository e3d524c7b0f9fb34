#include "program/dialogs/edit_field.h"

#include <algorithm>

#include "os/encoding.h"
#include "program/data/string_helpers.h"

namespace adv {
namespace {

// The length of the UTF-8 sequence that starts with `byte` (1 for a stray byte).
size_t Utf8Length(uint8_t byte) {
  if (byte >= 0xF0 && byte < 0xF8) return 4;
  if (byte >= 0xE0) return byte < 0xF0 ? 3 : 1;
  if (byte >= 0xC0) return 2;
  return 1;
}

// The CP932 bytes of one UTF-8 character; empty when code page 932 has no code for it or it is a
// control character.
std::string Cp932Character(std::string_view utf8) {
  if (utf8.size() == 1 && static_cast<uint8_t>(utf8[0]) < 0x20) return {};
  if (utf8 == "\x7F") return {};
  // The converter writes "?" for what it cannot convert: only a character that comes back from
  // code page 932 as itself is taken.
  const std::string converted = os::Utf8ToCp932(utf8);
  if (converted.empty() || os::Cp932ToUtf8(converted) != utf8) return {};
  return converted;
}

}  // namespace

void EditField::SetText(std::string_view cp932) {
  size_t end = 0;
  while (end < cp932.size()) {
    const size_t step = IsCp932LeadByte(static_cast<uint8_t>(cp932[end])) ? 2 : 1;
    if (end + step > capacity_ || end + step > cp932.size()) break;
    end += step;
  }
  text_.assign(cp932.substr(0, end));
  caret_ = text_.size();
  composition_.clear();
}

EditField::Outcome EditField::Apply(const os::TextInputEvent& event) {
  switch (event.kind) {
    case os::TextInputEvent::Kind::kText:
      composition_.clear();
      return Insert(event.utf8);
    case os::TextInputEvent::Kind::kComposition:
      if (composition_ == event.utf8) return Outcome::kNone;
      composition_ = event.utf8;
      return Outcome::kChanged;
    case os::TextInputEvent::Kind::kKey:
      // While the input method composes, the editing keys are its own.
      if (!composition_.empty()) return Outcome::kNone;
      return ApplyKey(event);
  }
  return Outcome::kNone;
}

EditField::Outcome EditField::Insert(std::string_view utf8) {
  bool refused = false;
  bool changed = false;
  for (size_t i = 0; i < utf8.size();) {
    size_t length = std::min(Utf8Length(static_cast<uint8_t>(utf8[i])), utf8.size() - i);
    std::string_view character = utf8.substr(i, length);
    i += length;
    std::string bytes;
    if (character == "\r" || character == "\n") {
      if (character == "\r" && i < utf8.size() && utf8[i] == '\n') ++i;
      // A single-line field takes a pasted text up to its first line break.
      if (!multi_line_) break;
      bytes = "\r\n";
    } else {
      bytes = Cp932Character(character);
    }
    if (bytes.empty() || text_.size() + bytes.size() > capacity_) {
      refused = true;
      continue;
    }
    text_.insert(caret_, bytes);
    caret_ += bytes.size();
    changed = true;
  }
  if (refused) return Outcome::kRefused;
  return changed ? Outcome::kChanged : Outcome::kNone;
}

EditField::Outcome EditField::ApplyKey(const os::TextInputEvent& event) {
  const size_t before = caret_;
  switch (event.key) {
    case os::TextKey::kBackspace:
      if (caret_ == 0) return Outcome::kNone;
      caret_ = PreviousCharacter(caret_);
      text_.erase(caret_, before - caret_);
      return Outcome::kChanged;
    case os::TextKey::kDelete: {
      const size_t next = NextCharacter(caret_);
      if (next == caret_) return Outcome::kNone;
      text_.erase(caret_, next - caret_);
      return Outcome::kChanged;
    }
    case os::TextKey::kLeft:
      caret_ = PreviousCharacter(caret_);
      break;
    case os::TextKey::kRight:
      caret_ = NextCharacter(caret_);
      break;
    case os::TextKey::kUp:
    case os::TextKey::kDown:
      return Outcome::kNone;
    case os::TextKey::kHome:
      caret_ = LineStart(caret_);
      break;
    case os::TextKey::kEnd:
      caret_ = LineEnd(caret_);
      break;
    case os::TextKey::kReturn:
      if (multi_line_) return Insert("\n");
      return Outcome::kReturn;
    case os::TextKey::kEscape:
      return Outcome::kEscape;
    case os::TextKey::kTab:
      return Outcome::kTab;
    case os::TextKey::kPaste:
      return Insert(os::ClipboardText());
  }
  return caret_ == before ? Outcome::kNone : Outcome::kChanged;
}

size_t EditField::PreviousCharacter(size_t at) const {
  // Walked from the start: a trail byte can look like a lead byte, so only a forward walk knows
  // where the characters begin.
  size_t previous = 0;
  for (size_t i = 0; i < at;) {
    previous = i;
    i = NextCharacter(i);
  }
  return previous;
}

size_t EditField::NextCharacter(size_t at) const {
  if (at >= text_.size()) return text_.size();
  if (text_[at] == '\r' && at + 1 < text_.size() && text_[at + 1] == '\n') return at + 2;
  const size_t step = IsCp932LeadByte(static_cast<uint8_t>(text_[at])) ? 2 : 1;
  return std::min(at + step, text_.size());
}

size_t EditField::LineStart(size_t at) const {
  const size_t found = text_.rfind('\n', at == 0 ? 0 : at - 1);
  return found == std::string::npos || found >= at ? 0 : found + 1;
}

size_t EditField::LineEnd(size_t at) const {
  const size_t found = text_.find("\r\n", at);
  return found == std::string::npos ? text_.size() : found;
}

}  // namespace adv
