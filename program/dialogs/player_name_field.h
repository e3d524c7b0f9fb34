// The player-name entry field: an edit field of the engine laid over the game picture at the
// script's rectangle, with the input method on while it is open. The field's record lives while
// the field is open; the name itself is kept in the context's `PlayerNameState`.
#pragma once

#include <cstdint>
#include <string>

#include "program/dialogs/edit_field.h"
#include "program/game/adv_context.h"

struct YelSprite;

namespace adv {

inline constexpr size_t kPlayerNameBytes = 32;
inline constexpr int32_t kNameFieldOpen = 1;
inline constexpr int32_t kNameFieldAccepted = 2;

struct PlayerNameWindow {
  explicit PlayerNameWindow(size_t capacity) : field(capacity, false) {}

  EditField field;
  YelSprite* sprite = nullptr;  // the field's picture over the game; made on the script's thread
  bool picture_stale = true;    // the field changed since its picture was drawn
  bool input_on = false;        // the keyboard was taken for the field (UI thread)
  int32_t state = kNameFieldOpen;
  // The client size and window mode the placement was computed for.
  int32_t client_width = 0, client_height = 0, window_mode = 0;
  // The field in game pixels, as the script gave it, and in client pixels.
  int32_t game_x = 0, game_y = 0, game_width = 0, game_height = 0, game_font_height = 0;
  int32_t client_x = 0, client_y = 0, client_w = 0, client_h = 0, client_font_height = 0;
};

PlayerNameWindow* NameWindow(PlayerNameState& block);

// 1 when the client size or the window mode changed since the placement was computed (and the
// client rectangle was computed again), else 0.
int PlayerNameWindowLayout(PlayerNameState& block);

// Run on the UI thread through YelAttachProcess with the block's address: take the keyboard for
// the field with the input method's candidates beside it, move them with the field, and let the
// keyboard go and free the record.
void PlayerNameWindowCreate(uintptr_t block);
void PlayerNameWindowPlace(uintptr_t block);
void PlayerNameWindowDestroy(uintptr_t block);

// Closes an open field without storing what was typed: its picture goes on the calling (script)
// thread, the rest on the UI thread.
void PlayerNameWindowClose(AdvContext& context);

// Takes what was typed since the last call into the field and draws the field again when it
// changed. The script's thread, every frame while a field is open and before its text is read.
void PlayerNameFieldCatchUp(AdvContext& context);

// Character checks over CP932 text (a lead byte and its trail byte make one code): a character
// code below 0x100 (ASCII, half-width katakana), and a character other than the full-width space
// 0x8140. Both 0 for an empty text.
int NameHasSingleByteChar(const std::string& text);
int NameHasVisibleChar(const std::string& text);

}  // namespace adv
