/* The exported interface of the platform library. The main program loads the library at run
 * time and binds these names; everything else in the library stays hidden.
 *
 * Threads. The UI thread is the one that calls YelInit and YelRun; it owns the window. YelRun
 * starts the main thread (the first function, then one frame after another, the task walk under
 * the render lock) and the work thread (queued jobs). Every export below says which thread may
 * call it and which lock it takes:
 * - "any thread": safe from every thread while the library is started; the words it reads or
 *   writes are atomic, or it takes the lock it names.
 * - "window state": the window's mode, position, sizes, aspect mode and view, which only the UI
 *   thread changes; readers get a consistent copy under the window-state mutex.
 * - "render lock": the active render object's lock (YelRenderLockEnter). The main thread holds
 *   it for the whole task walk and for present; any other thread must hold it around the call.
 * - "render-list lock": the process-wide lock of every render list, taken after the render
 *   lock, never before it. */
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

typedef struct YelRect {
  int32_t left, top, right, bottom;
} YelRect;

typedef struct YelPoint {
  int32_t x, y;
} YelPoint;

/* Opaque records of the library. */
typedef struct YelTask YelTask;
typedef struct YelRender YelRender;
typedef struct YelCore YelCore;
typedef struct YelRenderNode YelRenderNode;

/* Draws a render-list node; 0 means done: the node is removed after the call. */
typedef int (*YelDrawFunc)(YelCore* core, void* object);

typedef struct YelListNode {
  uintptr_t data;
  int32_t id;
  struct YelListNode* next;
} YelListNode;
/* A list header is laid out like a node: data and id stay 0, next is the first node. */
typedef YelListNode YelList;

/* ---- Start, run and stop --------------------------------------------------------------- */

/* Any thread; no lock. */
YEL_API void YelDefaultCreate(YelInitParam* param);
/* The thread that will call YelRun (it becomes the UI thread), once, with no other thread of the
 * library running. The start-up record is copied and is read-only from then on. */
YEL_API int YelInit(YelInitParam* param);
/* UI thread: starts the work and main threads and serves the window until the end. */
YEL_API int YelRun(void);
/* Any thread. On the UI thread the end runs at once; any other thread only posts the request
 * (the end stops that thread, so it must not wait for it). Must not be called with the render
 * lock held by a thread other than the main thread. */
YEL_API void YelEnd(void);
/* UI thread, after YelRun returned. */
YEL_API int YelUninit(void);
/* Any thread: runs fn(arg) on the UI thread and waits for it, serving what is sent to the calling
 * thread meanwhile. The job runs while the caller waits, so it must not wait for a lock the
 * caller holds. */
YEL_API int YelAttachProcess(YelProcessFunc fn, uintptr_t arg);
/* Any thread: queues fn(arg) for the work thread; jobs run one at a time in order. */
YEL_API int YelAttachWorkProcess(YelProcessFunc fn, uintptr_t arg);
/* Any thread. */
YEL_API int YelIsWorkThreadId(void);
/* Any thread; the frame loop takes the new rate from its next frame. */
YEL_API void YelFrameRateSet(int32_t frames_per_second);

/* Any thread: the start-up record with the run-time values (window state, frame rate). */
YEL_API void YelGetSystemParameters(YelInitParam* out);
/* Any thread (atomic flags). */
YEL_API int IsActive(void);
YEL_API int IsMovie(void);
YEL_API int IsSystemEnd(void);
/* Any thread (window state). */
YEL_API int YelCheckWindowMode(void);
YEL_API int YelCheckAspectMode(void);
/* What the active renderer's textures may be. */
typedef struct YelTextureCaps {
  int32_t max_width;        /* the widest and tallest texture */
  int32_t max_height;
  int32_t pow2_only;        /* 1 when texture sides must be powers of two */
  uint32_t available_mib;   /* texture memory still free, in MiB; 0 when unknown */
} YelTextureCaps;

/* Any thread; what they return is used under the render lock. */
YEL_API YelCore* YelGetCore(void);
/* The render lock: the active back-end's texture limits; 0 (and a zero record) without one. */
YEL_API int YelGetTextureCaps(YelTextureCaps* out);
YEL_API YelRender* YelGetRender(void);
/* Any thread (start-up record, atomic words, the base-folder lock for the path). */
YEL_API int32_t YelGetAllocCount(void);
YEL_API int Yel3DIs(void);
YEL_API int YelDebugIs(void);
YEL_API const char* YelGetFilePath(void);
YEL_API const char* YelGetCmdLine(void);
/* Any thread; the window itself may only be used on the UI thread. */
YEL_API void* YelGetWindowHandle(void);
YEL_API void* YelGetInstanceHandle(void);
/* Any thread; the scratch pool has no lock: one thread at a time uses it. */
YEL_API void* YelGetlpPool(void);
/* Any thread (atomic words). */
YEL_API void YelDisableChangeWindowMode(int32_t disabled);
YEL_API uint32_t YelGetChangeWindowModeTime(void);
YEL_API uint32_t YelSetChangeWindowModeTime(void);
YEL_API void YelDebugDump(void);

/* ---- Window modes, size and aspect ---------------------------------------------------- */

/* Requests, any thread while the library runs: each posts to the main thread, which forwards it
 * between frames to the UI thread with the render lock held and the work thread paused. */
YEL_API int YelWindowChangeMode(int32_t mode);
YEL_API int YelChangeWindowSize(int32_t width, int32_t height);
YEL_API int YelChangeAspectMode(int32_t mode);
/* Any thread (atomic flag). */
YEL_API int YelWindowChangeEnable(int32_t flag);
YEL_API int YelWindowChangeEnableIs(void);
/* Any thread (atomic words; a reader racing a change may see the old size with the new flag). */
YEL_API void YelSetDesktopRect(int32_t flag, int32_t width, int32_t height);
YEL_API void YelGetDesktopRect(YelRect* out);
YEL_API int YelIsDesktopRectFix(void);
/* Any thread (window state). */
YEL_API int YelGetWindowSize(int32_t* width, int32_t* height);
YEL_API void YelWindowGetPos(int32_t* x, int32_t* y);
/* Any thread while the library runs: a request like the three above, so the new position reads
 * back once the UI thread moved the window. Before YelRun only the UI thread, which moves the
 * window at once. */
YEL_API void YelWindowSetPos(int32_t x, int32_t y);
/* Any thread. */
YEL_API int YelWindowGetPosCenter(YelPoint* out, int32_t width, int32_t height);
YEL_API void GetMinWindowSize(int32_t* width, int32_t* height);

/* ---- Task tree ------------------------------------------------------------------------- */

/* The main thread inside the task walk, or any thread holding the render lock. */

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

/* Memory: any thread (the block count is atomic). Lists: any thread; a list has no lock of its
 * own, so the threads sharing one take turns (the render lock, for lists that tasks use). Random:
 * any thread (the random table's lock). Clock: any thread (atomic frame time). */

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

/* Any thread (the error log's lock). */

YEL_API int YelDebugPrintf(int32_t key, const char* label, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
YEL_API int YelErrorLogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
YEL_API int YelErrorLogPrintfBasic(const char* format, ...) __attribute__((format(printf, 1, 2)));
YEL_API int YelErrorLogPuts(void);

/* A message box of the given MessageBox type (buttons in the low 4 bits: 0 OK, 1 OK/Cancel,
 * 3 Yes/No/Cancel, 4 Yes/No; icon in bits 4-7) with printf-formatted CP932 text of at most 2047
 * bytes; returns 1 OK, 2 Cancel, 6 Yes or 7 No. Any thread; blocks until answered. */
YEL_API int YelMessageBoxPrintf(void* window, const char* caption, uint32_t type,
                                const char* format, ...) __attribute__((format(printf, 4, 5)));

/* ---- Debug window and debug pages ------------------------------------------------------ */

/* Debug mode only: outside it each does nothing and returns 1 (0 where it returns a value). The
 * page exports are meant for the UI thread at start and end, the setters for any thread; every
 * page operation takes the pages' lock. Keys the system uses: 0 "system", 10 the command trace,
 * 11 user memory, 12 system memory, 13 temporary memory, 14 SE, 15 BGM, 16 output, 19
 * background voices. Kinds: 1 log page with a text file of its own in the report folder, 2 log
 * page with a label column, 3 value page. */

/* A page with a key not yet used; placed from "setting.ini" (section: the title). 0 when the key
 * exists. */
YEL_API int YelDebugWindowCreate(int32_t key, const char* title, int32_t kind);
/* 0 when no page has the key. */
YEL_API int YelDebugWindowDelete(int32_t key);
YEL_API int YelDebugWindowDeleteLog(int32_t key);
/* Shown becomes hidden and back. */
YEL_API int YelDebugWindowToggleControl(int32_t key);
/* The debug state word (bit 0: only key 0 still prints); 0 without a debug window. Any thread
 * (atomic). */
YEL_API int32_t YelDebugWindowGetState(void);
YEL_API int YelDebugWindowSetState(int32_t state);
/* The page takes the array that *data_cell points to and its count of 32-bit values, shown once
 * a second and editable. The sound pages take the program's tables instead: 14 sixteen records
 * of 16 words, 15 two of 23 words, 19 eight of 23 words, each beginning with the channel's
 * handle; their rows describe the channels and are not edited. The main thread reads and writes
 * the arrays between frames under the render lock. Returns 0. */
YEL_API int YelDebugSetData(int32_t key, int32_t* const* data_cell, int32_t count);
/* Stop and restart redrawing of the debug window; YelBeginUpdate returns 0 when no page has the
 * key (1 outside debug mode), YelEndUpdate 1. Any thread. */
YEL_API int YelBeginUpdate(int32_t key);
YEL_API int YelEndUpdate(void);
/* Words shown in the status rows: the register count (two 16-bit halves), the frame base and
 * top (read through the pointers by the main thread), the save-thumbnail flag, the string
 * number. Any thread (atomic); each returns 0. */
YEL_API int YelDebugSetRegistryCount(uint32_t count);
YEL_API int YelDebugSetEBP(const int32_t* frame_base);
YEL_API int YelDebugSetESP(const int32_t* frame_top);
YEL_API int YelDebugSetSaveThumbnail(int32_t on);
YEL_API int YelDebugSetStringNo(int32_t number);
/* Do nothing; the second returns 0. */
YEL_API void YelSpriteDebugList(void);
YEL_API int YelSaveScreenShot(void);

/* ---- Files and archives ---------------------------------------------------------------- */

/* A name is looked up by its file-name part (folders dropped, ASCII letters upper-cased) in the
 * search folders, the folder added last first, each tried as a plain folder and then as the
 * archive "<folder>.pac"; at last in the base folder (YelGetFilePath). A name that starts with
 * "/" is looked for only in its own folder and that folder's archive. Names are CP932 bytes and
 * may separate folders with "\"; on disk each component is matched without regard to case. */

/* An opened plain file or archive entry. Close it with YelFileClose. */
typedef struct YelFile YelFile;

/* Where the data lies in the opened file: for a plain file (0, size, size), for an archive entry
 * its place in the archive. */
typedef struct YelFileEntry {
  uint32_t start; /* offset of the first byte */
  uint32_t end;   /* start + size */
  uint32_t size;  /* bytes of data */
} YelFileEntry;

/* Arguments of YelFileCreateEx. The file layer only reads: any other access or disposition is
 * refused. The share mode is accepted and not needed; the flags are read as a hint. */
#define YEL_GENERIC_READ 0x80000000u
#define YEL_FILE_SHARE_READ 0x1u
#define YEL_OPEN_EXISTING 3u
#define YEL_FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define YEL_FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u

/* Move methods of YelFileSetFilePointer and origins of YelFileSeek. */
#define YEL_FILE_BEGIN 0
#define YEL_FILE_CURRENT 1
#define YEL_FILE_END 2

/* Any thread: the search-folder list has its own lock, and a file handle belongs to the thread
 * that uses it (one thread at a time per handle). */

/* Creates the search-folder list (a list left from before is released); 1, or 0 without memory. */
YEL_API int YelSystemPathInit(void);
/* Puts a folder in front of the search folders: one that starts with "/" as it is, any other
 * under the base folder. 0 when there is no list or no memory, else 1. */
YEL_API int YelSystemPathSet(const char* folder);
/* Removes every search folder; 0 when there is no list. */
YEL_API int YelSystemPathClear(void);
/* Removes every search folder and ends the list; 0 when there is no list. */
YEL_API int YelSystemPathUninit(void);

/* Opens a file for reading, positioned at the start of its data, and fills `entry` (zeros when
 * nothing is found; `entry` may be null). Null when the file is found nowhere. */
YEL_API YelFile* YelFileCreateEx(const char* name, uint32_t access, uint32_t share_mode,
                                 uint32_t creation, uint32_t flags, YelFileEntry* entry);
/* YelFileCreateEx with read access, sequential reading. */
YEL_API YelFile* YelFileCreate(const char* name, YelFileEntry* entry);
/* Moves the position, counted like the entry's start and end (offsets in the opened file):
 * from the file's start, the current position or the file's end by the 64-bit distance
 * high:low. 1, or 0 (position unchanged) for a null file, a bad method or a negative result. */
YEL_API int YelFileSetFilePointer(YelFile* file, int32_t distance_low, int32_t distance_high,
                                  uint32_t unused, uint32_t method);
/* Moves the position counted from the data's start: from the data's start, the current position
 * or the data's end. The new position from the data's start, or -1 (position unchanged). */
YEL_API int64_t YelFileSeek(YelFile* file, int64_t offset, int32_t origin);
/* Reads up to `size` bytes of the data at the position; reads never go past the data's end (nor
 * return bytes from before its start). 1 with the count in `out_read` (0 at the end), or 0 on a
 * read error or a null file. */
YEL_API int YelFileRead(YelFile* file, void* buffer, uint32_t size, uint32_t* out_read);
/* The size of the data; 0 for a null file. */
YEL_API uint32_t YelFileGetSize(YelFile* file);
/* Closes the file; 0 for a null file. */
YEL_API int YelFileClose(YelFile* file);
/* The path of the file the search finds: the folder it was found in joined with the file-name
 * part (for an archive entry, the archive's folder path, not a file of its own). 1 when found
 * and the path and its terminating zero fit in `size` bytes, else 0. */
YEL_API int YelFileGetFullPath(char* buffer, uint32_t size, const char* name);

/* ---- Input ----------------------------------------------------------------------------- */

/* Key bits of the key words: 0 Esc, 1 Space, 2 Enter, 3 Ctrl, 4 Shift, 5 Alt, 6 Tab, 7-10 Up,
 * Down, Left, Right, 11-22 F1-F12, 23-25 left, right and middle mouse button, 26-30 Y, N, Z,
 * X, C. Window-event word: 1, 2, 4 left, right, middle double click; 8 window-mode switch
 * request. Joystick words: 0 up, 1 down, 2 left, 3 right, 4-13 buttons 0 to 9. */

/* Getters: any thread (atomic words made by the main thread's poll once per frame). Setters,
 * cancel and clears: any thread (atomic words). Cursor exports: any thread; the cursor's lock
 * guards the wanted image, and what needs the window is posted to the UI thread. Touch
 * exports: any thread (atomic words). */

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
/* 1 while the key or mouse button of a virtual key (the numbering of the os layer's key table:
 * letters and digits as their upper-case ASCII codes, 0x70 F1, ...) is down, as the window's key
 * and button messages last said, whatever frame the main thread is in; 0 when it is up or the
 * table does not know it. Any thread (atomic words). */
YEL_API int YelInputGetAsyncKey(uint32_t virtual_key);

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

/* ---- Sound channels ------------------------------------------------------------------- */

/* Sounds play on fixed channels in seven types: 0 type-0 streams (2 channels, handle prefix
 * 0x1), 1 voices (16, 0x3), 2 background voices (8, 0x7), 3 music streams (2, 0x2), 4 to 6 sound
 * effects (16, 0x4; 64, 0x5; 16, 0x6). A handle is its prefix in the top four bits and the
 * channel's index below; 0 is no sound, and a handle outside the groups is refused like 0.
 * Types 0 and 3 stream through the library's sound thread; the others are decoded whole at load.
 * Volumes run from 0 to 10000; pan from -10000 (left only) to 10000 (right only).
 *
 * Threads: every sound export may be called from any thread of the program (the UI, main and
 * work threads). Each takes the sound lock only for its own bookkeeping. The exports marked
 * "waits" then leave the lock and wait (up to about 100 s) until the sound thread has carried
 * out their command; they must not be called while the caller holds a lock the sound thread
 * could need (none of the library's own locks is one). */

typedef uint32_t YelSoundHandle;

/* Loop points of a type-3 stream, in bytes from the first data byte (WAVE) or of the decoded
 * 44100 Hz 16-bit stereo data (Ogg); taken when `use` is not 0. Points that do not lie inside
 * the data, or a stream or loop start at or after the end, refuse the load. */
typedef struct YelSoundLoopPoints {
  int32_t use;
  uint32_t stream_start;
  uint32_t loop_start;
  uint32_t end;
} YelSoundLoopPoints;

/* Loads a WAVE or (by the extension "ogg") Ogg Vorbis file found through the file layer into the
 * first free channel of the type's group (types 2 to 6 their own, any other type that of type 1,
 * the given type kept). 0 when the group is full ("[%d] channel all use" in the error log) or the
 * file is missing or damaged. The file is read on the caller's thread without the sound lock. */
YEL_API YelSoundHandle YelSoundLoad(const char* name, int32_t type,
                                    const YelSoundLoopPoints* points);
/* Type 4 only: YelSoundLoad, then every 16-bit sample times `gain` (above 0), clamped. */
YEL_API YelSoundHandle YelSoundLoadEx(const char* name, int32_t type,
                                      const YelSoundLoopPoints* points, float gain);
/* A type-0 stream file on a free type-0 channel. */
YEL_API YelSoundHandle YelSoundLoadVerEpeg(const char* name);
/* Type 3 only: holds the first free type-3 channel for the caller and returns its handle. */
YEL_API YelSoundHandle YelSoundLoadSetReserved(int32_t unused, int32_t type);
/* Type 3 and the handles 0x20000000, 0x20000001 only: sets the channel's reserved flag. */
YEL_API void YelSoundSetReserved(int32_t type, YelSoundHandle handle, int32_t value);
/* A free channel of the type's group playing the same loaded whole sound; 0 for streams. */
YEL_API YelSoundHandle YelSoundCopy(YelSoundHandle handle, int32_t type);

/* Playing. Each returns 1, or 0 for handle 0 or a channel with nothing loaded. */
/* Whole sounds start at once from their first byte; streams start with a 10 ms fade-in (waits;
 * 0 when the sound thread did not take the start). */
YEL_API int YelSoundPlay(YelSoundHandle handle, int32_t loop);
/* Starts with a fade-in over `fade_ms` (waits). */
YEL_API int YelSoundPlayFade(YelSoundHandle handle, int32_t loop, uint32_t fade_ms);
/* Stops (waits); 0 also when not playing. A stopped type-3 stream is released. */
YEL_API int YelSoundStop(YelSoundHandle handle);
/* Fades out over `fade_ms`, then stops (waits until the fade began); 1 at once when already
 * fading out and `fade_ms` is not 0; 0 when not playing. */
YEL_API int YelSoundStopFade(YelSoundHandle handle, uint32_t fade_ms);
/* Pauses (pause not 0, after a fade-out over `fade_ms`) or resumes (with a fade-in over
 * `fade_ms`), keeping the position; 0 when not playing or already in that state. No wait. */
YEL_API int YelSoundPause(YelSoundHandle handle, int32_t pause, uint32_t fade_ms);
/* Releases the channel (waits until it is free); a type-3 channel's reserved flag is cleared
 * first, also when nothing is loaded. */
YEL_API int YelSoundRelease(YelSoundHandle handle);
/* Releases every loaded channel of the type's group (types 1 to 6 their own, any other type that
 * of type 0; type 3 also clears both reserved flags); waits. */
YEL_API int YelSoundReleaseEx(int32_t type);

/* Volumes: a channel's loudness is type volume x channel volume / 10000, times the primary
 * volume / 10000, heard at 20 log10(loudness / 10000) dB. */
YEL_API int YelSoundSetPrimaryVolume(int32_t volume);
/* Sets a type's volume (clamped to 0..10000); 0 for a type outside 0..6. */
YEL_API int YelSoundSetVolume(int32_t volume, int32_t type);
YEL_API int YelSoundSetVolumeChannel(YelSoundHandle handle, int32_t volume);
/* The type's volume, also stored at `out`; -1 for a type outside 0..6 or a null `out`. */
YEL_API int32_t YelSoundGetVolume(int32_t* out, int32_t type);
YEL_API int32_t YelSoundGetPrimaryVolume(void);
/* The channel's volume; -1 when nothing is loaded, 0 for handle 0. */
YEL_API int32_t YelSoundGetVolumeChannel(YelSoundHandle handle);
YEL_API void YelSoundSetVolumeRatio(YelSoundHandle handle, float ratio);
/* Pan in hundredths of a decibel taken off the other side; 1, or 0 when nothing is loaded. */
YEL_API int YelSoundSetPanChannel(YelSoundHandle handle, int32_t pan);
/* Playback rate of a whole sound in Hz (0 its own rate); streams keep 44100 Hz. 1, or 0 when
 * nothing is loaded. */
YEL_API int YelSoundSetFreq(YelSoundHandle handle, uint32_t frequency);
YEL_API int YelSoundSetFraquencyChannel(YelSoundHandle handle, uint32_t frequency);
/* The playback rate, or -1 when nothing is loaded. */
YEL_API int32_t YelSoundGetFreq(YelSoundHandle handle);
/* Sets a stream's loop start and end (byte positions of its source). */
YEL_API int YelSoundSetStartEnd(YelSoundHandle handle, uint32_t loop_start, uint32_t end);

/* Queries. */
/* Fade state: 0 none, 1 fading in, 2 fading out; -1 when nothing is loaded; 0 for handle 0. */
YEL_API int32_t YelSoundGetState(YelSoundHandle handle);
/* 1 while the sound plays (type 3: while its playing flag is set). */
YEL_API int YelSoundPlayIs(YelSoundHandle handle);
/* Channels of the type's group neither loaded nor reserved (type 0's group for a type outside
 * 1..6). */
YEL_API int32_t YelSoundGetChannelCount(int32_t type);
/* The command word of type-3 channel 0 or 1 (0 for any other index). */
YEL_API int32_t YelSoundGetStatus(int32_t index);
/* 0 when type-3 channel 0 has a source open, else 1 when channel 1 has, else -1. */
YEL_API int32_t YelSoundGetNowChannel(void);
/* Parameter n of type-3 channel `index`: 0 stream start, 1 loop start, 2 end, 3 read position,
 * 4 buffer size, 5 ms since the last fade start, 6 play cursor (5 and 6: -1 when not playing),
 * 7 loaded, 8 playing, 9 loop, 10 Ogg, 11 stream ended, 12 paused, 13 command, 14 type, 15 fade
 * state, 16 fade time, 17 reserved, 18 reserved, loaded or playing, 19 1 when a source is open,
 * 20 fade start, 21 volume, 22 last play cursor, 23 stream position; 0 for any other. */
YEL_API int32_t YelSoundGetParam(int32_t index, int32_t n);
/* The same for any type's channel; 0 outside the groups. */
YEL_API int32_t YelSoundGetParamByType(int32_t type, int32_t index, int32_t n);

/* A speed kept for the program's voices: clamped to 0..200; returns the previous speed. */
YEL_API float YelSetVoiceSpeed(float speed);
YEL_API float YelGetVoiceSpeed(void);

/* ---- Screen transitions ---------------------------------------------------------------- */

/* The main thread inside the task walk, or any thread holding the render lock (the present
 * steps the transition under it). Starts transition `number` (1..49) over `duration` ms from the
 * last presented frame: 1 when started, or when nothing is to be done (effects off, number 0); 0
 * for another number or while a transition runs. A non-zero `skippable` lets a push of Space,
 * Enter or the left mouse button end it; a non-zero `wait` holds the tasks after the caller
 * until it ends. Only the main thread can read a GL frame: elsewhere the previous capture shows. */
YEL_API int YelEffectEx(int32_t number, int32_t duration, int32_t skippable, int32_t wait);
/* YelEffectEx, not skippable, waiting. */
YEL_API int YelEffect(int32_t number, int32_t duration);
/* Any thread (atomic flags). */
/* 1 while a screen transition runs. */
YEL_API int YelEffectIs(void);
/* Turns the screen effects on (non-zero) or off. */
YEL_API void YelEffectEnable(int32_t enabled);
/* 1 while the screen effects are on, else 0. */
YEL_API int YelEffectEnableIs(void);

/* ---- Render objects, render lock and present ------------------------------------------- */

/* Any thread; an object is freed only when no other thread uses it. */
YEL_API YelRender* YelRenderInit(void);
YEL_API void YelRenderUninit(YelRender* render);
/* Any thread (atomic pointer). */
YEL_API void YelRenderSetActive(YelRender* render);
YEL_API YelRender* YelRenderGetActive(void);
/* Any thread (render-list lock). */
YEL_API YelRenderNode* YelRenderInsert(YelRender* render, void* object, YelDrawFunc draw,
                                       int32_t priority);
YEL_API YelRenderNode* YelRenderInsertNext(YelRender* render, void* object, YelDrawFunc draw,
                                           int32_t priority, void* other_object);
YEL_API void YelRenderNodeSetPriority(YelRenderNode* node, int32_t priority);
/* Takes no lock: the main thread inside the task walk or a draw callback (present holds the
 * render-list lock), or a thread that holds the render-list lock. */
YEL_API int YelRenderRemove(YelRender* render, void* object);
/* Any thread (render-list lock). */
YEL_API int YelRenderRemoveLocked(YelRender* render, void* object);

/* Any thread. Enter and leave take and release the render lock (recursive, per thread); the
 * lock word of the others is advisory and atomic. */
YEL_API int YelRenderLockEnter(void);
YEL_API int YelRenderLockLeave(void);
YEL_API int YelRenderLock(void);
YEL_API int YelRenderUnlock(void);
YEL_API int YelRenderMainLock(int32_t value);
YEL_API int YelRenderLockWait(void);
YEL_API int YelRenderLockIsBusy(void);
YEL_API int32_t YelRenderGetState(void);

/* Any thread (render-list lock); drawing also needs the render lock, as present does. */
YEL_API void YelTargetRenderListClear(void);
YEL_API void YelTargetRenderListAdd(void* object);
YEL_API int YelTargetRenderListDraw(void);

/* ---- Sprites --------------------------------------------------------------------------- */

/* A sprite: one texture with a source rectangle, position, scale, rotation, colour and blend
 * mode, drawn through a node of a render list. Pixels are 0xAARRGGBB; angles are in 1/512 of a
 * full turn.
 *
 * Threads: sprites are made, changed and released by the main thread inside the task walk and
 * by the work thread (background loads), each holding the render lock (YelRenderLockEnter) while
 * it touches a sprite that is in a render list; present reads the sprites under the same lock.
 * The attribute exports take no lock of their own. The loaders (YelSpriteLoad,
 * YelSpriteInfoCreate) use the single scratch pool: one thread loads at a time. YelSpriteRelease
 * takes the render-list lock itself. A null sprite sets the last error to ERROR_INVALID_HANDLE (6)
 * and returns 0 unless said otherwise; success returns 1. */
typedef struct YelSprite YelSprite;

/* The caller-owned copy of a sprite's settable state: 368 bytes of 32-bit fields, no pointers.
 * Stored whole in snapshots, field by field in this order. */
typedef struct YelSpriteInfo {
  int32_t visible;
  uint32_t colour;
  float x, y, z;
  int32_t offset_x, offset_y;
  int32_t image_width, image_height;
  int32_t cell_width, cell_height;
  int32_t centre_x, centre_y; /* the negated values given to YelSpriteSetCenterOffset */
  int32_t priority;
  float scale_x, scale_y;
  float rotation_x, rotation_y, angle;
  int32_t render_mode;
  uint32_t layer;
  char file_name[260];
  int32_t texture_width, texture_height; /* filled by YelSpriteGetInfo, ignored when set */
  int32_t address_mode;
  float skew_x, skew_y;
  int32_t perspective;
} YelSpriteInfo;

#ifdef __cplusplus
static_assert(sizeof(YelSpriteInfo) == 368, "YelSpriteInfo is 368 bytes");
#else
_Static_assert(sizeof(YelSpriteInfo) == 368, "YelSpriteInfo is 368 bytes");
#endif

/* Makers: a new sprite is hidden, at its priority, with colour -1, scale 1 and render mode 1.
 * A null render or no memory: ERROR_INVALID_HANDLE and null; a texture or image that cannot be
 * made or decoded, or a file not found: null. */
YEL_API YelSprite* YelSpriteCreate(YelRender* render, int32_t width, int32_t height,
                                   int32_t priority);
/* An image file found by the file layer ("GE", delta, PNG, JPEG, BMP, TGA). */
YEL_API YelSprite* YelSpriteLoad(YelRender* render, const char* name, int32_t priority);
YEL_API YelSprite* YelSpriteLoadMemory(YelRender* render, const char* name, const void* bytes,
                                       uint32_t size, int32_t priority);
/* A record for size queries, without texture or render node; free it with YelMemoryFree. */
YEL_API YelSprite* YelSpriteInfoCreate(const char* name, int32_t width, int32_t height,
                                       int32_t priority);
/* Unlinks and frees the sprite; it is never freed while present draws it. */
YEL_API int YelSpriteRelease(YelRender* render, YelSprite* sprite);
/* Releases the non-null entries from the last down and clears every entry; 1 when every
 * release succeeded, 0 when one failed (or for a null array). */
YEL_API int YelSpriteReleaseArray(YelRender* render, YelSprite** sprites, int32_t count);

YEL_API int YelSpriteGetInfo(YelSprite* sprite, YelSpriteInfo* info);
/* Everything but the texture size; the render node is not re-sorted. */
YEL_API int YelSpriteSetInfo(YelSprite* sprite, const YelSpriteInfo* info);
YEL_API int32_t YelSpriteGetWidth(YelSprite* sprite);  /* the cell width */
YEL_API int32_t YelSpriteGetHeight(YelSprite* sprite); /* the cell height */
YEL_API int YelSpriteViewCtrl(YelSprite* sprite, int32_t visible);
YEL_API int YelSpriteViewIs(YelSprite* sprite);
YEL_API int YelSpriteSetColor(YelSprite* sprite, uint32_t colour);
/* Position; the node is sorted again to (z truncated) + priority. */
YEL_API int YelSpriteSetPos(YelSprite* sprite, float x, float y, float z);
YEL_API int YelSpriteMovePos(YelSprite* sprite, float dx, float dy, float dz);
YEL_API int YelSpriteSetOffsetPos(YelSprite* sprite, int32_t x, int32_t y);
YEL_API int YelSpriteMoveOffsetPos(YelSprite* sprite, int32_t dx, int32_t dy);
/* Priority; the node is sorted again to the priority alone. */
YEL_API int YelSpriteChangePriority(YelSprite* sprite, int32_t priority);
YEL_API int YelSpriteSetScale(YelSprite* sprite, float scale_x, float scale_y);
YEL_API int YelSpriteSetRotate(YelSprite* sprite, int32_t angle);
YEL_API int YelSpriteSetRotateFloat(YelSprite* sprite, float angle);
YEL_API int YelSpriteSetRotateEx(YelSprite* sprite, int32_t rotation_x, int32_t rotation_y,
                                 int32_t angle);
YEL_API int YelSpriteSetRotateExFloat(YelSprite* sprite, float rotation_x, float rotation_y,
                                      float angle);
/* Stores -x and -y as the pivot offset; a null sprite does nothing. */
YEL_API void YelSpriteSetCenterOffset(YelSprite* sprite, int32_t x, int32_t y);
/* Null resets the rectangle to the whole image. */
YEL_API int YelSpriteSetRect(YelSprite* sprite, const YelRect* rect);
YEL_API int YelSpriteGetRect(YelSprite* sprite, YelRect* rect);
YEL_API int YelSpriteSetOffsetRect(YelSprite* sprite, int32_t cell_width, int32_t cell_height);
/* The rectangle becomes the cell at (column, row); beyond the image, the last column or row. */
YEL_API int YelSpriteRectSetPos(YelSprite* sprite, int32_t column, int32_t row);
/* 1 alpha, 2 add, 3 multiply; other modes blend as 1 in the software renderer. */
YEL_API int YelSpriteSetRenderMode(YelSprite* sprite, int32_t mode);
YEL_API int YelSpriteSetLayer(YelSprite* sprite, uint32_t layer);
/* 1 repeats the texture outside the rectangle, other values clamp; a null sprite does nothing. */
YEL_API void YelSpriteSetAddressUV(YelSprite* sprite, int32_t mode);
/* 1 when the game point lies on the visible sprite's rectangle (scale and rotation not
 * considered) and, with the alpha test, on a pixel whose alpha is not 0. */
YEL_API int YelSpriteHit(YelSprite* sprite, int32_t x, int32_t y, int32_t alpha_test);
/* The hit sprite of the active render list with the smallest priority (the later one of equal
 * priorities), or null. */
YEL_API YelSprite* YelSpriteGetForeground(int32_t x, int32_t y, int32_t alpha_test);
/* Types 1 to 4 move the position for aspect mode 3 in full screen; otherwise nothing. */
YEL_API void YelSpriteConvertAspectPosition(YelSprite* sprite, int32_t type);

/* ---- Frame animations, buttons, number sprites and thumbnails ---------------------------- */

/* Threads: the main thread inside the task walk (or a thread holding the render lock); the
 * thumbnails between presents. A null handle returns 0 (-1 for the getters, null for makers). */

/* One entry of a caller-owned frame table: the source rectangle, how long it shows, and the
 * entry that follows (-1 stops on this one). */
typedef struct YelAnimationFrame {
  YelRect rect;
  uint32_t duration;
  int32_t next;
} YelAnimationFrame;

/* A task, first child of the current task, that steps the sprite through the equal cells of its
 * image: across for direction 1, down for 2, one cell every `interval` ms; null for a null
 * sprite or no task record. */
YEL_API YelTask* YelAnimation(YelSprite* sprite, int32_t direction, uint32_t interval);
/* The same through a frame table, which must outlive the animation. */
YEL_API YelTask* YelAnimationEx(YelSprite* sprite, const YelAnimationFrame* frames);
YEL_API int32_t YelAnimationGetTime(YelTask* animation);
YEL_API int YelAnimationSetTime(YelTask* animation, uint32_t interval);
/* Shows cell (0, 0) and starts the cell's time again. */
YEL_API int YelAnimationReset(YelTask* animation);
YEL_API int YelAnimationStart(YelTask* animation);
YEL_API int YelAnimationStop(YelTask* animation);
YEL_API int YelAnimationStartEx(YelTask* animation);
YEL_API int YelAnimationStopEx(YelTask* animation);
/* 1 once after the strip has wrapped back to its first cell. */
YEL_API int YelAnimationLoopIs(YelTask* animation);
/* The frame table's current index, -1 once it has stopped. */
YEL_API int32_t YelAnimationGetAnimationPoint(YelTask* animation);
YEL_API int YelAnimationResetEx(YelTask* animation, const YelAnimationFrame* frames);
/* Ends the animation's task (with its children). */
YEL_API int YelAnimationRelease(YelTask* animation);

typedef struct YelButton YelButton;
/* What a button did this frame: the sprite decided (its decide sound has finished), the sprite
 * under the mouse, and the sprite decided whose sound still plays. */
typedef struct YelButtonReaction {
  YelSprite* decided;
  YelSprite* hovered;
  YelSprite* processing;
} YelButtonReaction;

/* Item flags: 1 decides on a fresh push of the left mouse button, 2 (without 1) on a push or its
 * repeat, 4 leaves the sprite's cells alone, 8 plays no hover or decide sound, 0x10000 hit-tests
 * with alpha. An item shows cell row base for normal, base + 1 hovered, base + 2 pressed. */
/* The sound files (either may be null) are loaded as type-5 sounds; the hover sound gets four
 * copies so that quick hovers overlap. */
YEL_API YelButton* YelButtonCreate(const char* hover_sound, const char* decide_sound);
YEL_API YelButton* YelButtonCreateEx(YelSoundHandle hover_sound, YelSoundHandle decide_sound);
/* Frees the items and releases the button's sound channels. */
YEL_API int YelButtonRelease(YelButton* button);
YEL_API int YelButtonEntry(YelButton* button, YelSprite* sprite);
YEL_API int YelButtonEntryEx(YelButton* button, YelSprite* sprite, uint32_t flags);
YEL_API int YelButtonDelete(YelButton* button, YelSprite* sprite);
YEL_API int YelButtonCtrl(YelButton* button, YelSprite* sprite, int32_t enabled);
YEL_API int32_t YelButtonGetPos(YelButton* button, YelSprite* sprite);
YEL_API int YelButtonSetPos(YelButton* button, YelSprite* sprite, int32_t row);
/* The sprite of the topmost item at the point when that item is enabled, else null. */
YEL_API YelSprite* YelButtonGetHitSprite(YelButton* button, int32_t x, int32_t y);
YEL_API int YelButtonHitTest(YelButton* button, int32_t x, int32_t y);
/* Once a frame: reacts to the mouse and the keys; returns the decided sprite. */
YEL_API YelSprite* YelButtonGetReaction(YelButton* button, YelButtonReaction* out);
/* The same for a given point and click. */
YEL_API YelSprite* YelButtonGetReactionEx(YelButton* button, int32_t x, int32_t y, int32_t click,
                                          YelButtonReaction* out);
/* Decides the sprite as a click would, when nothing is being decided; returns 0. */
YEL_API int YelButtonSetReaction(YelButton* button, YelSprite* sprite);
YEL_API int YelButtonIsProcessing(YelButton* button);
/* Forgets the reactions and disables the sprite's item; 1 when it was found. */
YEL_API int YelButtonReset(YelButton* button, YelSprite* sprite);
/* 0: items decide when pushed; any other value: when released over the item they were pushed
 * on. Any thread (atomic). */
YEL_API void YelButtonMode(int32_t mode);

/* Number sprites: arrays of one sprite per digit place, index 0 the rightmost, loaded from one
 * strip of cells 0-9, plus (10), minus (11), and 12 and 13. Null entries are skipped with
 * ERROR_INVALID_HANDLE. Flags of YelNumberDraw: 1 the last place shows the sign, 2 every place of
 * the count is shown (leading zeros), 4 and 8 the last place shows cell 12 or 13. */
YEL_API void YelNumberCreate(YelRender* render, const char* name, YelSprite** sprites,
                             int32_t count, int32_t priority);
YEL_API void YelNumberSet(YelSprite** sprites, float x, float y, int32_t count);
YEL_API void YelNumberSetEx(YelSprite** sprites, float x, float y, float step, int32_t count);
/* Shows the value; returns the number of places shown (never more than count). */
YEL_API int32_t YelNumberDraw(YelSprite** sprites, int32_t value, int32_t count, uint32_t flags);
YEL_API void YelSameNumberDraw(YelSprite** sprites, int32_t count, int32_t cell);
YEL_API void YelNumberDrawCtrl(YelSprite** sprites, int32_t count, int32_t visible);
YEL_API void YelNumberAlphaType(YelSprite** sprites, int32_t count, uint32_t colour);
/* The number of decimal digits (1 for 0; the sign not counted). */
YEL_API int32_t YelNumberGetPlace(int32_t value);

/* Thumbnails: the last presented frame (game size) scaled into width x height pixels, or
 * pixelated in blocks of about `block` target pixels; the Ex forms scale a given image. 0 while
 * the platform does not run or the frame cannot be read. */
YEL_API int YelThumbnailCreate(uint32_t* target, uint32_t unused, int32_t width, int32_t height);
YEL_API int YelThumbnailCreateMosaic(uint32_t* target, uint32_t unused, int32_t width,
                                     int32_t height, int32_t block);
YEL_API int YelThumbnailCreateEx(uint32_t* target, int32_t width, int32_t height,
                                 const uint32_t* source, int32_t source_width,
                                 int32_t source_height);
YEL_API int YelThumbnailCreateMosaicEx(uint32_t* target, int32_t width, int32_t height,
                                       const uint32_t* source, int32_t source_width,
                                       int32_t source_height, int32_t block);
/* ---- Sprite textures, copies and text sprites ------------------------------------------- */

/* The caller holds the render lock (or owns a sprite no render list holds). Pixel exports set the
 * sprite's lock flag while they write, so present skips the sprite meanwhile. Rectangles of the
 * copies, blends, masks and deletes are cut to both textures; corners left of or above a buffer
 * move the rectangle's other corner along. A null sprite: ERROR_INVALID_HANDLE, 0 or null. */

typedef struct YelTexture YelTexture;

/* A decoded mask image: its size and its pixels, rows width pixels apart; the blue byte of each
 * pixel is the mask value. */
typedef struct YelMaskImage {
  int32_t width;
  int32_t height;
  const uint32_t* pixels;
} YelMaskImage;

/* The texture's pixels (rows *width pixels apart) and size; null for a null texture
 * (ERROR_INVALID_HANDLE) or one without pixels. The pixels stay in place while the texture
 * lives. */
YEL_API uint32_t* YelTextureLock(YelTexture* texture, int32_t* width, int32_t* height);
/* Sets the lock flag and returns the texture's pixels; YelSpriteUnlock marks them changed and
 * clears the flag (a null sprite: 0 without an error code). */
YEL_API uint32_t* YelSpriteLock(YelSprite* sprite, int32_t* width, int32_t* height);
YEL_API int YelSpriteUnlock(YelSprite* sprite);
/* Filter options: 1 sepia, 2 grey, 3 soften, 4 negative, 0x105 to 0x805 blurs of strength
 * code / 256 - 1 at half size. The first filter keeps a copy of the image's pixels, which 0 puts
 * back (0 and ERROR_INVALID_HANDLE when there is none). No memory for the copy: the pixels stay,
 * ERROR_ACCESS_DENIED and 0. Other codes change nothing. On the work thread the render lock is
 * left while the filter computes. */
YEL_API int YelSpriteSetOption(YelSprite* sprite, int32_t code);
/* Fills the texture, or the rectangle (right and bottom excluded), with the colour. */
YEL_API int YelSpritePaint(YelSprite* sprite, const YelRect* rect, uint32_t colour);
/* Copies width x height pixels into the texture's top-left corner (cut to the texture). */
YEL_API int YelSpriteSetBuffer(YelSprite* sprite, const uint32_t* pixels, int32_t width,
                               int32_t height);
/* The last composed frame into the texture; 0 when it does not fit. */
YEL_API int YelSpriteBackBafferCopy(YelSprite* sprite);
/* Save the texture as JPEG, 32-bit PNG or 24-bit PNG (colour darkened by alpha) at a plain path,
 * replacing the file whole; 1 on success, 0 when it could not be encoded or written. */
YEL_API int YelSpriteSaveTextureToFile(YelSprite* sprite, const char* name);
YEL_API int YelSpriteSaveTextureToPngFile(YelSprite* sprite, const char* name);
YEL_API int YelSpriteSaveTextureToPng24File(YelSprite* sprite, const char* name);
/* Replaces the texture with the image file at a plain path (no archives); the sprite's sizes
 * stay. 0 when the file cannot be read or decoded. */
YEL_API int YelSpriteLoadTextureToFile(YelSprite* sprite, const char* path);
/* Alpha of the rectangle times the mask value at the same offset from (mask_x, mask_y) / 256. */
YEL_API int YelSpriteMaskAlpha(YelSprite* sprite, int32_t x, int32_t y, int32_t width,
                               int32_t height, const YelMaskImage* mask, int32_t mask_x,
                               int32_t mask_y);
/* The source rectangle over the target, the target's alpha kept; width or height 0: 0. */
YEL_API int YelMixSpriteToSprite(YelSprite* target, int32_t x, int32_t y, int32_t width,
                                 int32_t height, YelSprite* source, int32_t source_x,
                                 int32_t source_y);
/* The same, composed with both alphas. */
YEL_API int YelMixSpriteToSpriteEx(YelSprite* target, int32_t x, int32_t y, int32_t width,
                                   int32_t height, YelSprite* source, int32_t source_x,
                                   int32_t source_y);
/* Whole pixels; width or height 0: 0. */
YEL_API int YelCopySpriteToSpriteRGB(YelSprite* target, int32_t x, int32_t y, YelSprite* source,
                                     int32_t source_x, int32_t source_y, int32_t width,
                                     int32_t height);
/* The same; the two words after y are not read. */
YEL_API int YelCopySpriteToSpriteRGBStr(YelSprite* target, int32_t x, int32_t y, int32_t unused1,
                                        int32_t unused2, YelSprite* source, int32_t source_x,
                                        int32_t source_y, int32_t width, int32_t height);
/* The source's cell from its rectangle's corner to the source's position in the target. */
YEL_API int YelCopySpriteToSpriteRectRGB(YelSprite* target, YelSprite* source);
/* One byte per pixel (0 blue, 1 green, 2 red, 3 alpha) from the source into the target. */
YEL_API int YelCopySpriteToSpriteChannel(YelSprite* target, int32_t x, int32_t y,
                                         int32_t target_channel, YelSprite* source,
                                         int32_t source_x, int32_t source_y, int32_t width,
                                         int32_t height, int32_t source_channel);
/* Pixels of the rectangle with alpha 0 become 0; the 255 form makes every other pixel opaque. */
YEL_API int YelSpriteDeleteNoAlpha(YelSprite* sprite, int32_t x, int32_t y, int32_t width,
                                   int32_t height);
YEL_API int YelSpriteDeleteNoAlpha255(YelSprite* sprite, int32_t x, int32_t y, int32_t width,
                                      int32_t height);
/* Blends a rectangle of an image file found by the file layer into the sprite at (x, y); 0 when
 * the file cannot be read or decoded, or (source_x, source_y) lies outside the image. */
YEL_API int YelCopyFileToSpriteRGB(YelSprite* sprite, int32_t x, int32_t y, const char* name,
                                   int32_t source_x, int32_t source_y, int32_t width,
                                   int32_t height);

/* Text sprites: the text may start with "<" and the tags "bkcolor=" (hexadecimal background
 * colour) and "size=" (font size for this call) up to ">". A new hidden sprite of the text's
 * measured size in the current font; null for a null render (ERROR_INVALID_HANDLE), when nothing
 * follows the tags or the texture cannot be made. */
YEL_API YelSprite* YelSpriteCreateText(YelRender* render, const char* text, int32_t priority,
                                       uint32_t colour);
/* Draws the text into the sprite's texture at (x, y) and sets the sprite's colour; the
 * background tag is read and not used. 0 when nothing follows the tags. */
YEL_API int YelSpriteCreateTextEx(YelSprite* sprite, const char* text, int32_t x, int32_t y,
                                  uint32_t colour);
/* A new hidden sprite whose texture is the source rectangle (cut to the source texture) scaled
 * bilinearly to the target rectangle's size, at the source's position; null for a null render or
 * source, a rectangle without area (ERROR_INVALID_HANDLE) or no texture. */
YEL_API YelSprite* YelSpriteCopy(YelRender* render, YelSprite* source, const YelRect* source_rect,
                                 const YelRect* target_rect, int32_t priority);

/* ---- Glyph fonts and text drawing ------------------------------------------------------- */

/* The font state is process-wide with a lock of its own; text is drawn by the thread that holds
 * the render lock. Types: 0 gothic, 1 mincho (bold), 2 proportional gothic, 3 proportional
 * mincho (installed faces standing for them), 4 the loaded font set nearest the size; any other
 * type draws as 0. Effects: 0 plain, 1 one-pixel outline, 2 drop shadow, 3 two-pixel outline;
 * others draw nothing but advance. Texts are CP932: "\" makes the next character literal,
 * "%n" draws icon n of the icon sheet, "<br>" or "<BR>", LF and CR break the line, other tags
 * are skipped. */

/* The last character cell YelFontDrawText drew or spaced, and its width. */
typedef struct YelFontDrawnCell {
  YelRect rect;
  int32_t width;
} YelFontDrawnCell;

/* Makes the font of the current type and size; 1. */
YEL_API int YelFontBegin(void);
YEL_API void YelFontEnd(void);
/* Draws the text with its upper-left corner at (x, y) into width x height pixels (rows width
 * apart), cut to them; begins and ends the font itself when not begun. 1, or 0 for a null
 * buffer or text or an empty buffer. */
YEL_API int YelFontDrawText(uint32_t* pixels, const char* text, int32_t x, int32_t y,
                            int32_t width, int32_t height);
/* Width and height of the text into out_size[0] and out_size[1]; an empty text gives 3 and the
 * line height + 2. 1, or 0 for a null argument. */
YEL_API int YelFontGetSize(const char* text, int32_t* out_size);
/* The offset of the glyph body right of and below the pen: 1 for effects 0 to 2, 2 for 3. Any
 * thread. */
YEL_API int32_t YelDrawTextStepX(int32_t effect);
YEL_API int32_t YelFontGetDrawTextRect(YelFontDrawnCell* out);
YEL_API int YelFontHasDrawTextRect(void);
YEL_API void YelFontSetColor(uint32_t text_colour, uint32_t effect_colour);
YEL_API void YelFontGetColor(uint32_t* text_colour, uint32_t* effect_colour);
YEL_API void YelFontSetEffect(int32_t effect);
YEL_API int32_t YelFontGetEffect(void);
YEL_API void YelFontSetFontSize(int32_t size);
YEL_API int32_t YelFontGetFontSize(void);
/* 0 for type 4 while no font set is loaded, else 1. */
YEL_API int YelFontSetType(int32_t type);
YEL_API int32_t YelFontGetType(void);
/* Loads a font set found by the file layer and makes it current; 1 (also when one of that name
 * is loaded), 0 when the file is missing or damaged. */
YEL_API int YelFontOrgSetLoad(const char* name);
YEL_API int YelFontLoad(const char* name);
YEL_API void YelFontUnload(void);
/* Loads the icon sheet (an 8-bit TGA image of square icons side by side), replacing the one
 * loaded before; 0 when the file is missing or too short. */
YEL_API int YelExFontLoad(const char* name);
YEL_API void YelExFontUnload(void);

/* ---- Image filters ---------------------------------------------------------------------- */

/* The caller holds the render lock. The three blurs copy the source's cell area out, leave the
 * render lock while they compute when called on the work thread, and take it again before they
 * write the target's cell area. Target and source must have the same positive cell size, lying
 * inside both textures; otherwise, for a null sprite (ERROR_INVALID_HANDLE), a texture that
 * cannot be locked or no memory the result is 0 and nothing changes; success is 1. */

/* Passes of a box of 2 x radius_x + 1 along the rows, then 2 x radius_y + 1 along the columns. */
YEL_API int YelBoxBlurFilter(YelSprite* target, YelSprite* source, int32_t radius_x,
                             int32_t radius_y, int32_t passes);
/* The 16-tap weighted blur of strength 0 to 7 (other strengths: 0). */
YEL_API int YelGaussianBlurFilter(YelSprite* target, YelSprite* source, int32_t strength);
/* 2 x length x steps samples along the angle (radians) through each pixel. */
YEL_API int YelMotionBlurFilter(YelSprite* target, YelSprite* source, int32_t length,
                                double angle, int32_t steps);
/* The source tinted by its own colour word times amount / 255; amount 0, or a tint without
 * alpha, clears the target's cell area. */
YEL_API int YelAlphaCopyFilter(YelSprite* target, YelSprite* source, int32_t amount);
/* Scales the whole source texture onto the whole target texture: mode 0 nearest, 1 bilinear over
 * single bytes, 2 bilinear; equal sizes copy. 1, or 0 for a null sprite or a texture without
 * pixels. */
YEL_API int StretchImage(YelSprite* target, YelSprite* source, int32_t mode);
/* The pixel at (x, y) of the cell area, 0 outside it. */
YEL_API uint32_t YelGetPixel(YelSprite* sprite, int32_t x, int32_t y);
/* Writes the pixel when (x, y) lies inside the cell area. */
YEL_API void YelSetPixel(YelSprite* sprite, int32_t x, int32_t y, uint32_t pixel);
/* ---- Movie sprites --------------------------------------------------------------------- */

/* A movie sprite is a sprite whose texture receives the pictures of a movie (MPEG-1, or any
 * movie the codec libraries read) as it plays, read through the file layer (folders and ".pac"
 * archives alike); its sound plays as sound type 4. Pictures are written by the movie's own
 * decode thread while the sprite's lock flag is raised; its draw skips such a frame.
 *
 * Threads: like the other sprite exports, the main thread inside the task walk or a thread that
 * holds the render lock. A null sprite sets the last error to ERROR_INVALID_HANDLE and returns
 * 0. State word: 1 playing, 2 stopped, 4 played to its end (with 2): 0 after the load, 1 after a
 * run, 2 after a stop or a failed run, 6 after an end without looping. */

/* Loads a movie into a new hidden sprite of its picture size, linked at the priority; null for
 * a null render object, a missing or damaged file (logged to the error log) or no texture. */
YEL_API YelSprite* YelMSpriteLoad(YelRender* render, const char* name, int32_t priority);
/* A record for size queries of the movie's picture size (the given size for a null name);
 * null when the movie cannot be opened. Free it with YelMemoryFree. */
YEL_API YelSprite* YelMSpriteInfoCreate(const char* name, int32_t width, int32_t height,
                                        int32_t priority);
/* Stores the loop flag and plays from the current position; 1 when it runs. At its end a
 * looping movie plays again from its loop start, any other stops with state 6 and keeps its
 * last picture. */
YEL_API int YelMSpritePlay(YelSprite* sprite, int32_t loop);
YEL_API int YelMSpriteStop(YelSprite* sprite);
/* 1; a movie does not pause. */
YEL_API int YelMSpritePause(YelSprite* sprite);
YEL_API int YelMSpriteSetLoop(YelSprite* sprite, int32_t loop);
/* Loop start and (when not 0) loop end in milliseconds, taken at the next loop. */
YEL_API int YelMSpriteSetLoopPoint(YelSprite* sprite, int32_t start_ms, int32_t end_ms);
YEL_API uint32_t YelMSpriteGetState(YelSprite* sprite);
/* 1 when the loop flag is set. */
YEL_API int YelMSpriteIsLoop(YelSprite* sprite);
/* 1 for a movie sprite, else 0. */
YEL_API int YelMSpriteCheck(YelSprite* sprite);
/* Set and clear the movie's lock word, which nothing else reads. */
YEL_API int YelMSpriteLock(YelSprite* sprite);
YEL_API int YelMSpriteUnlock(YelSprite* sprite);
/* Sound volume 0..100, weighted by the type-4 and primary volumes (Ex: by the primary volume
 * alone); 0 for a movie without sound. */
YEL_API int YelMSpriteSetVolume(YelSprite* sprite, int32_t volume);
YEL_API int YelMSpriteSetVolumeEx(YelSprite* sprite, int32_t volume);

/* ---- Full-screen video ------------------------------------------------------------------ */

/* Plays a ".mpg" (or, when YelInitParam.video_flag is set, ".wmv") movie over the whole game
 * area; 1 when it started. While it plays IsMovie is 1, present shows only the movie, and the
 * skip keys end it: Esc or the right button (skip mode 0), also Space, Enter and the left button
 * (skip mode not 0); with the screen effects on, picture and sound first fade out over 1000 ms.
 * Main thread. */
YEL_API int YelVideoPlay(const char* name, int32_t skip_mode);
/* How the video's loudness is taken from the sound-type volumes 3 (M) and 0 (B): 0 M, 1 B,
 * 2 M x B / 10000, 3 M - B. Any thread (atomic). */
YEL_API void YelSetVideoVolumeType(int32_t type);
/* Copy the fade state to and from a second set. Any thread (the video lock). */
YEL_API void YelVideoSaveState(void);
YEL_API void YelVideoRestoreState(void);

/* ---- Sprite transitions and FX effects -------------------------------------------------- */

/* Main thread inside the task walk (the render lock held); the transitions and effects are
 * stepped on the frame clock and drawn by render nodes of their own in present. */

/* A cross-fade from an outgoing to an incoming sprite, drawn in their place by a node of its
 * own. States: 0 none, 1 running, 2 finished (the final picture stays until it is cancelled). */
typedef struct YelTransition YelTransition;

/* A handle in state 0; no memory: ERROR_ACCESS_DENIED (5) and null. */
YEL_API YelTransition* YelSpriteCreateTransitionHandle(void);
/* Starts a transition of `kind` (only 1, the cross-fade, is drawn) at `start` (the frame clock)
 * over `duration` ms, cancelling the handle's running one first. Either sprite may be null, not
 * both: then ERROR_INVALID_FUNCTION (1) and 0 with the handle unchanged; the same sprite given
 * twice counts as the incoming one alone. A null handle: ERROR_INVALID_HANDLE (6), 0. */
YEL_API int YelSpriteSetTransition(YelRender* render, YelSprite* incoming, YelSprite* outgoing,
                                   int32_t kind, uint32_t start, uint32_t duration,
                                   YelTransition* transition);
/* The state by the frame clock now: a running transition whose time has passed reads 2 whether
 * or not a frame has drawn it. 3 for a null handle. */
YEL_API int32_t YelSpriteGetTransitionState(YelTransition* transition);
/* Ends the transition: the incoming sprite draws itself again, the outgoing one is released, the
 * node goes and the handle returns to state 0. A null or unstarted handle: ERROR_INVALID_HANDLE,
 * 0. */
YEL_API int YelSpriteCancelTransition(YelTransition* transition);
/* Cancels a started transition and frees the handle; null: ERROR_INVALID_HANDLE, 0. */
YEL_API int YelSpriteReleaseTransitionHandle(YelTransition* transition);

/* FX type 0, the raster wave: rows swing sideways and columns up and down along a sine that
 * runs through its cycle every `period` ms (0 holds it still); an amplitude of 1 swings by about
 * a tenth of the game area (x sideways, y up and down). */
typedef struct YelFxRasterParam {
  uint32_t period;
  float amplitude_x;
  float amplitude_y;
} YelFxRasterParam;

#ifdef __cplusplus
static_assert(sizeof(YelFxRasterParam) == 12, "YelFxRasterParam is 12 bytes");
#else
_Static_assert(sizeof(YelFxRasterParam) == 12, "YelFxRasterParam is 12 bytes");
#endif

/* An FX effect on a sprite or on the whole screen, drawn while the screen effects are on.
 * `target` points at a word: the sprite handle (a record whose first word is the sprite), or,
 * with the flag 0x10000000 in `flags`, the draw priority of the screen effect's node in the
 * active render list. The low 28 bits of `flags` are the type (only 0). Operations: 1 starts
 * the effect growing in over `duration` ms with a copy of `params` (a YelFxRasterParam), then
 * cycling; 2 fades it out over `duration` ms, after which its state is 0; 0 stops it at once.
 * 1, or 0 when the target is missing, a start finds the effect running (or the screen node
 * there), the type is unknown, the parameters are missing or memory runs out. */
YEL_API int YelSetFxEffect(void* target, uint32_t flags, int32_t operation, uint32_t duration,
                           const void* params);
YEL_API int YelSpriteSetFxEffect(YelSprite* sprite, int32_t type, int32_t operation,
                                 uint32_t duration, const void* params);
/* 0 none, 1 running, 2 fading out; 0 for a sprite without an effect. Only the screen flag of
 * `flags` is read. */
YEL_API int32_t YelGetFxEffectState(const void* target, uint32_t flags);
YEL_API int32_t YelSpriteGetFxEffectState(YelSprite* sprite);
/* Frees the effect: the screen's, with its node, or the sprite's; 0 when the target or the
 * sprite's effect is missing. */
YEL_API int YelReleaseFxEffect(void* target, uint32_t flags);

#ifdef __cplusplus
}
#endif

#endif /* YEL_YEL_H_ */
