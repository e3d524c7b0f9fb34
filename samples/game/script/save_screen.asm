; The save screen: the game is kept in slot 2 under a title of its own, then slots 0 to 2 show
; over a dark plane for a moment, each slot that holds a save with its thumbnail, its title and
; the date and time it was written, in the save font. Slots without a save stay blank.

.const LAYER_SAVE_PLANE = 80
.const LAYER_SAVE_THUMB = 81   ; + slot: the thumbnails
.const LAYER_SAVE_TITLE = 84   ; + slot: the titles
.const LAYER_SAVE_DATE = 87    ; + slot: the dates
.const LAYER_SAVE_TIME = 90    ; + slot: the times
.const SAVE_LAYERS = 13        ; the plane and the four rows of three
.const SAVE_SLOTS = 3
.const SAVE_ENDING = 2         ; the slot the ending is kept in
.const SAVE_THUMB_X = 420      ; a thumbnail is 128 x 72, a tenth of the screen
.const SAVE_TEXT_X = 572
.const SAVE_TOP = 150
.const SAVE_ROW = 140          ; from one slot's row to the next
.const SAVE_LINE = 36          ; from the title to the date
.const SAVE_TIME_X = 792       ; the time, right of the date
.const SAVE_FONT = 24
.const SAVE_GOLD = 0xFFE080
.const SAVE_SHADOW = 0x202020
.const DATE_AND_WEEKDAY = 1
.const HOURS_MINUTES = 2
.const SAVE_SHOWN = 45         ; frames

save_screen:
  cmd save_set_title("旅の終わり")
  cmd save_point(0)
  cmd save(SAVE_ENDING, 0)
  cmd save_set_font_size(SAVE_FONT)
  cmd save_set_font_color(SAVE_GOLD, SAVE_SHADOW)
  cmd sp_create(LAYER_SAVE_PLANE, f"#C0000000", 0, 0, 1280, 720)
  mov v30, 0                   ; the slot
  mov v31, SAVE_TOP            ; its row
save_screen_slot:
  cmd is_save(v30) -> v32
  jz save_screen_next, v32
  mov v33, LAYER_SAVE_THUMB
  add v33, v30
  cmd thumbnail_set(v33, v30, SAVE_THUMB_X, v31)
  add v33, SAVE_SLOTS
  cmd save_get_title(v33, v30, SAVE_TEXT_X, v31)
  mov v34, v31
  add v34, SAVE_LINE
  add v33, SAVE_SLOTS
  cmd get_save_date(v33, v30, SAVE_TEXT_X, v34, DATE_AND_WEEKDAY)
  add v33, SAVE_SLOTS
  cmd get_save_time(v33, v30, SAVE_TIME_X, v34, HOURS_MINUTES)
save_screen_next:
  add v30, 1
  add v31, SAVE_ROW
  mov v32, v30
  lt v32, SAVE_SLOTS
  jz save_screen_shown, v32
  jmp save_screen_slot
save_screen_shown:
  cmd run(FADE, FADE_MS, 0)
  mov v10, SAVE_SHOWN
  gosub frames
  cmd sp_cls_ex(LAYER_SAVE_PLANE, SAVE_LAYERS)
  cmd run(FADE, FADE_MS, 0)
  ret
