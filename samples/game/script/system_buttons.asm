; The sample game's system buttons: a right click hides the message window and shows it again,
; and turning the wheel away from the reader opens the backlog. They are bound once at the start
; and stay bound through loads and scene resets.

.const SYS_RIGHT_CLICK = 0
.const SYS_WHEEL_UP = 1          ; the wheel turned away from the reader
.const SYS_WHEEL_DOWN = 2        ; and toward the reader
.const NO_REPEAT = 0
.const KEEP_RUNNING = 0          ; text_hide and text_show do not end the frame's script work

system_buttons:
  cmd system_btn_set(SYS_RIGHT_CLICK, @toggle_text_window, NO_REPEAT)
  cmd system_btn_set(SYS_WHEEL_UP, @OpenBacklog, NO_REPEAT)
  ret

; Runs from wherever the script stands (a line's click wait, a choice) and returns there.
toggle_text_window:
  cmd is_text_visible -> v20
  jz show_text_window, v20
  cmd text_hide(KEEP_RUNNING)
  ret
show_text_window:
  cmd text_show(KEEP_RUNNING)
  ret

; While the backlog is open the wheel scrolls it both ways and a right click closes it; the
; game's own bindings come back when it closes. The message window, its line and its buttons
; are put away while the page shows (its line waits meanwhile) and come back as they were.
OpenBacklog:
  cmd system_btn_set(SYS_WHEEL_UP, @BacklogOlder, NO_REPEAT)
  cmd system_btn_set(SYS_WHEEL_DOWN, @BacklogNewer, NO_REPEAT)
  cmd system_btn_set(SYS_RIGHT_CLICK, @BacklogClose, NO_REPEAT)
  cmd is_text_visible -> v44
  cmd text_hide(KEEP_RUNNING)
  gosub BacklogPage
  jz backlog_window_back, v44
  cmd text_show(KEEP_RUNNING)
backlog_window_back:
  cmd system_btn_release(SYS_WHEEL_DOWN)
  gosub system_buttons
  ret
