#include "program/dialogs/modal_dialog.h"

#include <optional>

#include "os/encoding.h"
#include "program/game/adv_context.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Above every layer and above the name field.
constexpr int32_t kDialogPriority = -0x10000001;
// The primary mouse button's bit in the key words.
constexpr uint32_t kKeyMouseLeft = 0x800000;

// The dialog waiting for its answer. The script's thread only.
struct PendingDialog {
  std::unique_ptr<ModalDialog> dialog;
  DialogFinish finish;
  AdvContext* context = nullptr;
  int32_t result_index = 0;
  YelSprite* sprite = nullptr;
};
PendingDialog g_pending;

// A job for the UI thread and whether it ran there.
struct UiJob {
  void (*work)();
  bool ran = false;
};

void RunUiJob(uintptr_t word) {
  UiJob& job = *reinterpret_cast<UiJob*>(word);
  job.work();
  job.ran = true;
}

// Runs `work` on the UI thread and waits for it; without a running library there is no UI
// thread, and it runs here.
void OnUiThread(void (*work)()) {
  UiJob job{work};
  yel::YelAttachProcess(RunUiJob, reinterpret_cast<uintptr_t>(&job));
  if (!job.ran) work();
}

void TakeKeyboard() {
  os::BeginTextInput({0, 0, AdvWindowWidth, AdvWindowHeight});
}
void ReleaseKeyboard() {
  os::EndTextInput();
}

// Takes every waiting event; true when one changed something worth drawing.
bool TakeTyping(ModalDialog& dialog) {
  bool any = false;
  while (!dialog.closed()) {
    std::optional<os::TextInputEvent> event = os::TakeTextInput();
    if (!event) break;
    dialog.Apply(*event);
    any = true;
  }
  return any;
}

// Dialogs stand in the middle of the game picture.
int32_t DialogLeft(const ModalDialog& dialog) {
  return (AdvWindowWidth - dialog.Width()) / 2;
}
int32_t DialogTop(const ModalDialog& dialog) {
  return (AdvWindowHeight - dialog.Height()) / 2;
}

// A push of the primary button over the dialog goes to its control; true when there was one.
bool TakeClick(ModalDialog& dialog) {
  if (!(yel::YelInputGetKeyPush() & kKeyMouseLeft)) return false;
  const int32_t x = yel::YelInputGetMouseX() - DialogLeft(dialog);
  const int32_t y = yel::YelInputGetMouseY() - DialogTop(dialog);
  if (!CanvasRect{0, 0, dialog.Width(), dialog.Height()}.Contains(x, y)) return false;
  dialog.Click(x, y);
  return true;
}

YelRender* RenderOf(AdvContext& context) {
  return context.render ? context.render : yel::YelRenderGetActive();
}

void DrawPending() {
  ModalDialog& dialog = *g_pending.dialog;
  if (!g_pending.sprite) {
    g_pending.sprite = yel::YelSpriteCreate(RenderOf(*g_pending.context), dialog.Width(),
                                            dialog.Height(), kDialogPriority);
    if (!g_pending.sprite) return;
    yel::YelSpriteSetPos(g_pending.sprite, static_cast<float>(DialogLeft(dialog)),
                         static_cast<float>(DialogTop(dialog)), 0.0f);
    yel::YelSpriteViewCtrl(g_pending.sprite, 1);
  }
  DialogCanvas canvas(dialog.Width(), dialog.Height());
  DialogFont font(false, kDialogFontHeight);
  dialog.Draw(canvas, font);
  yel::YelSpriteSetBuffer(g_pending.sprite, canvas.pixels(), canvas.width(), canvas.height());
}

void Finish(AdvContext& context, int32_t result_index, ModalDialog& dialog,
            const DialogFinish& finish) {
  OnUiThread(ReleaseKeyboard);
  context.values.result_index = result_index;
  finish(context, dialog.answer());
}

void StepPendingDialog() {
  if (!g_pending.dialog) {
    AdvSetAsyncFunction(nullptr);
    return;
  }
  const bool typed = TakeTyping(*g_pending.dialog);
  const bool clicked = !g_pending.dialog->closed() && TakeClick(*g_pending.dialog);
  if ((typed || clicked) && !g_pending.dialog->closed()) DrawPending();
  if (!g_pending.dialog->closed()) return;
  PendingDialog done = std::move(g_pending);
  g_pending = PendingDialog{};
  if (done.sprite) yel::YelSpriteRelease(RenderOf(*done.context), done.sprite);
  AdvSetAsyncFunction(nullptr);
  Finish(*done.context, done.result_index, *done.dialog, done.finish);
}

}  // namespace

void RunModalDialog(AdvContext& context, std::unique_ptr<ModalDialog> dialog, DialogFinish finish) {
  OnUiThread(TakeKeyboard);
  TakeTyping(*dialog);
  if (!dialog->closed() && !os::DisplayAvailable()) dialog->EndDialog(ModalDialog::kCancelled);
  if (dialog->closed() || g_pending.dialog) {
    // A second dialog while one is open cannot be shown: it counts as cancelled.
    if (!dialog->closed()) dialog->EndDialog(ModalDialog::kCancelled);
    Finish(context, context.values.result_index, *dialog, finish);
    return;
  }
  g_pending = PendingDialog{std::move(dialog), std::move(finish), &context,
                            context.values.result_index, nullptr};
  DrawPending();
  AdvSetAsyncFunction(StepPendingDialog);
}

bool ModalDialogOpen() {
  return g_pending.dialog != nullptr;
}

namespace {

struct BoxCall {
  std::string text;
  std::string caption;
  os::BoxButtons buttons;
  os::BoxIcon icon;
  os::BoxAnswer answer = os::BoxAnswer::kCancel;
  bool shown = false;
};

void ShowBoxJob(uintptr_t word) {
  BoxCall& call = *reinterpret_cast<BoxCall*>(word);
  call.answer = os::ShowMessageBox(os::Cp932ToUtf8(call.text), os::Cp932ToUtf8(call.caption),
                                   call.buttons, call.icon);
  call.shown = true;
}

}  // namespace

os::BoxAnswer ShowBoxOnUiThread(const std::string& text, const std::string& caption,
                                os::BoxButtons buttons, os::BoxIcon icon) {
  BoxCall call{text, caption, buttons, icon};
  const uintptr_t word = reinterpret_cast<uintptr_t>(&call);
  yel::YelAttachProcess(ShowBoxJob, word);
  if (!call.shown) ShowBoxJob(word);
  return call.answer;
}

int NextFocus(int focus, int count, bool back, const std::function<bool(int)>& enabled) {
  for (int step = 1; step <= count; ++step) {
    const int next = ((focus + (back ? -step : step)) % count + count) % count;
    if (enabled(next)) return next;
  }
  return focus;
}

}  // namespace adv
