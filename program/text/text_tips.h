// The in-text tips of the message window: the layout's bookkeeping of the tip links it meets
// ("<d" number ">" text "</d>") in the TipsArea of the context, and the two hooks that run the
// script's tips labels while a line waits (declared with the other window calls in
// text_services.h). Main thread, render lock held.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

struct TipsArea;
struct TipsEntry;

// The tip links of one AdvDrawText call. Without an area (the history page is open) every call
// does nothing and the tags are plain tags.
class TipsLinks {
 public:
  explicit TipsLinks(TipsArea* area) : area_(area) {}

  // At "<d" N ">": `tag` at its "<", `text` after its ">". Starts the entry at the area's count
  // at the cursor. A number beyond 32 bits is refused (logged), and no tip starts.
  void Open(const char* tag, const char* text, int32_t x, int32_t y);
  // A wrap before the unit at `unit` while a tip is open: the first part ends at the cursor of
  // the full line. After the line change, `WrapDone` starts the second part on the new line.
  void Wrap(const char* unit, int32_t x, int32_t y, int32_t pitch);
  void WrapDone(int32_t y);
  // At "</d>" (`at`): the entry completed with its texts and sizes; the area's count moves on and
  // both hooks are armed. The tip colours give way to `colours`. An end without a start is
  // ignored.
  void Close(const char* at, int32_t x, int32_t y, int32_t size, int32_t pitch,
             const std::array<uint32_t, 2>& colours);

 private:
  TipsArea* area_;
  TipsEntry* entry_ = nullptr;   // the open tip
  const char* start_ = nullptr;  // its text
  const char* split_ = nullptr;  // where its second part starts, once it wrapped
  bool second_part_ = false;
};

}  // namespace adv
