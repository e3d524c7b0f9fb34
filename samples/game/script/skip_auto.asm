; The message window's skip and auto buttons, and what auto mode does at the choice.
;
; The game starts in auto mode: each line ends by itself after its reading time and its voice,
; and the choice takes its first answer after a few seconds, so the game plays to its end
; unattended. The auto button shows the mode (lit while on); a click switches it. The mode as the
; player left it is kept in user memory, which saves carry, and a load puts it back.
; The skip button ends auto mode and skips: lines already read one after another (skip mode,
; lit; a second click stops it), or, on a line not read yet, at once up to the next choice or the
; last line (a scene skip, after which the game waits there as if played to it).

.const WINDOW_BUTTONS = 0      ; the message window's button group
.const SKIP_BUTTON = 0
.const AUTO_BUTTON = 1
.const DECIDE_ON_PUSH = 1
.const SKIP_STYLE = 1          ; btn_expansion styles of the skip and the auto button
.const AUTO_STYLE = 3
.const SKIP_X = 1064           ; below the window's text, at its right end
.const AUTO_X = 1168
.const MODE_BUTTONS_Y = 684
.const AUTO_CELL = 0           ; user memory cell: 1 while the player keeps auto mode on
.const AUTO_MS_PER_CHAR = 20   ; a brisk reading pace
.const SKIP_PAST_UNREAD = 1

; The two answers as auto mode shows them: plates where the choice's items stand, the first
; brighter, as the one that will be taken.
.const LAYER_FIRST_ANSWER = 40
.const LAYER_SECOND_ANSWER = 41
.const ANSWER_W = 240
.const ANSWER_H = 48
.const ANSWER_TEXT_X = 84
.const ANSWER_TEXT_Y = 10
.const AUTO_CHOICE_FRAMES = 150   ; two and a half seconds

; After text_init on a new game: the buttons, the reading pace, and auto mode on.
skip_auto_setup:
  cmd btn_init(WINDOW_BUTTONS, NONE, NONE)
  cmd btn_set(WINDOW_BUTTONS, SKIP_BUTTON, f"SKIPBTN", skip_clicked, 0, 0, DECIDE_ON_PUSH)
  cmd btn_set_pos(WINDOW_BUTTONS, SKIP_BUTTON, SKIP_X, MODE_BUTTONS_Y)
  cmd btn_set(WINDOW_BUTTONS, AUTO_BUTTON, f"AUTOBTN", auto_clicked, 0, 0, DECIDE_ON_PUSH)
  cmd btn_set_pos(WINDOW_BUTTONS, AUTO_BUTTON, AUTO_X, MODE_BUTTONS_Y)
  cmd btn_expansion(WINDOW_BUTTONS, SKIP_BUTTON, SKIP_STYLE)
  cmd btn_expansion(WINDOW_BUTTONS, AUTO_BUTTON, AUTO_STYLE)
  cmd auto_set_time(AUTO_MS_PER_CHAR)
  mov v20, AUTO_CELL
  mov user[v20], 1
; After a load as well: text_init left the window without its buttons, and the load's reset
; switched auto mode off.
skip_auto_resume:
  cmd text_set_btn(WINDOW_BUTTONS)
  mov v20, AUTO_CELL
  cmd auto_set(user[v20])
  ret

auto_clicked:
  mov v20, AUTO_CELL
  mov v22, user[v20]
  not v22
  mov user[v20], v22
  cmd auto_set(v22)
  ret

skip_clicked:
  cmd skip_is() -> v20
  jz skip_begin, v20
  cmd skip_set(0)
  ret
skip_begin:
  mov v20, AUTO_CELL
  mov user[v20], 0
  cmd auto_set(0)
  cmd skip_set(1)
  cmd skip_is() -> v20
  jz skip_unread, v20
  ret
; skip_set refused: this line has not been read yet. The script runs on inside scene_skip, this
; label's ret first, and the game then waits where the skip stopped.
skip_unread:
  cmd scene_skip(SKIP_PAST_UNREAD)
  ret

; Called before the last line: a scene skip that got this far stops here, so the player sees the
; goodbye; without one it does nothing.
skip_stop_at_end:
  cmd cancel_scene_skip()
  ret

; Before the choice: v21 := 1 when auto mode took the first answer, else 0 (the player chooses).
; A click on the auto button while the answers show hands the choice to the player.
auto_choice:
  mov v21, 0
  cmd auto_is() -> v20
  jz auto_choice_done, v20
  cmd sp_create(LAYER_FIRST_ANSWER, f"#E0465AB4", CHOICE_X, FOREST_Y, ANSWER_W, ANSWER_H)
  cmd sp_text(LAYER_FIRST_ANSWER, "森の道", ANSWER_TEXT_X, ANSWER_TEXT_Y, 0)
  cmd sp_create(LAYER_SECOND_ANSWER, f"#C01E285A", CHOICE_X, SEA_Y, ANSWER_W, ANSWER_H)
  cmd sp_text(LAYER_SECOND_ANSWER, "海の道", ANSWER_TEXT_X, ANSWER_TEXT_Y, 0)
  mov v10, AUTO_CHOICE_FRAMES
auto_choice_wait:
  cmd run(AT_ONCE, 0, 0)
  cmd auto_is() -> v20
  jz auto_choice_clear, v20
  sub v10, 1
  jz auto_choice_taken, v10
  jmp auto_choice_wait
auto_choice_taken:
  mov v21, 1
auto_choice_clear:
  cmd sp_cls(LAYER_FIRST_ANSWER)
  cmd sp_cls(LAYER_SECOND_ANSWER)
  cmd run(AT_ONCE, 0, 0)
auto_choice_done:
  ret
