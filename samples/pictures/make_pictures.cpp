// Paints the sample game's pictures as PNG files, so that the build turns them into the game's
// images with imgbuild instead of keeping binary sources.
//
//   make_pictures FOLDER   writes bg01.png, event01.png, chara01.png, chara01b.png, button.png,
//                          choice.png, face01.png, bg02.png, wipe01.png, sheet01.png and the
//                          8-bit grey TGA mask mask01.tga, and the window's skipbtn.png and
//                          autobtn.png
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "os/picture_codecs.h"

namespace {

struct Canvas {
  int32_t width;
  int32_t height;
  std::vector<uint32_t> pixels;

  Canvas(int32_t w, int32_t h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
  uint32_t& at(int32_t x, int32_t y) { return pixels[size_t(y) * width + x]; }
};

uint32_t Argb(int a, int r, int g, int b) {
  return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

int Mix(int from, int to, double t) {
  return int(std::lround(from + (to - from) * t));
}

// Sky fading to a horizon, rolling hills below.
Canvas Background(int32_t width, int32_t height) {
  Canvas canvas(width, height, 0);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double hill = height * (0.62 + 0.06 * std::sin(x * 0.006) + 0.03 * std::sin(x * 0.021));
      const double t = double(y) / height;
      canvas.at(x, y) = y < hill ? Argb(255, Mix(70, 250, t), Mix(130, 200, t), Mix(230, 170, t))
                                 : Argb(255, Mix(90, 40, t), Mix(160, 100, t), Mix(70, 40, t));
    }
  }
  return canvas;
}

void Disc(Canvas& canvas, double cx, double cy, double rx, double ry, uint32_t colour) {
  for (int32_t y = 0; y < canvas.height; ++y) {
    for (int32_t x = 0; x < canvas.width; ++x) {
      const double dx = (x - cx) / rx, dy = (y - cy) / ry;
      const double edge = 1.0 - std::sqrt(dx * dx + dy * dy);
      if (edge <= 0) continue;
      const int alpha = std::min(255, int(edge * rx * 255));  // about one pixel of soft edge
      const uint32_t old = canvas.at(x, y);
      canvas.at(x, y) = (alpha == 255 || (old >> 24) == 0)
                            ? (colour & 0x00FFFFFFu) | uint32_t(std::max<int>(alpha, old >> 24))
                                                           << 24
                            : colour;
    }
  }
}

// A simple figure on a transparent ground; `blinking` closes its eyes (the delta image's change).
Canvas Character(bool blinking) {
  Canvas canvas(256, 384, 0);
  Disc(canvas, 128, 290, 100, 110, Argb(255, 60, 80, 160));  // body
  Disc(canvas, 128, 120, 70, 80, Argb(255, 250, 220, 190));  // face
  Disc(canvas, 128, 70, 78, 45, Argb(255, 90, 50, 30));      // hair
  const double eye_height = blinking ? 2 : 10;
  Disc(canvas, 103, 125, 8, eye_height, Argb(255, 40, 30, 30));
  Disc(canvas, 153, 125, 8, eye_height, Argb(255, 40, 30, 30));
  return canvas;
}

// The same hills at dusk.
Canvas Dusk(int32_t width, int32_t height) {
  Canvas canvas = Background(width, height);
  for (uint32_t& pixel : canvas.pixels) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    pixel = Argb(255, std::min(255, r + 60), g * 2 / 3, b / 2);
  }
  return canvas;
}

// A grey-scale mask for the wipe: brightest in the middle, darkest in the corners, with a
// ripple, so the picture opens from the centre outwards.
Canvas WipeMask(int32_t width, int32_t height) {
  Canvas canvas(width, height, 0);
  const double reach = std::hypot(width / 2.0, height / 2.0);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double d = std::hypot(x - width / 2.0, y - height / 2.0) / reach;
      const double t =
          std::clamp(1.0 - d + 0.04 * std::sin(x * 0.05) * std::sin(y * 0.05), 0.0, 1.0);
      const int v = Mix(0, 255, t);
      canvas.at(x, y) = Argb(255, v, v, v);
    }
  }
  return canvas;
}

// The figure in four cells side by side: eyes open, half shut, shut, half shut (a blink).
Canvas BlinkSheet() {
  Canvas sheet(4 * 256, 384, 0);
  const double eyes[] = {10, 5, 2, 5};
  for (int cell = 0; cell < 4; ++cell) {
    Canvas figure(256, 384, 0);
    Disc(figure, 128, 290, 100, 110, Argb(255, 60, 80, 160));
    Disc(figure, 128, 120, 70, 80, Argb(255, 250, 220, 190));
    Disc(figure, 128, 70, 78, 45, Argb(255, 90, 50, 30));
    Disc(figure, 103, 125, 8, eyes[cell], Argb(255, 40, 30, 30));
    Disc(figure, 153, 125, 8, eyes[cell], Argb(255, 40, 30, 30));
    for (int32_t y = 0; y < 384; ++y) {
      for (int32_t x = 0; x < 256; ++x) sheet.at(cell * 256 + x, y) = figure.at(x, y);
    }
  }
  return sheet;
}

Canvas Button() {
  Canvas canvas(200, 48, 0);
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      const bool border = x < 2 || y < 2 || x >= 198 || y >= 46;
      canvas.at(x, y) =
          border ? Argb(255, 240, 240, 255) : Argb(192, 30, 40, Mix(90, 150, y / 48.0));
    }
  }
  return canvas;
}

// The choice image: two cells of 240 x 48 one above the other, row 0 normal and row 1 the
// brighter hovered look.
Canvas Choice() {
  Canvas canvas(240, 96, 0);
  for (int32_t y = 0; y < 96; ++y) {
    const int32_t row_y = y % 48;
    const bool hovered = y >= 48;
    for (int32_t x = 0; x < 240; ++x) {
      const bool border = x < 2 || row_y < 2 || x >= 238 || row_y >= 46;
      const int32_t blue = hovered ? 220 : Mix(90, 150, row_y / 48.0);
      canvas.at(x, y) = border ? Argb(255, 240, 240, 255)
                               : Argb(hovered ? 230 : 192, hovered ? 70 : 30, hovered ? 90 : 40, blue);
    }
  }
  return canvas;
}

// The guide's face for the message window: head and shoulders in a framed panel.
Canvas Face() {
  Canvas canvas(144, 176, 0);
  for (int32_t y = 0; y < 176; ++y) {
    for (int32_t x = 0; x < 144; ++x) {
      const bool border = x < 3 || y < 3 || x >= 141 || y >= 173;
      canvas.at(x, y) =
          border ? Argb(255, 240, 240, 255) : Argb(208, 30, 40, Mix(70, 130, y / 176.0));
    }
  }
  Disc(canvas, 72, 170, 62, 40, Argb(255, 60, 80, 160));   // shoulders
  Disc(canvas, 72, 88, 44, 52, Argb(255, 250, 220, 190));  // face
  Disc(canvas, 72, 52, 50, 28, Argb(255, 90, 50, 30));     // hair
  Disc(canvas, 56, 92, 5, 7, Argb(255, 40, 30, 30));
  Disc(canvas, 88, 92, 5, 7, Argb(255, 40, 30, 30));
  return canvas;
}

bool Save(const Canvas& canvas, const std::string& path) {
  std::vector<uint8_t> file;
  if (!os::PngEncode(canvas.pixels.data(), canvas.width, canvas.height, canvas.width, file))
    return false;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

// An oval of full value in a field of 0 with a soft edge: the mask that cuts the event picture
// (its grey value becomes the alpha factor).
std::vector<uint8_t> OvalMask(int32_t width, int32_t height) {
  std::vector<uint8_t> grey(size_t(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double dx = (x - width / 2.0) / (width * 0.45),
                   dy = (y - height / 2.0) / (height * 0.45);
      const double edge = (1.0 - std::sqrt(dx * dx + dy * dy)) * 8.0;  // an eighth of the radius
      grey[size_t(y) * width + x] = uint8_t(std::lround(255 * std::clamp(edge, 0.0, 1.0)));
    }
  }
  return grey;
}

// An uncompressed 8-bit grey TGA, bottom row first.
bool SaveGreyTga(const std::vector<uint8_t>& grey, int32_t width, int32_t height,
                 const std::string& path) {
  uint8_t header[18] = {};
  header[2] = 3;  // grey, uncompressed
  header[12] = uint8_t(width), header[13] = uint8_t(width >> 8);
  header[14] = uint8_t(height), header[15] = uint8_t(height >> 8);
  header[16] = 8;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  bool written = std::fwrite(header, 1, sizeof(header), out) == sizeof(header);
  for (int32_t y = height - 1; y >= 0 && written; --y) {
    written = std::fwrite(grey.data() + size_t(y) * width, 1, size_t(width), out) == size_t(width);
  }
  return std::fclose(out) == 0 && written;
}


// The message window's skip and auto buttons: 96 x 32 cells in six rows, the normal, hovered and
// pushed look with the mode off, then the same three with it on (a lit symbol). The skip symbol
// is two triangles, the auto symbol one triangle in a ring.
Canvas ModeButton(bool skip) {
  constexpr int32_t kW = 96, kH = 32;
  Canvas canvas(kW, kH * 6, 0);
  for (int32_t row = 0; row < 6; ++row) {
    const bool on = row >= 3;
    const int32_t look = row % 3;  // 0 normal, 1 hovered, 2 pushed
    const int panel = look == 1 ? 90 : look == 2 ? 20 : 45;
    const uint32_t symbol = on ? Argb(255, 255, 220, 90) : Argb(255, 170, 180, 200);
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x) {
        const bool border = x < 2 || y < 2 || x >= kW - 2 || y >= kH - 2;
        uint32_t colour = border ? (on ? symbol : Argb(255, 200, 205, 230))
                                 : Argb(200, panel / 2, panel / 2, panel + 40);
        // Triangles pointing right, 12 pixels wide and 16 high, centred on the row.
        const auto in_triangle = [&](int32_t left) {
          const int32_t dx = x - left, dy = y - kH / 2;
          return dx >= 0 && dx < 12 && std::abs(dy) * 12 <= (12 - dx) * 8;
        };
        if (skip && (in_triangle(kW / 2 - 12) || in_triangle(kW / 2))) colour = symbol;
        if (!skip) {
          const double r = std::hypot(x - kW / 2.0, y - kH / 2.0);
          if (in_triangle(kW / 2 - 5) || (r >= 11 && r < 13)) colour = symbol;
        }
        canvas.at(x, y + row * kH) = colour;
      }
    }
  }
  return canvas;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  // The first background sways 6 pixels to the right and back (SWAY_PX in the script): it is
  // wider than the screen by twice that, so that, centred, it covers the screen all the way.
  const bool ok = Save(Background(1280 + 2 * 6, 720), folder + "/bg01.png") &&
                  Save(Background(640, 360), folder + "/event01.png") &&
                  Save(Character(false), folder + "/chara01.png") &&
                  Save(Character(true), folder + "/chara01b.png") &&
                  Save(Button(), folder + "/button.png") &&
                  Save(Choice(), folder + "/choice.png") &&
                  Save(Face(), folder + "/face01.png") &&
                  SaveGreyTga(OvalMask(640, 360), 640, 360, folder + "/mask01.tga") &&

                  Save(Dusk(1280, 720), folder + "/bg02.png") &&
                  Save(WipeMask(1280, 720), folder + "/wipe01.png") &&
                  Save(BlinkSheet(), folder + "/sheet01.png") &&

                  Save(ModeButton(true), folder + "/skipbtn.png") &&
                  Save(ModeButton(false), folder + "/autobtn.png");
  if (!ok) std::fprintf(stderr, "make_pictures: cannot write into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
