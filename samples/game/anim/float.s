; The guide floats: up and down by 12 pixels for as long as the image is shown.
float:
  move_sine 0, -12, 0, 900
  pause 900
  move_sine 0, 12, 0, 900
  pause 900
  jump float
