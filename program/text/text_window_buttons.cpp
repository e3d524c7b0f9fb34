// The message window's special buttons follow the line it shows: the name button (which replays
// the voice) only beside a shown name, and the voice-related buttons enabled and on their normal
// cells while the line's voice is its own, on their alternative cells otherwise. Which buttons
// take part depends on the window-button option the script keeps in a system memory cell.
#include <cstdint>

#include "program/buttons/button_manager.h"
#include "program/buttons/button_records.h"
#include "program/game/adv_context.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

// SystemMemory cell of the window-button option: 0 plain; otherwise the name button is tied to
// the voice, and bit 1 also drives the voice button.
constexpr int32_t kWindowButtonOptionCell = 510;
constexpr int32_t kOptionVoiceButton = 2;

// btn_expansion styles of the window's special buttons.
constexpr int32_t kStyleVoiceReplay = 2;
constexpr int32_t kStyleName = 4;
constexpr int32_t kStyleRecord = 8;
constexpr int32_t kStyleVoice = 10;

constexpr int32_t kNormalRow = 0;
constexpr int32_t kAlternativeRow = 3;

// The group's button of that style; -1 when it has none (a word outside the group's buttons
// counts as none, never as "every button").
int32_t SpecialButton(const AdvContext& context, uint16_t group, int32_t style) {
  const int32_t index = AdvButtonGetSpecial(context, group, style);
  return index >= 0 && index < kButtonsPerGroup ? index : -1;
}

struct LineButtons {
  AdvContext& context;
  uint16_t group;
  bool has_voice;
  bool voice_belongs;  // the line's state bit 1: the voice is this line's own

  void Show(int32_t index, bool shown) const {
    if (index >= 0) AdvButtonSetVisible(context, group, index, shown ? 1 : 0);
  }
  // With a voice: enabled while it is the line's own, on the normal cells then, else on the
  // alternative ones. Without a voice the button is reset only where `reset` asks for it.
  void FollowVoice(int32_t index, bool reset) const {
    if (index < 0) return;
    if (has_voice) {
      AdvButtonSetState(context, group, index, voice_belongs ? 1 : 0,
                        voice_belongs ? kNormalRow : kAlternativeRow);
    } else if (reset) {
      AdvButtonReset(context, group, index);
    }
  }
};

}  // namespace

void AdvTextSpecialButtonsUpdate(AdvContext& context, uint16_t group, bool name_shown,
                                 bool has_voice, bool voice_belongs) {
  const LineButtons buttons{context, group, has_voice, voice_belongs};
  const int32_t name = SpecialButton(context, group, kStyleName);
  const int32_t replay = SpecialButton(context, group, kStyleVoiceReplay);
  const int32_t record = SpecialButton(context, group, kStyleRecord);
  buttons.Show(name, name_shown);
  const int32_t option = context.values.system_memory[kWindowButtonOptionCell];
  if (option == 0) {
    for (const int32_t index : {replay, record}) {
      if (!name_shown) {
        buttons.Show(index, false);
      } else {
        buttons.FollowVoice(index, index == replay);
      }
    }
    return;
  }
  if (name_shown && name >= 0) {
    AdvButtonSetState(context, group, name, has_voice ? 1 : 0, kNormalRow);
  }
  if (option & kOptionVoiceButton) {
    buttons.FollowVoice(SpecialButton(context, group, kStyleVoice), false);
  }
  buttons.FollowVoice(replay, false);
  buttons.FollowVoice(record, false);
}

}  // namespace adv
