; A picture cut by a TGA mask: the event picture on a layer of its own, its alpha multiplied by
; the grey values of MASK01.tga (an oval that fades out at its edge), so only an oval of it shows
; over the background. The mask operation is recorded with the layer (entry 0), so a restored
; game cuts the picture again.
.const LAYER_MASKED = 20
.const MASKED_X = 320
.const MASKED_Y = 80
.const MASKED_W = 640
.const MASKED_H = 360

masked_picture:
  cmd sp_set_ex(f"EVENT01", LAYER_MASKED, MASKED_X, MASKED_Y, 0)
  cmd sp_set_mask(LAYER_MASKED, 0, 0, MASKED_W, MASKED_H, f"MASK01", 0, 0, 0)
  cmd run(FADE, FADE_MS, 0)
  mov v10, 60
  gosub frames
  cmd sp_cls(LAYER_MASKED)
  cmd run(FADE, FADE_MS, 0)
  ret
