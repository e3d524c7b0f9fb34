#include "program/dialogs/player_name_field.h"
#include "program/data/string_helpers.h"

#include <algorithm>
#include <optional>

#include "os/encoding.h"
#include "os/text_input.h"
#include "program/dialogs/dialog_canvas.h"
#include "program/dialogs/modal_dialog.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Above every layer of the game: the render list draws its lowest priority last.
constexpr int32_t kNameFieldPriority = -0x10000000;
constexpr uint32_t kFieldBackground = 0xFFFFFFFF;
constexpr uint32_t kFieldText = 0xFF000000;
constexpr uint32_t kCompositionText = 0xFF0030A0;

os::Rect ClientRect(const PlayerNameWindow& window) {
  return {window.client_x, window.client_y, window.client_x + window.client_w,
          window.client_y + window.client_h};
}

PlayerNameState& Block(uintptr_t word) {
  return *reinterpret_cast<PlayerNameState*>(word);
}

YelRender* RenderOf(AdvContext& context) {
  return context.render ? context.render : yel::YelRenderGetActive();
}

// The text before the caret, the composition (underlined), the caret, and the rest.
void DrawField(const PlayerNameWindow& window, DialogCanvas& canvas) {
  const CanvasRect all{0, 0, canvas.width(), canvas.height()};
  canvas.Fill(all, kFieldBackground);
  DialogFont font(yel::YelFontGetType() == 1, window.game_font_height);
  const EditField& field = window.field;
  const int32_t top = std::max((canvas.height() - font.height()) / 2, 0);
  int32_t x = font.Draw(canvas, os::Cp932ToUtf8(field.text().substr(0, field.caret())), 1, top,
                        kFieldText, all);
  if (!field.composition().empty()) {
    const int32_t start = x;
    x = font.Draw(canvas, field.composition(), x, top, kCompositionText, all);
    canvas.Fill({start, top + font.height() - 1, x - start, 1}, kCompositionText);
  }
  canvas.Fill({x, top, 1, font.height()}, kFieldText);
  font.Draw(canvas, os::Cp932ToUtf8(field.text().substr(field.caret())), x + 1, top, kFieldText,
            all);
}

void RedrawPicture(AdvContext& context, PlayerNameWindow& window) {
  if (!window.sprite) {
    window.sprite = yel::YelSpriteCreate(RenderOf(context), window.game_width, window.game_height,
                                         kNameFieldPriority);
    if (!window.sprite) return;
    yel::YelSpriteSetPos(window.sprite, static_cast<float>(window.game_x),
                         static_cast<float>(window.game_y), 0.0f);
    yel::YelSpriteViewCtrl(window.sprite, 1);
  }
  DialogCanvas canvas(window.game_width, window.game_height);
  DrawField(window, canvas);
  yel::YelSpriteSetBuffer(window.sprite, canvas.pixels(), canvas.width(), canvas.height());
  window.picture_stale = false;
}

}  // namespace

PlayerNameWindow* NameWindow(PlayerNameState& block) {
  return static_cast<PlayerNameWindow*>(block.window);
}

int PlayerNameWindowLayout(PlayerNameState& block) {
  PlayerNameWindow& w = *NameWindow(block);
  int32_t width = 0;
  int32_t height = 0;
  yel::YelGetWindowSize(&width, &height);
  const int32_t mode = yel::YelCheckWindowMode();
  if (width == w.client_width && height == w.client_height && mode == w.window_mode) return 0;
  w.client_width = width;
  w.client_height = height;
  w.window_mode = mode;
  const float sx =
      static_cast<float>(static_cast<uint32_t>(width)) / static_cast<float>(AdvWindowWidth);
  const float sy =
      static_cast<float>(static_cast<uint32_t>(height)) / static_cast<float>(AdvWindowHeight);
  w.client_x = static_cast<int32_t>(static_cast<float>(w.game_x) * sx);
  w.client_y = static_cast<int32_t>(static_cast<float>(w.game_y) * sy);
  w.client_w = static_cast<int32_t>(static_cast<float>(w.game_width) * sx);
  w.client_h = static_cast<int32_t>(static_cast<float>(w.game_height) * sy);
  w.client_font_height = static_cast<int32_t>(static_cast<float>(w.game_font_height) * sx);
  if (mode != 0) {
    int32_t x = 0;
    int32_t y = 0;
    yel::YelWindowGetPos(&x, &y);
    w.client_x += x;
    w.client_y += y;
  }
  return 1;
}

void PlayerNameWindowCreate(uintptr_t word) {
  PlayerNameWindow* window = NameWindow(Block(word));
  if (!window) return;
  os::BeginTextInput(ClientRect(*window));
  window->input_on = true;
}

void PlayerNameWindowPlace(uintptr_t word) {
  if (PlayerNameWindow* window = NameWindow(Block(word))) {
    os::SetTextInputArea(ClientRect(*window));
  }
}

void PlayerNameWindowDestroy(uintptr_t word) {
  PlayerNameState& block = Block(word);
  PlayerNameWindow* window = NameWindow(block);
  if (!window) return;
  if (window->input_on) os::EndTextInput();
  delete window;
  block.window = nullptr;
}

void PlayerNameWindowClose(AdvContext& context) {
  PlayerNameWindow* window = NameWindow(context.player_name);
  if (!window) return;
  if (window->sprite) yel::YelSpriteRelease(RenderOf(context), window->sprite);
  window->sprite = nullptr;
  const uintptr_t block = reinterpret_cast<uintptr_t>(&context.player_name);
  yel::YelAttachProcess(PlayerNameWindowDestroy, block);
  // Without a running library there is no UI thread to go to: the record goes here.
  if (context.player_name.window) PlayerNameWindowDestroy(block);
}

void PlayerNameFieldCatchUp(AdvContext& context) {
  PlayerNameWindow* window = NameWindow(context.player_name);
  // While a dialog is open the typing is the dialog's.
  if (!window || ModalDialogOpen()) return;
  while (std::optional<os::TextInputEvent> event = os::TakeTextInput()) {
    // Only an open field takes typing; an accepted one keeps the text that was checked.
    if (window->state != kNameFieldOpen) continue;
    if (window->field.Apply(*event) != EditField::Outcome::kNone) window->picture_stale = true;
  }
  if (window->picture_stale) RedrawPicture(context, *window);
}

int NameHasSingleByteChar(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    if (!IsCp932LeadByte(lead) || i + 1 >= text.size()) return 1;
    i += 2;
  }
  return 0;
}

int NameHasVisibleChar(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    if (!IsCp932LeadByte(lead) || i + 1 >= text.size()) return 1;
    if (lead != 0x81 || static_cast<uint8_t>(text[i + 1]) != 0x40) return 1;
    i += 2;
  }
  return 0;
}

}  // namespace adv
