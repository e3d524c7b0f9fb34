// The engine's modal dialogs: drawn over the game picture, worked with the keyboard through the
// text input channel and with the mouse through the game's input words, and answered once. While
// one is open the script stands still: its command hands the rest to an AsyncFunction that steps
// the dialog every frame in the script's place, and the dialog's answer goes to the command's
// finish once it closes. Typed input that is already waiting is taken at once, and where no display
// can show the dialog it gives its cancelling answer then, so nothing waits for a player who cannot
// see it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "os/message_box.h"
#include "os/text_input.h"
#include "program/dialogs/dialog_canvas.h"

namespace adv {

struct AdvContext;

class ModalDialog {
 public:
  static constexpr int32_t kCancelled = -1;

  virtual ~ModalDialog() = default;
  virtual void Apply(const os::TextInputEvent& event) = 0;
  // A push of the primary mouse button at (x, y) in the dialog's pixels: the control there takes
  // the focus, and a button, list row or choice does what Return on it would.
  virtual void Click(int32_t x, int32_t y) = 0;
  // The dialog's size in game pixels, and its picture at that size.
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual void Draw(DialogCanvas& canvas, DialogFont& font) const = 0;

  bool closed() const { return closed_; }
  int32_t answer() const { return answer_; }
  void EndDialog(int32_t answer) {
    closed_ = true;
    answer_ = answer;
  }

 private:
  bool closed_ = false;
  int32_t answer_ = kCancelled;
};

// Receives the answer on the script's thread, with the command's result variable in place.
using DialogFinish = std::function<void(AdvContext& context, int32_t answer)>;

void RunModalDialog(AdvContext& context, std::unique_ptr<ModalDialog> dialog, DialogFinish finish);
// True while a dialog waits for its answer (the name field leaves typed input to it then).
bool ModalDialogOpen();

// A message box shown on the UI thread; the caller waits for the answer. Texts are CP932.
os::BoxAnswer ShowBoxOnUiThread(const std::string& text, const std::string& caption,
                                os::BoxButtons buttons, os::BoxIcon icon);

// Focus moves among a dialog's controls with Tab (Shift+Tab goes back), passing over disabled
// ones: the next focus index of `count` controls, `enabled` telling which can take it.
int NextFocus(int focus, int count, bool back, const std::function<bool(int)>& enabled);

}  // namespace adv
