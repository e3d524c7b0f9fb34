; A background voice under a line: a murmur that fades in under the guide's question and ends by
; itself. Its key ties it to the voices whose names begin with "VOICE": while one of them speaks,
; the murmur pauses, and it goes on when the voice has ended.
.const BGV_MURMUR = 0
.const BGV_FADE_IN = 4   ; play flags: bit 0 loop, bit 2 fade in
.const BGV_FADE_MS = 400

background_voice:
  cmd set_bgv_volume(60)
  cmd bgv_play(BGV_MURMUR, f"VOICE02", BGV_FADE_IN, BGV_FADE_MS) -> v11
  cmd set_bgv_auto_volume(BGV_MURMUR, f"VOICE")
  ret
