// `TextEditDialog`: the free text editor of `edit`, a multi-line field with a counter of cells
// against the script's limit, OK and Cancel. Focus order: the field, OK, Cancel.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "program/dialogs/edit_field.h"
#include "program/dialogs/modal_dialog.h"

namespace adv {

// The field holds at most this many bytes (the rest of a 1,024-byte buffer is its zero).
inline constexpr size_t kTextEditBytes = 1023;

// Cells of a text: a double-byte character 2 (a byte of 0x80 or above takes the byte after it
// along), LF 1, CR 0, any other byte 1.
int32_t TextEditCount(std::string_view text);
// What OK takes from the field: whole characters (and whole CR LF pairs) while their cells stay
// within the limit, so the accepted text is never cut inside a character.
std::string TextEditAcceptedText(std::string_view text, int32_t limit);

class TextEditDialog : public ModalDialog {
 public:
  enum Focus { kField, kOk, kCancel, kFocusCount };

  TextEditDialog(std::string caption, std::string_view text, int32_t limit);

  void Apply(const os::TextInputEvent& event) override;
  void Click(int32_t x, int32_t y) override;
  int32_t Width() const override { return 440; }
  int32_t Height() const override { return 130; }
  void Draw(DialogCanvas& canvas, DialogFont& font) const override;

  const EditField& field() const { return field_; }
  const std::string& counter() const { return counter_; }
  bool ok_enabled() const { return ok_enabled_; }
  int focus() const { return focus_; }
  // The text OK read (empty before OK).
  const std::string& accepted() const { return accepted_; }

 private:
  // Where the field lies with text of that height.
  CanvasRect FieldRect(int32_t font_height) const;
  void CounterUpdate();
  void Accept();

  std::string caption_;
  int32_t limit_;
  EditField field_{kTextEditBytes, true};
  std::string counter_;
  bool ok_enabled_ = true;
  int focus_ = kField;
  std::string accepted_;
};

}  // namespace adv
