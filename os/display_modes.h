// The displays attached and the mode each one shows, as the window system reports them.
#pragma once

namespace os {

struct DisplayMode {
  int width = 0;
  int height = 0;
  int refresh_rate = 0;  // Hz; 0 when the system does not say
};

// The number of displays; 0 while the video system is not started.
int DisplayCount();
// The current mode of display `index`; false for a display that is not there.
bool CurrentDisplayMode(int index, DisplayMode* out);

}  // namespace os
