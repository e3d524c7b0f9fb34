; The guide bows once: down 16 pixels and back up by 8, and stays where the bow ended.
  move_decel 0, 16, 0, 300
  pause 300
  move_accel 0, -8, 0, 200
  pause 200
  keep
  end
