// A movie file opened for decoding: its pictures and its sound, read through the library's file
// layer (plain files and ".pac" entries alike). The codec library stays behind this interface.
//
// One thread at a time uses a decoder: the movie's decode thread while it plays, the owner
// while it is stopped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace yel {

class MovieDecoder {
 public:
  // What Next found.
  enum class Item { kVideo, kAudio, kEnd, kError };

  // Opens a movie; null with the reason in `error` when the file is missing, is not a movie,
  // or holds no picture that can be decoded.
  static std::unique_ptr<MovieDecoder> Open(const char* name, std::string& error);
  ~MovieDecoder();
  MovieDecoder(const MovieDecoder&) = delete;
  MovieDecoder& operator=(const MovieDecoder&) = delete;

  int32_t Width() const;
  int32_t Height() const;
  // The length in milliseconds, 0 when the file does not tell.
  int64_t DurationMs() const;
  // The frame rate the file gives (frames per second), 0 when it does not tell.
  double FrameRate() const;
  bool HasAudio() const;

  // Reads and decodes until a picture or a piece of sound is ready, the movie ends, or the data
  // is too damaged to go on.
  Item Next();
  // The presentation time of the picture Next returned, in ms from the movie's start.
  int64_t FrameTimeMs() const;
  // Writes the picture Next returned as 0xFFRRGGBB words, rows `pitch` pixels apart; false
  // when the picture does not have the movie's size.
  bool ConvertFrame(uint32_t* pixels, int32_t pitch);
  // The sound Next returned: 44100 Hz 16-bit stereo samples, interleaved.
  const std::vector<int16_t>& Audio() const;

  // Moves to the last key picture at or before `ms`; false when the file cannot seek.
  bool Seek(int64_t ms);

 private:
  struct State;
  explicit MovieDecoder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace yel
