; A scene of timed layer actions, called as a subroutine: a dusk background wiped in through a
; mask image, a startled line under a shake, and the guide blinking through the cells of a
; sprite sheet. It leaves the dusk on the background layer and the guide's layer empty.

; The wipe reads its picture from one layer and its mask from another, both kept hidden, and
; rewrites the pixels of a third in front of the background.
.const LAYER_WIPE_FROM = 1
.const LAYER_WIPE_MASK = 2
.const LAYER_WIPE_TO = 3
.const SET_WIPE = 3
.const SET_STARTLE = 4
.const SET_BLINK = 5
.const WIPE_MS = 1500
.const WIPE_FRAMES = 100
.const STARTLE_MS = 600
; The blink: eyes open for a while, then half shut, shut, half shut and open again (cells 0-3
; of SHEET01, 256 x 384 each), for ever.
.const BLINK_OPEN_MS = 1800
.const BLINK_CELL_MS = 70
.const SHEET_X = 768
.const SHEET_Y = 336

action_scene:
  cmd sp_set(f"BG02", LAYER_WIPE_FROM, CENTRE, TOP)
  cmd sp_set(f"WIPE01", LAYER_WIPE_MASK, CENTRE, TOP)
  cmd sp_hide(LAYER_WIPE_FROM)
  cmd sp_hide(LAYER_WIPE_MASK)
  cmd sp_set(f"BG02", LAYER_WIPE_TO, CENTRE, TOP)
  cmd sp_cls(LAYER_CHARA)
  ; The set starts before the scene is committed, so the wipe makes its picture transparent in
  ; the very frame that shows it.
  cmd set_active_action(SET_WIPE) -> v3
  cmd action_set_mask(0, LAYER_WIPE_FROM, LAYER_WIPE_MASK, LAYER_WIPE_TO, WIPE_MS)
  cmd action_run(SET_WIPE, WIPE_MS)
  cmd run(AT_ONCE, 0, 0)
  mov v10, WIPE_FRAMES
  gosub frames

  ; The dusk takes the background's place; the wipe's layers go (a wipe cut short by skipping
  ; is completed first).
  cmd action_clear(SET_WIPE)
  cmd sp_set(f"BG02", LAYER_BG, CENTRE, TOP)
  cmd sp_cls(LAYER_WIPE_FROM)
  cmd sp_cls(LAYER_WIPE_MASK)
  cmd sp_cls(LAYER_WIPE_TO)
  cmd sp_set_ex(f"SHEET01", LAYER_CHARA, SHEET_X, SHEET_Y, 0)
  cmd run(AT_ONCE, 0, 0)

  cmd set_active_action(SET_BLINK) -> v3
  cmd action_wait(0, BLINK_OPEN_MS)
  cmd action_animation(0, LAYER_CHARA, 1, 0, BLINK_CELL_MS)
  cmd action_animation(0, LAYER_CHARA, 2, 0, BLINK_CELL_MS)
  cmd action_animation(0, LAYER_CHARA, 3, 0, BLINK_CELL_MS)
  cmd action_animation(0, LAYER_CHARA, 0, 0, 0)
  cmd action_loop_run(SET_BLINK, ENDLESS)

  ; Startled: the guide jumps both ways, less and less, while the line shows.
  cmd set_active_action(SET_STARTLE) -> v3
  cmd action_shake(0, LAYER_CHARA, 2, 16, STARTLE_MS)
  cmd action_run(SET_STARTLE, STARTLE_MS)
  cmd text(NONE, "案内人", "きゃっ！今、何か動きませんでしたか？", 0)

  cmd action_clear(SET_BLINK)
  cmd sp_cls(LAYER_CHARA)
  cmd run(AT_ONCE, 0, 0)
  ret
