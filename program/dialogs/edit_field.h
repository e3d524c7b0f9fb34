// An edit field of the engine's own: the player-name field and the fields of the modal dialogs.
// The text is CP932 bytes, as the script keeps it; what is typed arrives as UTF-8 from the text
// input channel and is converted character by character, and a character code page 932 has no
// code for is refused rather than stored as "?". The caret always stands between whole
// characters (a double-byte character and a CR LF pair move and delete as one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "os/text_input.h"

namespace adv {

class EditField {
 public:
  // `capacity`: the most bytes the text may hold. A multi-line field takes line breaks as CR LF.
  EditField(size_t capacity, bool multi_line) : capacity_(capacity), multi_line_(multi_line) {}

  // What an event did.
  enum class Outcome {
    kNone,     // nothing changed (a key the field has no use for)
    kChanged,  // the text, the caret or the composition changed
    kRefused,  // some of the input could not be taken (no code, or no room); the rest was
    kReturn,   // Return in a single-line field
    kEscape,
    kTab,
  };
  Outcome Apply(const os::TextInputEvent& event);

  // Replaces the text (cut to the capacity at a whole character) and puts the caret at its end.
  void SetText(std::string_view cp932);
  const std::string& text() const { return text_; }
  size_t caret() const { return caret_; }
  // The input method's text being composed (UTF-8), shown at the caret until it is committed.
  const std::string& composition() const { return composition_; }
  size_t capacity() const { return capacity_; }

 private:
  Outcome Insert(std::string_view utf8);
  Outcome ApplyKey(const os::TextInputEvent& event);
  size_t PreviousCharacter(size_t at) const;
  size_t NextCharacter(size_t at) const;
  size_t LineStart(size_t at) const;
  size_t LineEnd(size_t at) const;

  size_t capacity_;
  bool multi_line_;
  std::string text_;
  size_t caret_ = 0;
  std::string composition_;
};

}  // namespace adv
