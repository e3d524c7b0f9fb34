/* The exported interface of the platform library. The main program loads the library at run
 * time and binds these names; everything else in the library stays hidden. */
#ifndef YEL_YEL_H_
#define YEL_YEL_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(YEL_BUILDING_LIBRARY)
#define YEL_API __attribute__((visibility("default")))
#else
#define YEL_API
#endif

/* ---- Callbacks ------------------------------------------------------------------------- */

/* The main program's start function, called once on the main thread; 0 ends the program. */
typedef int (*YelFirstFunc)(void);
/* Called once when the main thread leaves its loop, with the data of the first top task. */
typedef void (*YelEndFunc)(void* first_task_data);
/* A job run on the UI thread or the work thread with one word. */
typedef void (*YelProcessFunc)(uintptr_t arg);
/* A task step (and a task's end step), called with the task's data block. */
typedef int (*YelTaskFunc)(void* data);
typedef YelTaskFunc YelTaskEndFunc;

/* ---- Start-up record ------------------------------------------------------------------- */

/* Bits of YelInitParam.flags. */
enum {
  YEL_FLAG_RUN_INACTIVE = 1u << 0,  /* the task walk runs while the window is inactive */
  YEL_FLAG_LINEAR_FILTER = 1u << 1,
  YEL_FLAG_SCREEN_SAVER = 1u << 2,
  YEL_FLAG_3D = 1u << 3,            /* use the hardware renderer */
  YEL_FLAG_FX = 1u << 4,
  YEL_FLAG_DEFAULT = 0x441B
};

/* Bits of YelInitParam.option_bits. */
enum {
  YEL_OPTION_HIDDEN = 1u << 0,        /* do not show the window at start */
  YEL_OPTION_NO_MODE_CHANGE = 1u << 2 /* window-mode switches are refused */
};

typedef struct YelInitParam {
  void* instance;            /* the main program's module handle, or null */
  int32_t full_screen;       /* non-zero: the window is (or is to be) full screen */
  int32_t debug;             /* non-zero: debug mode */
  const char* title;         /* window title and caption of the quit question (CP932) */
  const char* class_name;
  int32_t icon;
  const char* menu;
  const char* cmd_line;
  uint32_t window_style;
  int32_t frame_rate;        /* frames per second; -1 unlimited */
  int32_t window_x;
  int32_t window_y;
  int32_t window_width;      /* client size */
  int32_t window_height;
  int32_t game_width;        /* size of the game screen */
  int32_t game_height;
  int32_t texture_slot_count;
  int32_t reserved_count;
  int32_t random_table_size;
  YelFirstFunc first_func;   /* must be set */
  YelEndFunc end_func;       /* may be null */
  int32_t display_adapter;
  uint32_t option_bits;
  uint32_t flags;
  int32_t pacing_mode;       /* 2 sleep to the frame rate, 1 vertical sync, 0 neither */
  int32_t aspect_mode;       /* 0 to 3 */
  int32_t video_flag;
} YelInitParam;

/* Opaque records of the library. */
typedef struct YelTask YelTask;
typedef struct YelRender YelRender;
typedef struct YelCore YelCore;

typedef struct YelListNode {
  uintptr_t data;
  int32_t id;
  struct YelListNode* next;
} YelListNode;
/* A list header is laid out like a node: data and id stay 0, next is the first node. */
typedef YelListNode YelList;

/* ---- Start, run and stop --------------------------------------------------------------- */

YEL_API void YelDefaultCreate(YelInitParam* param);
YEL_API int YelInit(YelInitParam* param);
YEL_API int YelRun(void);
YEL_API void YelEnd(void);
YEL_API int YelUninit(void);
YEL_API int YelAttachProcess(YelProcessFunc fn, uintptr_t arg);
YEL_API int YelAttachWorkProcess(YelProcessFunc fn, uintptr_t arg);
YEL_API int YelIsWorkThreadId(void);
YEL_API void YelFrameRateSet(int32_t frames_per_second);

YEL_API void YelGetSystemParameters(YelInitParam* out);
YEL_API int IsActive(void);
YEL_API int IsMovie(void);
YEL_API int IsSystemEnd(void);
YEL_API int YelCheckWindowMode(void);
YEL_API int YelCheckAspectMode(void);
YEL_API YelCore* YelGetCore(void);
YEL_API YelRender* YelGetRender(void);
YEL_API int32_t YelGetAllocCount(void);
YEL_API int Yel3DIs(void);
YEL_API int YelDebugIs(void);
YEL_API const char* YelGetFilePath(void);
YEL_API const char* YelGetCmdLine(void);
YEL_API void* YelGetWindowHandle(void);
YEL_API void* YelGetInstanceHandle(void);
YEL_API void* YelGetlpPool(void);
YEL_API void YelDisableChangeWindowMode(int32_t disabled);
YEL_API uint32_t YelGetChangeWindowModeTime(void);
YEL_API uint32_t YelSetChangeWindowModeTime(void);
YEL_API void YelDebugDump(void);

/* ---- Task tree ------------------------------------------------------------------------- */

YEL_API YelTask* YelTaskCreate(YelTaskFunc fn, YelTaskEndFunc end_fn, uint32_t data_size,
                               void** out_data, uint32_t link_word, YelTask* parent,
                               const char* name);
YEL_API int YelTaskFree(YelTask* task);
YEL_API void YelTaskChangeNext(YelTaskFunc fn);
YEL_API int YelTaskChangeNextImm(YelTaskFunc fn);
YEL_API int YelTaskGetState(YelTask* task);
YEL_API void YelTaskChangeState(YelTask* task, int32_t state);
YEL_API int32_t YelTaskGetMessage(YelTask* task);
YEL_API int32_t YelTaskSetMessage(YelTask* task, int32_t value);
YEL_API void* YelTaskGetTaskData(YelTask* task);
YEL_API void YelTaskSetTaskData(YelTask* task);
YEL_API void YelTaskReProcess(YelTask* task);
YEL_API void YelTaskReset(void);
YEL_API YelTask* YelWait(int32_t frames);
YEL_API YelTask* YelWaitTime(uint32_t ms);
YEL_API YelTask* YelWaitTimeEx(uint32_t ms, YelTask* parent);

/* ---- Memory, lists, random and clock --------------------------------------------------- */

YEL_API void* YelMemoryAlloc(uint32_t size, uint32_t flags);
YEL_API void YelMemoryFree(void* block);
YEL_API void* GetMemoryPool(uint32_t* out_size);

YEL_API YelList* YelListCreate(void);
YEL_API void YelListRelease(YelList* list);
YEL_API int YelListPush(YelList* list, uintptr_t data, int32_t id);
YEL_API int YelListPushLast(YelList* list, uintptr_t data, int32_t id);
YEL_API uintptr_t YelListPopFirst(YelList* list);
YEL_API uintptr_t YelListPop(YelList* list, int32_t id);
YEL_API int YelListDelete(YelList* list, uintptr_t data);
YEL_API YelListNode* YelListFind(YelList* list, int32_t id);
YEL_API YelListNode* YelListFindNext(YelList* list);
YEL_API uintptr_t YelListGetData(YelList* list, int32_t id, int32_t n);
YEL_API int32_t YelListGetDataCount(YelList* list, int32_t id);
YEL_API void YelListPrint(YelList* list, int32_t id);

YEL_API int32_t YelRandom(void);
YEL_API int32_t YelRandomEx(void);
YEL_API void YelRandomReset(void);
YEL_API int32_t YelRandomGetSeed(int32_t* destination, uint32_t n);
YEL_API int32_t YelRandomSetSeed(const int32_t* source, uint32_t n);

YEL_API uint32_t YeltimeGetTime(void);
YEL_API void YelUpdateTime(void);

/* ---- Debug print and error log --------------------------------------------------------- */

YEL_API int YelDebugPrintf(int32_t key, const char* label, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
YEL_API int YelErrorLogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
YEL_API int YelErrorLogPrintfBasic(const char* format, ...) __attribute__((format(printf, 1, 2)));
YEL_API int YelErrorLogPuts(void);

/* ---- Files and archives ---------------------------------------------------------------- */

/* ---- Input ----------------------------------------------------------------------------- */

/* Key bits of the key words: 0 Esc, 1 Space, 2 Enter, 3 Ctrl, 4 Shift, 5 Alt, 6 Tab, 7-10 Up,
 * Down, Left, Right, 11-22 F1-F12, 23-25 left, right and middle mouse button, 26-30 Y, N, Z,
 * X, C. Window-event word: 1, 2, 4 left, right, middle double click; 8 window-mode switch
 * request. Joystick words: 0 up, 1 down, 2 left, 3 right, 4-13 buttons 0 to 9. */

/* The system cursor number of the arrow, for YelSetCursor with type 1. */
enum { YEL_CURSOR_ARROW = 32512 };

YEL_API uint32_t YelInputGetKeyPush(void);  /* pressed in this frame */
YEL_API uint32_t YelInputGetKeyOn(void);    /* held in this and the previous frame */
YEL_API uint32_t YelInputGetKeyPull(void);  /* released in this frame */
YEL_API uint32_t YelInputGetKeyEx(void);    /* window-event word */
YEL_API uint32_t YelInputGetKeyOnEx(void);  /* keys held past the repeat delay */
YEL_API int16_t YelInputGetWheel(void);     /* +1 toward the user, -1 away */
YEL_API int32_t YelInputGetMouseX(void);    /* game coordinates, -1 outside */
YEL_API int32_t YelInputGetMouseY(void);
YEL_API int32_t YelInputGetMouseMoveX(void);
YEL_API int32_t YelInputGetMouseMoveY(void);
YEL_API uint32_t YelInputGetJoyPush(void);  /* the joystick words are 0 without a joystick */
YEL_API uint32_t YelInputGetJoyOn(void);
YEL_API uint32_t YelInputGetJoyPull(void);
YEL_API uint32_t YelInputGetJoyOnEx(void);

YEL_API void YelInputSetKeyOn(uint32_t bits);
YEL_API void YelInputSetKeyPull(uint32_t bits);
YEL_API void YelInputSetKeyPush(uint32_t bits);
/* Keeps the low mask's bits out of the key words, and the high mask's out of the window-event
 * word (bit 4 of it also clears the wheel), now and after every later poll until changed. */
YEL_API void YelInputKeyCancel(uint32_t low_mask, uint32_t high_mask);
YEL_API void YelInputKeyRepeatClear(void);
YEL_API void YelInputClear(void);

/* Type 1: `name` is a system cursor number (YEL_CURSOR_ARROW) cast to a pointer. Any other
 * type: `name` is a TGA file (32-bit, rows bottom to top). 0 when the file cannot be read or is
 * not a usable image; the cursor in use then stays. */
YEL_API int YelSetCursor(const char* name, uint16_t type, int32_t hot_x, int32_t hot_y);
YEL_API void YelReleaseCursor(void);
YEL_API void YelDeleteCursor(void);
/* Moves the pointer to a game position; the mouse words read it until the next poll. */
YEL_API void YelCursorSetPos(int32_t x, int32_t y);
/* Hides an idle cursor over the game view after `ms`; 0 never hides it. */
YEL_API void YelCursorSetAutoHideTime(uint32_t ms);

YEL_API void YelTouchEnable(uint8_t enable);
YEL_API void YelTouchMode(uint8_t on);
YEL_API int32_t YelIsTouchMode(void);
YEL_API int YelIsTouch(void);
YEL_API void YelSetGesture(int32_t mode);
YEL_API void YelGetGesture(void* out_record48);
YEL_API int YelGestureCheck(void);
YEL_API void YelSetPow(uint8_t on);

/* ---- Render objects, render lock and present ------------------------------------------- */

#ifdef __cplusplus
}
#endif

#endif /* YEL_YEL_H_ */
