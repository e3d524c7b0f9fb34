// The cursor: the system's or a custom one from a TGA file, shown over the window; the
// auto-hide timer; placing the pointer at a game position.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace os {
class Cursor;
}

namespace yel {

// The largest custom cursor side and the largest cursor file read.
inline constexpr int kMaxCursorSide = 1024;
inline constexpr size_t kTgaHeaderSize = 18;
inline constexpr size_t kMaxCursorFileSize =
    kTgaHeaderSize + size_t{kMaxCursorSide} * kMaxCursorSide * 4 + 64 * 1024;

// A cursor as asked for: a system cursor by number, or pixels.
struct CursorImage {
  uint32_t system_id = 0;  // non-zero: a system cursor (32512 the arrow)
  int width = 0;
  int height = 0;
  int hot_x = 0;
  int hot_y = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top-down
};

// Fills `out` (size and pixels) from TGA data: width and height (16 bits) at bytes 12 and 14,
// 32-bit BGRA pixels from byte 18, rows bottom to top. False when the data is shorter than the
// image it announces, the image is empty or larger than kMaxCursorSide, or the data is larger
// than kMaxCursorFileSize.
bool DecodeCursorTga(const uint8_t* data, size_t size, CursorImage& out);

struct CursorState {
  CursorState();
  ~CursorState();  // where os::Cursor is complete

  std::mutex mutex;  // guards wanted, on_window and generation
  std::shared_ptr<const CursorImage> wanted;  // the custom cursor; null after its release
  bool on_window = false;   // the window shows the custom cursor (cleared by YelDeleteCursor)
  uint64_t generation = 0;  // counts the changes of wanted

  // UI thread only: the cursor made from `wanted`, and the generation it was made from.
  std::unique_ptr<os::Cursor> made;
  uint64_t made_generation = 0;

  std::atomic<bool> auto_hide{false};
  std::atomic<uint32_t> auto_hide_ms{0};
};

}  // namespace yel
