// The exports of the debug window and pages. Outside debug mode each does nothing and reports
// success (0 where it returns a value).
#include "YEL/core/system.h"
#include "YEL/debug/debug_pages.h"
#include "YEL/debug/debug_status.h"
#include "YEL/debug/debug_window.h"

namespace {

bool Debugging() {
  return yel::DebugMode() && yel::DebugWindowExists();
}

}  // namespace

extern "C" {

YEL_API int YelDebugWindowCreate(int32_t key, const char* title, int32_t kind) {
  if (!Debugging()) return 1;
  return yel::DebugPageCreate(key, title ? title : "", kind) ? 1 : 0;
}

YEL_API int YelDebugWindowDelete(int32_t key) {
  if (!Debugging()) return 1;
  return yel::DebugPageDelete(key) ? 1 : 0;
}

YEL_API int YelDebugWindowDeleteLog(int32_t key) {
  if (!Debugging()) return 1;
  return yel::DebugPageClearRows(key) ? 1 : 0;
}

YEL_API int YelDebugWindowToggleControl(int32_t key) {
  if (!Debugging()) return 1;
  return yel::DebugPageToggle(key) ? 1 : 0;
}

YEL_API int32_t YelDebugWindowGetState(void) {
  if (!Debugging()) return 0;
  return static_cast<int32_t>(yel::System()->debug_state.load());
}

YEL_API int YelDebugWindowSetState(int32_t state) {
  if (!Debugging()) return 0;
  yel::System()->debug_state = static_cast<uint32_t>(state);
  return 1;
}

YEL_API int YelDebugSetData(int32_t key, int32_t* const* data_cell, int32_t count) {
  if (Debugging() && data_cell) yel::DebugPageSetData(key, *data_cell, count);
  return 0;
}

YEL_API int YelBeginUpdate(int32_t key) {
  if (!Debugging()) return 1;
  if (!yel::DebugPageExists(key)) return 0;
  yel::DebugWindowLockRedraw(true);
  return 1;
}

YEL_API int YelEndUpdate(void) {
  yel::DebugWindowLockRedraw(false);
  return 1;
}

YEL_API int YelDebugSetRegistryCount(uint32_t count) {
  yel::ReportWords().register_count = count;
  return 0;
}

YEL_API int YelDebugSetEBP(const int32_t* frame_base) {
  yel::ReportWords().frame_base = frame_base;
  return 0;
}

YEL_API int YelDebugSetESP(const int32_t* frame_top) {
  yel::ReportWords().frame_top = frame_top;
  return 0;
}

YEL_API int YelDebugSetSaveThumbnail(int32_t on) {
  yel::ReportWords().save_thumbnail = on;
  return 0;
}

YEL_API int YelDebugSetStringNo(int32_t number) {
  yel::ReportWords().string_number = number;
  return 0;
}

YEL_API void YelSpriteDebugList(void) {}

YEL_API int YelSaveScreenShot(void) {
  return 0;
}

}  // extern "C"
