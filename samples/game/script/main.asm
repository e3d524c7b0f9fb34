; The sample game: a short scene with a choice and two endings. Backgrounds are colour planes
; ("#" and eight hex digits ARGB), so the game needs no image files yet.
.include "common.asm"

.zero v254          ; v254 stays 0: large values come from the Mem.dat pool

start:
  ; A saved game is taken up again where it was saved; the load-after label counts the loads.
  cmd set_load_after_process(after_load)
  cmd is_save(0) -> v1
  jz first_run, v1
  cmd load(0)
first_run:
  cmd text_init(FONT_SIZE, TEXT_X, TEXT_Y, TEXT_W, TEXT_H, NAME_X, NAME_Y, RUBY_SIZE)
  cmd sp_set(f"#FF203040", LAYER_BG, CENTRE, TOP)
  cmd run(FADE, FADE_MS, 0)

  cmd text(NONE, "案内人", "ようこそ。これはサンプルゲームです。", 0)
  cmd save_point(0)
  cmd save(0, 1)
  cmd text(NONE, "案内人", "どちらの道を行きますか？", 0)

  cmd select(1)
  cmd select_item("森の道", forest, 440, 260, ITEM_ON, 0)
  cmd select_item("海の道", sea, 440, 340, ITEM_ON, 0)
  cmd end_select

forest:
  cmd sp_set(f"#FF1E5028", LAYER_BG, CENTRE, TOP)
  cmd run(FADE, FADE_MS, 0)
  cmd text(NONE, NONE, "木々の間を風が通り抜けていく。", 0)
  jmp finish

; Runs after a load, as a subroutine returning to the loaded point.
after_load:
  mov v9, LOADS
  add sys[v9], 1
  ret

sea:
  cmd sp_set(f"#FF1E3C78", LAYER_BG, CENTRE, TOP)
  cmd run(FADE, FADE_MS, 0)
  cmd text(NONE, NONE, "波の音が遠くから聞こえる。", 0)

finish:
  cmd text(NONE, "案内人", "遊んでくれてありがとう。", 0)
  end
