; The effects scene, called as a subroutine: snow falls over a night sky, a white flush and a
; shake, then a short movie plays on a layer of its own, and the snow fades out.

.const LAYER_MOVIE = 20
.const SNOW_DRIFT = 60
.const SNOW_COUNT = 255
.const SHAKE_BOTH = 2
.const SHAKE_PX = 8
.const SHAKE_MS = 600
.const FLUSH_MS = 150
.const MOVIE_X = 480
.const MOVIE_Y = 200
.const STOP_SNOW = 4
.const SNOW_FADE_MS = 800

effects_scene:
  cmd sp_set(f"#FF0A1030", LAYER_BG, CENTRE, TOP)
  cmd run(FADE, FADE_MS, 0)
  cmd snow(f"SNOW", 0, SNOW_DRIFT, SNOW_COUNT)
  mov v10, 90
  gosub frames
  ; The flush holds the script for its time; the shake (every layer, each its own offset, the
  ; message window too) holds it until it has died down.
  cmd flush(255, 255, 255, FLUSH_MS)
  cmd shake(SHAKE_BOTH, SHAKE_PX, SHAKE_MS, 1)
  ; The clip plays once on its layer over the snow, then the layer is cleared.
  cmd msp_set(f"CLIP", LAYER_MOVIE, MOVIE_X, MOVIE_Y, 0, 0, 0, 0) -> v3
  cmd run(AT_ONCE, 0, 0)
  mov v10, 150
  gosub frames
  cmd msp_cls(LAYER_MOVIE)
  cmd effect_stop(STOP_SNOW, SNOW_FADE_MS)
  cmd run(AT_ONCE, 0, 0)
  mov v10, 60
  gosub frames
  ret
