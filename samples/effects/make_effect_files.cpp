// Makes the files of the sample game's effects scene in the folder given: a snow flake and a
// blossom petal as PNG images, and a short movie ("CLIP.mpg", MPEG-1 with a tone) made with the
// codec libraries as the movie tests make their clips.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "os/picture_codecs.h"
#include "tests/yel/movie_test_support.h"

namespace {

// A round spot of `colour` whose alpha falls off towards its edge.
std::vector<uint32_t> Spot(int32_t size, uint32_t colour) {
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * size, 0);
  const float r = size / 2.0f;
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x) {
      const float dx = x + 0.5f - r, dy = y + 0.5f - r;
      const float d = (dx * dx + dy * dy) / (r * r);
      if (d >= 1.0f) continue;
      const auto alpha = static_cast<uint32_t>((1.0f - d) * 255.0f);
      pixels[static_cast<size_t>(y) * size + x] = alpha << 24 | (colour & 0xFFFFFF);
    }
  }
  return pixels;
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int32_t size) {
  std::vector<uint8_t> file;
  if (!os::PngEncode(pixels.data(), size, size, size, file)) return false;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_effect_files folder\n");
    return 2;
  }
  const std::string folder = argv[1];
  movietest::ClipRecipe clip;
  clip.width = 320;
  clip.height = 180;
  clip.colours = movietest::FrameColours(60);  // 2.4 s at 25 frames per second
  const bool ok = WritePng(folder + "/SNOW.png", Spot(8, 0xFFFFFF), 8) &&
                  WritePng(folder + "/PETAL.png", Spot(16, 0xFFB7C5), 16) &&
                  movietest::EncodeMovie(folder + "/CLIP.mpg", clip);
  if (!ok) std::fprintf(stderr, "make_effect_files: could not write into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
