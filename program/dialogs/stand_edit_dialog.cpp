#include "program/dialogs/stand_edit_dialog.h"

#include <algorithm>
#include <cstdio>

#include "os/encoding.h"
#include "program/script/engine_log.h"

namespace adv {
namespace {

constexpr size_t kDecodedBytes = 511;

// Appends when the stored form still has room.
bool Append(std::string& output, std::string_view bytes, size_t capacity) {
  if (output.size() + bytes.size() > capacity) return false;
  output.append(bytes);
  return true;
}

void ShowInputError(const char* text_utf8) {
  ShowBoxOnUiThread(os::Sjis(text_utf8), os::Sjis("入力エラー"), os::BoxButtons::kOk,
                    os::BoxIcon::kWarning);
}

}  // namespace

StandEditState& StandEdit() {
  static StandEditState state;
  return state;
}

bool StandEditIsLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEF);
}

int StandTextEncode(std::string& output, std::string_view input, int32_t cells, int32_t lines,
                    int32_t half_width_cells, size_t capacity) {
  output.clear();
  if (lines < 0) return 0;
  int32_t line = 0;
  int32_t used = 0;
  for (size_t i = 0;; ++i) {
    const uint8_t byte = i < input.size() ? static_cast<uint8_t>(input[i]) : 0;
    if (byte == 0) return 1;
    if (line >= lines) return 0;
    if (byte == '\r' || byte == '\n') {
      if (byte == '\r' && i + 1 < input.size() && input[i + 1] == '\n') ++i;
      if (lines <= 1 || !Append(output, "<br>", capacity)) return 0;
      if (++line >= lines) return 0;
      used = 0;
      continue;
    }
    if (byte < 0x20) return 2;
    if (byte == '\\' || byte == '<' || byte == '%') return 3;
    if (StandEditIsLeadByte(byte) && i + 1 < input.size() && input[i + 1] != 0) {
      if (used + 2 > cells) {
        if (!Append(output, "<br>", capacity) || ++line >= lines) return 0;
        used = 0;
      }
      if (!Append(output, input.substr(i, 2), capacity)) return 0;
      ++i;
      used += 2;
    } else {
      if (!Append(output, input.substr(i, 1), capacity)) return 0;
      used += half_width_cells;
    }
    if (used >= cells) {
      ++line;
      used = 0;
    }
    if (line > lines) return 0;
  }
}

std::string StandTextDecode(std::string_view stored) {
  std::string text;
  for (size_t i = 0; i < stored.size() && text.size() < kDecodedBytes;) {
    const uint8_t byte = static_cast<uint8_t>(stored[i]);
    if (StandEditIsLeadByte(byte) && i + 1 < stored.size()) {
      if (text.size() + 2 > kDecodedBytes) break;
      text.append(stored.substr(i, 2));
      i += 2;
    } else if (stored.substr(i, 4) == "<br>") {
      if (text.size() + 2 > kDecodedBytes) break;
      text += "\r\n";
      i += 4;
    } else if (byte < 0x20 || byte == '<' || byte == '\\' || byte == '%') {
      break;
    } else {
      text += static_cast<char>(byte);
      ++i;
    }
  }
  return text;
}

StandEditDialog::StandEditDialog() {
  StandEditState& state = StandEdit();
  sorted_names_ = state.names;
  std::sort(sorted_names_.begin(), sorted_names_.end());
  if (!state.name.empty()) {
    name_.SetText(state.name);
  } else if (!sorted_names_.empty()) {
    picked_ = 0;
    name_.SetText(sorted_names_[0]);
  }
  line_.SetText(StandTextDecode(state.line));
  char label[128];
  std::snprintf(label, sizeof label, os::Sjis("名前 %d 文字以内 / 台詞 %dx%d 文字以内"),
                state.name_limit, state.line_width, state.line_count);
  limits_label_ = label;
}

void StandEditDialog::PickName(bool down) {
  if (sorted_names_.empty()) return;
  const int count = static_cast<int>(sorted_names_.size());
  picked_ = picked_ < 0 ? 0 : std::clamp(picked_ + (down ? 1 : -1), 0, count - 1);
  name_.SetText(sorted_names_[static_cast<size_t>(picked_)]);
}

void StandEditDialog::Accept() {
  StandEditState& state = StandEdit();
  AdvDebugPrint(kLogError, "len=%d / %s", static_cast<int>(line_.text().size()),
                line_.text().c_str());
  const int named = StandTextEncode(state.name, name_.text(), 2 * state.name_limit, 1,
                                    state.half_width_cells, kStandNameBytes);
  if (named == 0) return ShowInputError("名前が最大文字数を超えています");
  if (named != 1) return ShowInputError("名前に使用出来ない半角文字が入っています");
  const int lined = StandTextEncode(state.line, line_.text(), 2 * state.line_width,
                                    state.line_count, state.half_width_cells, kStandLineBytes);
  if (lined == 0) return ShowInputError("台詞が最大文字数を超えています");
  if (lined != 1) return ShowInputError("台詞に使用出来ない半角文字が入っています");
  EndDialog(0);
}

void StandEditDialog::Apply(const os::TextInputEvent& event) {
  const bool key = event.kind == os::TextInputEvent::Kind::kKey;
  if (key && event.key == os::TextKey::kEscape) return EndDialog(kCancelled);
  if (key && event.key == os::TextKey::kTab) {
    focus_ = NextFocus(focus_, kFocusCount, event.shift, [](int) { return true; });
    return;
  }
  switch (focus_) {
    case kName:
      if (key && (event.key == os::TextKey::kUp || event.key == os::TextKey::kDown)) {
        return PickName(event.key == os::TextKey::kDown);
      }
      // Return in the name is the dialog's default button.
      if (name_.Apply(event) == EditField::Outcome::kReturn) Accept();
      return;
    case kLine:
      line_.Apply(event);
      return;
    default:
      if (!key || event.key != os::TextKey::kReturn) return;
      if (focus_ == kCancel) return EndDialog(kCancelled);
      Accept();
  }
}

void StandEditDialog::Click(int32_t x, int32_t y) {
  if (NameRect(kDialogFontHeight).Contains(x, y)) {
    focus_ = kName;
  } else if (LineRect(kDialogFontHeight).Contains(x, y)) {
    focus_ = kLine;
  } else if (DialogCancelButton(Width(), Height()).Contains(x, y)) {
    EndDialog(kCancelled);
  } else if (DialogOkButton(Width(), Height()).Contains(x, y)) {
    focus_ = kOk;
    Accept();
  }
}

CanvasRect StandEditDialog::NameRect(int32_t h) const {
  return {70, DialogCaptionHeight(h) + 6 + h + 6, 280, h + 6};
}

CanvasRect StandEditDialog::LineRect(int32_t h) const {
  return {70, DialogCaptionHeight(h) + 6 + 2 * h + 18, Width() - 80, 3 * h + 6};
}

void StandEditDialog::Draw(DialogCanvas& canvas, DialogFont& font) const {
  const int32_t top =
      DrawDialogWindow(canvas, font, os::Sjis("メッセージウィンドウの内容を入力してください")) + 6;
  const int32_t h = font.height();
  DrawDialogLabel(canvas, font, {10, top, 60, h}, os::Sjis("説明"));
  DrawDialogLabel(canvas, font, {70, top, Width() - 80, h}, limits_label_);
  DrawDialogLabel(canvas, font, {10, top + h + 10, 60, h}, os::Sjis("名前"));
  DrawEditField(canvas, font, NameRect(h), name_, focus_ == kName);
  DrawDialogLabel(canvas, font, {10, top + 2 * h + 22, 60, h}, os::Sjis("台詞"));
  DrawEditField(canvas, font, LineRect(h), line_, focus_ == kLine);
  DrawDialogOkCancel(canvas, font, focus_, kOk, kCancel, true);
}

}  // namespace adv
