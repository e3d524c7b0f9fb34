#include "program/dialogs/text_edit_dialog.h"

#include <cstdio>

#include "os/debug_output.h"
#include "os/encoding.h"

namespace adv {
namespace {

// The length of the character at `at` in the counter's reading: a byte of 0x80 or above and the
// byte after it, a CR LF pair, or one byte.
size_t CountedLength(std::string_view text, size_t at) {
  const uint8_t byte = static_cast<uint8_t>(text[at]);
  if (byte >= 0x80) return at + 1 < text.size() ? 2 : 1;
  if (byte == '\r' && at + 1 < text.size() && text[at + 1] == '\n') return 2;
  return 1;
}

int32_t CellsOf(std::string_view character) {
  int32_t cells = 0;
  for (size_t i = 0; i < character.size(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(character[i]);
    if (byte >= 0x80) {
      cells += 2;
      ++i;
    } else if (byte != '\r') {
      cells += 1;
    }
  }
  return cells;
}

std::string Format(const char* format, int32_t a, int32_t b, int32_t c = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

}  // namespace

int32_t TextEditCount(std::string_view text) {
  return CellsOf(text);
}

std::string TextEditAcceptedText(std::string_view text, int32_t limit) {
  int32_t cells = 0;
  size_t end = 0;
  while (end < text.size()) {
    const size_t length = CountedLength(text, end);
    const int32_t more = CellsOf(text.substr(end, length));
    if (cells + more > limit) break;
    cells += more;
    end += length;
  }
  return std::string(text.substr(0, end));
}

TextEditDialog::TextEditDialog(std::string caption, std::string_view text, int32_t limit)
    : caption_(std::move(caption)), limit_(limit) {
  field_.SetText(text.substr(0, kTextEditBytes));
  // The first count shows no "over", and OK stays enabled until the text is next changed.
  counter_ = Format("%d/%d", TextEditCount(field_.text()), limit_);
}

void TextEditDialog::CounterUpdate() {
  const int32_t count = TextEditCount(field_.text());
  if (count > limit_) {
    counter_ = Format("%d/%d(over %d)", count, limit_, count - limit_);
    ok_enabled_ = false;
  } else {
    counter_ = Format("%d/%d", count, limit_);
    ok_enabled_ = count > 0;
  }
}

void TextEditDialog::Accept() {
  accepted_ = TextEditAcceptedText(field_.text(), limit_);
  os::DebugOutput("************************* tweet string **************\n");
  os::DebugOutput(field_.text().c_str());
  os::DebugOutput("\n");
  os::DebugOutput(accepted_.c_str());
  os::DebugOutput("\n");
  EndDialog(0);
}

void TextEditDialog::Apply(const os::TextInputEvent& event) {
  const bool key = event.kind == os::TextInputEvent::Kind::kKey;
  if (key && event.key == os::TextKey::kEscape) return EndDialog(kCancelled);
  if (key && event.key == os::TextKey::kTab) {
    focus_ = NextFocus(focus_, kFocusCount, event.shift,
                       [this](int f) { return f != kOk || ok_enabled_; });
    return;
  }
  if (focus_ == kField) {
    if (field_.Apply(event) != EditField::Outcome::kNone) CounterUpdate();
    return;
  }
  if (key && event.key == os::TextKey::kReturn) {
    if (focus_ == kCancel) return EndDialog(kCancelled);
    if (ok_enabled_) Accept();
  }
}

void TextEditDialog::Click(int32_t x, int32_t y) {
  if (FieldRect(kDialogFontHeight).Contains(x, y)) {
    focus_ = kField;
  } else if (DialogCancelButton(Width(), Height()).Contains(x, y)) {
    EndDialog(kCancelled);
  } else if (ok_enabled_ && DialogOkButton(Width(), Height()).Contains(x, y)) {
    focus_ = kOk;
    Accept();
  }
}

CanvasRect TextEditDialog::FieldRect(int32_t font_height) const {
  return {8, DialogCaptionHeight(font_height) + 6, Width() - 16, font_height * 3 + 6};
}

void TextEditDialog::Draw(DialogCanvas& canvas, DialogFont& font) const {
  DrawDialogWindow(canvas, font, caption_);
  DrawEditField(canvas, font, FieldRect(font.height()), field_, focus_ == kField);
  DrawDialogLabel(canvas, font, {10, Height() - 26, 200, font.height()}, counter_);
  DrawDialogOkCancel(canvas, font, focus_, kOk, kCancel, ok_enabled_);
}

}  // namespace adv
