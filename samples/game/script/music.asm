; The sample game's music: the first piece fades in with a click, plays a while, and then the
; second piece crosses over it: bgm_play with channel -1 keeps the playing piece on channel 1
; and starts the new one on channel 0, and bgm_stop fades the old one out meanwhile.

; bgm_play flags: bit 0 loops, bit 2 fades in. se_play_ex flags: bit 1 waits for the effect.
.const BGM_LOOP_FADE_IN = 5
.const BGM_AUTO_CHANNEL = -1
.const BGM_OLD_CHANNEL = 1
.const BGM_FADE_IN_MS = 1500
.const CROSS_FADE_MS = 2500
.const MUSIC_FRAMES = 150
.const SE_ANY_CHANNEL = -1
.const SE_WAIT = 2
.const SE_KIND_UI = 0

music_cross_fade:
  cmd bgm_play(BGM_AUTO_CHANNEL, f"BGM01", BGM_LOOP_FADE_IN, BGM_FADE_IN_MS, 0, 0, 0) -> v3
  cmd se_play_ex(SE_ANY_CHANNEL, f"CLICK", SE_WAIT, 0, SE_KIND_UI) -> v3
  mov v10, MUSIC_FRAMES
  gosub frames
  cmd se_play_ex(SE_ANY_CHANNEL, f"CLICK", 0, 0, SE_KIND_UI) -> v3
  cmd bgm_play(BGM_AUTO_CHANNEL, f"BGM02", BGM_LOOP_FADE_IN, CROSS_FADE_MS, 0, 0, 0) -> v3
  cmd bgm_stop(BGM_OLD_CHANNEL, CROSS_FADE_MS)
  ret
