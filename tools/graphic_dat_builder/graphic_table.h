// The plain text table that gdatbuild turns into "graphic.dat": one image per line,
//   NAME  FILE  STEP  [blend=N] [anim=NAME] [centre=X,Y] [pos=X,Y] [colour=AARRGGBB] [scale=P]
// FILE "-" loads the image under its own name; STEP is the draw-priority step. Fields are
// separated by spaces or tabs; "#" starts a comment; names are UTF-8 and are stored in CP932
// with ASCII letters upper-cased, as the engine asks for them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "program/data/graphic_dat.h"

namespace tools {

// The records of a table; false with "line N: reason" in `error` at the first bad line.
bool ParseGraphicTable(std::string_view text, std::vector<adv::GraphicDatRecord>* records,
                       std::string* error);

}  // namespace tools
