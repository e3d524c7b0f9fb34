; The guide's name plate and face: a plate (a colour plane) written on with sp_text above the
; message window, and the guide's face at its left, which shows and hides with the window.

.const LAYER_PLATE = 30
.const LAYER_FACE = 31
.const FACE_GUIDE = 0
.const FACE_X = 80           ; the face's bottom centre, left of the text
.const FACE_Y = 708
.const FACE_BEHIND = 0       ; priority steps behind the face's layer
.const PLATE_X = 960
.const PLATE_Y = 24
.const PLATE_W = 280
.const PLATE_H = 44

; Puts the plate and the face up; the next line of text shows the face with the window.
guide_face:
  cmd sp_create(LAYER_PLATE, f"#C0203050", PLATE_X, PLATE_Y, PLATE_W, PLATE_H)
  cmd sp_text(LAYER_PLATE, "<s26>案内人", 16, 8, 0)
  cmd sp_text(LAYER_PLATE, "<s16>GUIDE", 200, 16, 0)
  cmd face_init(FACE_GUIDE, LAYER_FACE, FACE_X, FACE_Y, FACE_BEHIND)
  cmd face_set(f"FACE01", FACE_GUIDE, 0, 0)
  cmd run(AT_ONCE, 0, 0)
  ret
