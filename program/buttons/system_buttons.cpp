#include "program/buttons/system_buttons.h"

#include "program/buttons/button_manager.h"
#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_state.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr int32_t kSecondaryClickEntry = 0;
constexpr int32_t kWheelAwayEntry = 1;
constexpr int32_t kWheelTowardEntry = 2;
constexpr int32_t kPrimaryClickEntry = 3;
constexpr int32_t kFirstFunctionKeyEntry = 4;
constexpr int32_t kLastKeyEntry = 20;

constexpr uint32_t kKeyEscape = 1u << 0;
constexpr uint32_t kArrowKeys = 0x780;  // Up, Down, Left, Right
constexpr uint32_t kKeyF1 = 1u << 11;
constexpr uint32_t kMouseRight = 1u << 24;
// The primary button, or a click the window forwards (it also sets C).
constexpr uint32_t kPrimaryClick = 0x40800000;

// The key bits an entry fires on; 0 for the wheel entries and for 21-31, which fire without a
// key.
uint32_t EntryKeys(int32_t entry) {
  if (entry == kSecondaryClickEntry) return kMouseRight;
  if (entry == kPrimaryClickEntry) return kPrimaryClick;
  if (entry >= kFirstFunctionKeyEntry && entry < 16) {
    return kKeyF1 << (entry - kFirstFunctionKeyEntry);
  }
  if (entry == 16) return kKeyEscape;
  if (entry > 16 && entry <= kLastKeyEntry) return 0x80u << (entry - 17);
  return 0;
}

bool Active(const SystemButton& button) {
  return button.init && button.enabled;
}

// A held key stops every system button, so that a key kept down for something else (Control
// skipping, Shift, a dragged mouse) does not fire them too. The arrows are exempt, and so is a
// key that an entry bound with repeat fires on once it repeats: the repeat of a key could never
// reach its entry if its own holding stopped it.
uint32_t HeldKeysAllowed(const ButtonManager& manager, const SystemButtonInput& input) {
  uint32_t allowed = kArrowKeys;
  for (int32_t entry = 0; entry < kSystemButtonCount; ++entry) {
    const SystemButton& button = manager.system_buttons[entry];
    if (Active(button)) allowed |= input.repeat & button.repeat_mask & EntryKeys(entry);
  }
  return allowed;
}

bool Fires(const ButtonManager& manager, int32_t entry, const SystemButtonInput& input) {
  if (entry == kWheelAwayEntry) return input.wheel < 0;
  if (entry == kWheelTowardEntry) return input.wheel > 0;
  if (entry > kLastKeyEntry) return true;
  // In release mode the clicks act when the button is let go, as the decide keys do.
  const bool click = entry == kSecondaryClickEntry || entry == kPrimaryClickEntry;
  uint32_t keys = click && manager.input_mode ? input.pull : input.push;
  keys |= input.repeat & manager.system_buttons[entry].repeat_mask;
  return (keys & EntryKeys(entry)) != 0;
}

}  // namespace

SystemButtonInput SystemButtonInputNow() {
  SystemButtonInput input;
  input.push = yel::YelInputGetKeyPush();
  input.pull = yel::YelInputGetKeyPull();
  input.on = yel::YelInputGetKeyOn();
  input.repeat = yel::YelInputGetKeyOnEx();
  input.wheel = yel::YelInputGetWheel();
  return input;
}

int32_t SystemButtonFiring(const ButtonManager& manager, const SystemButtonInput& input) {
  if (input.on & ~HeldKeysAllowed(manager, input)) return -1;
  for (int32_t entry = 0; entry < kSystemButtonCount; ++entry) {
    if (Active(manager.system_buttons[entry]) && Fires(manager, entry, input)) return entry;
  }
  return -1;
}

bool AdvSystemButtonStep(AdvContext& context, const SystemButtonInput& input) {
  ButtonManager& manager = context.buttons;
  if (manager.input_block.duration != 0) return false;
  const int32_t entry = SystemButtonFiring(manager, input);
  // An entry without a label still takes the frame's input: the entries after it stay quiet.
  if (entry < 0 || manager.system_buttons[entry].label == 0) return false;
  const uint32_t label = manager.system_buttons[entry].label;
  AdvDebugPrint(kLogTrace, "system btn[%d][%d] ret / %d", entry, label, context.script.pc);
  ButtonCallLabel(context, label, kReturnClick);
  if (AdvSkipState(context) == 0) AdvButtonPauseStart(context, kSystemButtonPauseMs);
  // No auto advance that was pending fires into the label.
  context.text_window.auto_word = 0;
  return true;
}

bool AdvSystemButtonUpdate(AdvContext& context) {
  return AdvSystemButtonStep(context, SystemButtonInputNow());
}

void AdvSystemButtonSetEnable(AdvContext& context, int32_t entry, int32_t value) {
  if (entry < 0 || entry >= kSystemButtonCount) return;
  context.buttons.system_buttons[entry].enabled = value;
}

}  // namespace adv
