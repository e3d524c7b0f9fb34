; The sample game: a short scene with a choice and two endings. It plays by itself in auto mode
; (the window's auto button switches it off; then each line waits for a click).
; The background and the guide are images of "sample.pac"; "graphic.dat" there tells the engine
; that the name GUIDE loads the picture CHARA01 (and GUIDE_WINK its delta image with closed eyes).
; The endings' backgrounds are colour planes ("#" and eight hex digits ARGB).
.include "common.asm"

.zero v254          ; v254 stays 0: large values come from the Mem.dat pool

start:
  ; Right click and wheel first: system buttons are not part of a saved game, so a load needs
  ; them bound before it.
  gosub system_buttons
  ; A saved game is taken up again where it was saved; the load-after label counts the loads.
  cmd set_load_after_process(after_load)
  cmd is_save(0) -> v1
  jz first_run, v1
  cmd load(0)
first_run:
  cmd text_init(FONT_SIZE, TEXT_X, TEXT_Y, TEXT_W, TEXT_H, NAME_X, NAME_Y, RUBY_SIZE)
  gosub backlog_setup
  gosub skip_auto_setup
  ; The guide's lines are voiced: each voice loads on the work thread while the line waits.
  cmd text_set_voice_async(1) -> v4
  gosub title_text
  cmd sp_set(f"BG01", LAYER_BG, CENTRE, TOP)
  cmd run(FADE, FADE_MS, 0)
  gosub music_cross_fade

  ; The background sways for as long as the scene lasts: a loop set that never ends by itself.
  cmd set_active_action(SET_SWAY) -> v3
  cmd action_straight2(0, LAYER_BG, SWAY_PX, 0, 0, SWAY_MS)
  cmd action_straight2(0, LAYER_BG, -SWAY_PX, 0, 0, SWAY_MS)
  cmd action_loop_run(SET_SWAY, ENDLESS)

  ; The guide stands at its place, but at once (set 1, zero-length sections, settled in the
  ; frame of the run) it is made transparent and moved off to the right.
  cmd sp_set(f"GUIDE", LAYER_CHARA, RIGHT, BOTTOM)
  cmd set_active_action(SET_PREPARE) -> v3
  cmd action_straight(0, LAYER_CHARA, ENTER_PX, 0, 0, 0)
  cmd action_alpha(1, LAYER_CHARA, -255, 0)
  cmd action_run(SET_PREPARE, 0)
  cmd run(AT_ONCE, 0, 0)

  ; It slides in, slowing down, while it fades in; the script waits for the set, and a click
  ; settles it at its end at once.
  cmd set_active_action(SET_ENTER) -> v3
  cmd action_decele(0, LAYER_CHARA, -ENTER_PX, 0, 0, ENTER_MS)
  cmd action_alpha(1, LAYER_CHARA, 255, ENTER_MS)
  cmd action_sync_run(SET_ENTER, ENTER_MS)
  cmd sp_set(f"GUIDE_WINK", LAYER_CHARA, RIGHT, BOTTOM)
  cmd run(AT_ONCE, 0, 0)
  mov v10, 20
  gosub frames
  ; The guide opens her eyes through a transition of her own layer while the background shakes.
  cmd sp_set_transition(f"GUIDE", LAYER_CHARA, 1, 400)
  cmd run_no_wait()
  cmd sp_set_shake(LAYER_BG, 2, 8, 400)
  mov v10, 30
  gosub frames
  ; GUIDE_BOW and GUIDE_FLOAT are the same picture with a frame animation of their own
  ; ("graphic.dat" names BOW.ani and FLOAT.ani): a bow that stays where it ends, then floating.
  cmd sp_set(f"GUIDE_BOW", LAYER_CHARA, RIGHT, BOTTOM)
  cmd run(AT_ONCE, 0, 0)

  cmd save_point(0)
  cmd save(0, 1)
  gosub guide_face
  cmd text(f"VOICE01", "案内人", "ようこそ。これはサンプルゲームです。", 0)
  gosub masked_picture
  gosub action_scene
  cmd sp_set(f"GUIDE_FLOAT", LAYER_CHARA, RIGHT, BOTTOM)
  cmd run(AT_ONCE, 0, 0)
  gosub background_voice
  cmd text(f"VOICE02", "案内人", "どちらの道を行きますか？", 0)
  ; In auto mode the first answer is taken after a few seconds (skip_auto.asm).
  gosub auto_choice
  jz player_choice, v21
  jmp forest
player_choice:

  ; The choice: two image buttons (CHOICE has a normal and a brighter hovered cell row) with
  ; their texts centred on them; the script goes on at the label of the one clicked.
  cmd select_init(f"CHOICE", WHITE, WHITE, WHITE)
  cmd select(1)
  cmd select_item("森の道", forest, CHOICE_X, FOREST_Y, ITEM_ON, 0)
  cmd select_item("海の道", sea, CHOICE_X, SEA_Y, ITEM_ON, 0)
  cmd end_select

forest:
  cmd action_clear(SET_SWAY)
  cmd sp_set(f"#FF1E5028", LAYER_BG, CENTRE, TOP)
  cmd sp_set_pos(LAYER_CHARA, LEFT)
  cmd run(FADE, FADE_MS, 0)
  cmd text(NONE, NONE, "木々の間を風が通り抜けていく。", 0)
  jmp finish

; Runs after a load, as a subroutine returning to the loaded point (the message window comes
; back with the saved game): counts the load and keeps the game as loaded in slot 1.
after_load:
  gosub skip_auto_resume
  mov v9, LOADS
  add sys[v9], 1
  cmd save(1, 0)
  ret

sea:
  cmd action_clear(SET_SWAY)
  cmd sp_set(f"#FF1E3C78", LAYER_BG, CENTRE, TOP)
  cmd run(FADE, FADE_MS, 0)
  cmd text(NONE, NONE, "波の音が遠くから聞こえる。", 0)

finish:
  gosub effects_scene
  gosub skip_stop_at_end
  cmd text(f"VOICE03", "案内人", "遊んでくれてありがとう。", 0)
  mov v10, 60
  gosub frames
  ; The ending is kept in a slot of its own, and the save screen shows the saved games.
  gosub save_screen
  cmd sp_cls(LAYER_CHARA)
  cmd run(FADE, FADE_MS, 0)
  mov v10, 30
  gosub frames
  end

; Shows v10 frames: each run commits nothing new and ends the frame's script work.
frames:
  cmd run(AT_ONCE, 0, 0)
  sub v10, 1
  jz frames_done, v10
  jmp frames
frames_done:
  ret

.include "music.asm"
.include "background_voice.asm"
.include "masked_picture.asm"
.include "guide_face.asm"
.include "action_scene.asm"
.include "effects.asm"
.include "system_buttons.asm"
.include "backlog.asm"
.include "title_text.asm"
.include "skip_auto.asm"
.include "save_screen.asm"
