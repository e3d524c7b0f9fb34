; Names shared by the sample game's script files.

; Screen and message window (the game runs at 1280 x 720).
.const FONT_SIZE = 28
.const TEXT_X = 160
.const TEXT_Y = 560
.const TEXT_W = 960
.const TEXT_H = 120
.const NAME_X = 160
.const NAME_Y = 516
.const RUBY_SIZE = 0

; Layers: a higher layer lies in front.
.const LAYER_BG = 0
.const LAYER_CHARA = 10

; Position grid of sp_set: columns 0-20 across the screen (10 the centre, 21 just past the
; right edge); mode 0 puts the image at the top, 2 stands it on the bottom edge.
.const CENTRE = 10
.const LEFT = 6
.const RIGHT = 14
.const OFF_RIGHT = 21
.const TOP = 0
.const BOTTOM = 2

; run with kind 0 changes the screen at once; the script goes on in the next frame.
.const AT_ONCE = 0

; Transitions of run: kind, time in milliseconds.
.const FADE = 1
.const FADE_MS = 500

; Choice items: flags bit 0 shows the item, bit 1 makes it selectable. The choice image is
; 240 x 48 per cell, centred across the screen; the colours keep the image as painted.
.const ITEM_ON = 3
.const CHOICE_X = 520
.const FOREST_Y = 260
.const SEA_Y = 340
.const WHITE = 0xFFFFFF

; System memory cell that counts how often a saved game was loaded (kept in "system.dat").
.const LOADS = 100

; Action sets: the guide's entrance (prepared by one set, played by another) and the background's
; sway; the sway's two sections move it there and back on a sine curve, for ever.
.const SET_ENTER = 0
.const SET_PREPARE = 1
.const SET_SWAY = 2
.const ENTER_PX = 400
.const ENTER_MS = 900
; BG01 is 2 x SWAY_PX wider than the screen, so the sway never bares the screen's edge.
.const SWAY_PX = 6
.const SWAY_MS = 1500
.const ENDLESS = 0
