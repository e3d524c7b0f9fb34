// Text and interaction as the game task drives them. The program has no message window,
// buttons or choices yet, so the steps have nothing to do.
#include "program/text/text_services.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"

namespace adv {

AdvanceLatch& Advance() {
  static AdvanceLatch latch;
  return latch;
}

void AdvanceLatchReset() { Advance() = AdvanceLatch{0, 0, 1}; }
void TextClickCarryReset() {}

bool AdvButtonUpdate(AdvContext&) { return false; }
bool AdvSystemButtonUpdate(AdvContext&) { return false; }
void AdvButtonChildLinkUpdate(AdvContext&) {}
void AdvButtonUnloadAll(AdvContext&) {}
void AdvTextWaitUpdate(AdvContext&) {}
void AdvTextWindowRelease(AdvContext& context) { context.text_window = TextWindow{}; }
void AdvSelectRelease(AdvContext& context) { context.select = SelectState{}; }
void AdvTextClearWait(AdvContext&) {}
void AdvTipsEndHook(AdvContext&) {}
bool AdvSelectShown(const AdvContext&) { return false; }
void AdvSelectSpritesRelease(AdvContext&) {}

void AdvDumpReturnStack(AdvContext& context) {
  const int32_t count = yel::YelListGetDataCount(context.display_queue, kListReturnPoint);
  for (int32_t i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const DataEntry*>(
        yel::YelListGetData(context.display_queue, kListReturnPoint, i));
    if (entry) AdvDebugPrint(kLogTrace, "ret stack %08x %d/%d", entry->offset, i, count);
  }
}

namespace {

// Bytes of `text` that fit `room` without splitting a double-byte character.
size_t WholeCharacters(const char* text, size_t room) {
  size_t n = 0;
  while (text[n] != 0) {
    const auto lead = static_cast<uint8_t>(text[n]);
    const size_t width = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
    if (width == 2 && text[n + 1] == 0) break;
    if (n + width > room) break;
    n += width;
  }
  return n;
}

}  // namespace

// Until the text window is built, a text expands to itself.
void AdvTextExpand(AdvContext&, char* out, size_t size, const char* text) {
  if (size == 0) return;
  const size_t n = WholeCharacters(text, size - 1);
  std::memcpy(out, text, n);
  out[n] = 0;
}

void AdvTextStripTags(AdvContext&, char* out, size_t size, const char* text, int32_t, int32_t,
                      int32_t) {
  if (size == 0) return;
  size_t used = 0;
  bool in_tag = false;
  for (size_t i = 0; text[i] != 0 && used + 1 < size; ++i) {
    if (text[i] == '<') in_tag = true;
    if (!in_tag) out[used++] = text[i];
    if (text[i] == '>') in_tag = false;
  }
  out[used] = 0;
}

void AdvTextStateReset(AdvContext& context) {
  context.history.count = 0;
  context.history.off = 0;
  context.history.entries = {};
  context.wait = WaitState{};
}

}  // namespace adv
