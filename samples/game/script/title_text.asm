; The title screen: a dark plane with the game's title line revealed again and again at the
; text speed by the timed text, held for the auto time between the reveals; it ends before the
; scene begins.

.const TITLE_X = 440
.const TITLE_Y = 330
.const TITLE_W = 400
.const TITLE_H = 48
.const TITLE_FRAMES = 90

title_text:
  cmd sp_set(f"#FF101828", LAYER_BG, CENTRE, TOP)
  cmd run(AT_ONCE, 0, 0)
  cmd text_time_check_begin("サンプルゲームへようこそ", TITLE_X, TITLE_Y, TITLE_W, TITLE_H)
  mov v10, TITLE_FRAMES
  gosub frames
  cmd text_time_check_end
  ret
