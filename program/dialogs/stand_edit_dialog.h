// `StandEditDialog`: the name and line editor of `stand_edit`. The name is typed or picked from
// the script's list (Up and Down walk the list, sorted as a combo box shows it), the dialogue
// line is a multi-line field; OK checks both against the limits and stores their stored forms.
// Focus order: the name, the line, OK, Cancel.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "program/dialogs/edit_field.h"
#include "program/dialogs/modal_dialog.h"

namespace adv {

// The stored forms hold at most these many bytes before their zero.
inline constexpr size_t kStandNameBytes = 63;
inline constexpr size_t kStandLineBytes = 399;

struct StandEditState {
  int32_t name_limit = 0;  // characters
  int32_t line_width = 0;  // characters
  int32_t line_count = 0;
  std::string name;  // stored forms, as StandTextEncode writes them
  std::string line;
  std::vector<std::string> names;
  int32_t half_width_cells = 2;
};
// The process's editor state; the script's thread only.
StandEditState& StandEdit();

bool StandEditIsLeadByte(uint8_t byte);

// Checks a text against `cells` cells a line and `lines` lines and writes its stored form, at
// most `capacity` bytes: 1 accepted, 0 too long (also when the stored form would not fit), 2 a
// control character, 3 a backslash, "<" or "%". A character that fills its line exactly moves on
// to the next without a "<br>"; one that would run over is put on the next line after a "<br>".
int StandTextEncode(std::string& output, std::string_view input, int32_t cells, int32_t lines,
                    int32_t half_width_cells, size_t capacity);
// A stored line as the editor shows it again: "<br>" as CR LF, up to the first other "<",
// backslash, "%" or control byte, at most 511 bytes.
std::string StandTextDecode(std::string_view stored);

class StandEditDialog : public ModalDialog {
 public:
  enum Focus { kName, kLine, kOk, kCancel, kFocusCount };

  StandEditDialog();

  void Apply(const os::TextInputEvent& event) override;
  void Click(int32_t x, int32_t y) override;
  int32_t Width() const override { return 480; }
  int32_t Height() const override { return 190; }
  void Draw(DialogCanvas& canvas, DialogFont& font) const override;

  const EditField& name() const { return name_; }
  const EditField& line() const { return line_; }

 private:
  // Where the two fields lie with text of that height.
  CanvasRect NameRect(int32_t font_height) const;
  CanvasRect LineRect(int32_t font_height) const;
  void PickName(bool down);
  void Accept();

  EditField name_{61, false};
  EditField line_{509, true};
  std::vector<std::string> sorted_names_;
  int picked_ = -1;
  int focus_ = kName;
  std::string limits_label_;
};

}  // namespace adv
