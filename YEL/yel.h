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
/* Any thread; what they return is used under the render lock. */
YEL_API YelCore* YelGetCore(void);
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

/* Any thread (atomic flags). */
/* 1 while a screen transition runs. */
YEL_API int YelEffectIs(void);
/* Turns the screen effects on (non-zero) or off. */
YEL_API void YelEffectEnable(int32_t enabled);

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

/* Pixels. The texture's own pixel lock is taken for the call, so any thread may call these;
 * YelSpriteLoadTextureToFile replaces the texture and needs the render lock besides. */
/* Fills the rectangle (null: the whole texture), cut to the texture, with an ARGB colour. */
YEL_API int YelSpritePaint(YelSprite* sprite, const YelRect* rect, uint32_t colour);
/* The ARGB pixel at (x, y) of the texture; 0 outside it or for a sprite without pixels. */
YEL_API uint32_t YelGetPixel(YelSprite* sprite, int32_t x, int32_t y);
/* Write the texture to a file of the local file system (a UTF-8 path): JPEG, 32-bit PNG, 24-bit
 * PNG. 0 when the sprite has no pixels, encoding fails or the file cannot be written. */
YEL_API int YelSpriteSaveTextureToFile(YelSprite* sprite, const char* path);
YEL_API int YelSpriteSaveTextureToPngFile(YelSprite* sprite, const char* path);
YEL_API int YelSpriteSaveTextureToPng24File(YelSprite* sprite, const char* path);
/* Copies the last drawn frame (game size) into the texture's top-left corner; 0 when the
 * texture is smaller than the frame. Render lock. */
YEL_API int YelSpriteBackBafferCopy(YelSprite* sprite);
/* Replaces the texture by the image (PNG, JPEG, BMP, TGA or the engine's format) of a file of
 * the local file system; the source rectangle becomes the whole new image. 1 on success. */
YEL_API int YelSpriteLoadTextureToFile(YelSprite* sprite, const char* path);

#ifdef __cplusplus
}
#endif

#endif /* YEL_YEL_H_ */
