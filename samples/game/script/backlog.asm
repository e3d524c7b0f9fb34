; The backlog: the lines read so far over a dark plane, the newest at the bottom. The wheel
; scrolls (BacklogOlder and BacklogNewer, for the system buttons of the negative and the
; positive wheel), a click on a voiced line plays its voice again, and BacklogClose leaves.

.const LAYER_BACKLOG = 60
.const BACKLOG_LEFT = 160
.const BACKLOG_TOP = 40
.const BACKLOG_RIGHT = 1120
.const BACKLOG_BOTTOM = 680
.const BACKLOG_SPACING = 16
.const BACKLOG_TEXT_Y = 36    ; the text below its speaker's name
.const BACKLOG_NORMAL = 0xFFFFFF
.const BACKLOG_HIGHLIGHT = 0xFFE080

; Once, before the first line: history_init also empties the stored lines.
backlog_setup:
  cmd history_init(0, 0, 0, BACKLOG_TEXT_Y, 0, 0, BACKLOG_SPACING, BACKLOG_NORMAL, BACKLOG_HIGHLIGHT)
  cmd history_set_rect(BACKLOG_LEFT, BACKLOG_TOP, BACKLOG_RIGHT, BACKLOG_BOTTOM)
  ret

; v40 is set when the page is to close; v41 the scroll position.
BacklogPage:
  cmd sp_create(LAYER_BACKLOG, f"#C0000000", 0, 0, 1280, 720)
  cmd run(AT_ONCE, 0, 0)
  cmd history_begin
  mov v40, 0
  mov v41, 0
backlog_frame:
  cmd history_update
  cmd wait_frame
  jz backlog_frame, v40
  cmd history_end
  cmd sp_cls(LAYER_BACKLOG)
  cmd run(AT_ONCE, 0, 0)
  ret

BacklogOlder:
  cmd history_get_max_pos -> v42
  mov v43, v41
  lt v43, v42
  jz backlog_scrolled, v43
  add v41, 1
  cmd history_set_pos(v41)
  jmp backlog_scrolled

BacklogNewer:
  jz backlog_scrolled, v41
  sub v41, 1
  cmd history_set_pos(v41)
backlog_scrolled:
  ret

BacklogClose:
  mov v40, 1
  ret
