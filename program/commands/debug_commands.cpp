// Command group 0x0F: the debug output and window, the interpreter's stack and frame registers,
// and two commands that also matter outside debug mode: a message box, and set_window_text,
// which marks a scene start with a save point.
#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <string>

#include "os/encoding.h"
#include "os/message_box.h"
#include "program/commands/system_commands.h"
#include "program/game/adv_context.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr int32_t kLogOutput = 16;
constexpr size_t kTextBufferSize = 520;
constexpr size_t kTitleBufferSize = 260;

// A text argument resolved into a buffer of `Size` bytes; the text starts at byte 4.
template <size_t Size>
std::string ResolvedText(AdvContext& context, uint32_t reference) {
  std::array<uint8_t, Size> entry{};
  AdvGetString(context, entry.data(), entry.size(), reference);
  const char* text = reinterpret_cast<const char*>(entry.data() + 4);
  return std::string(text, strnlen(text, entry.size() - 4));
}

// The text is data: it is printed as it is, "%" and all.
int CmdDebugText(AdvContext& context) {
  const uint32_t reference = static_cast<uint32_t>(PopArg(context));
  AdvDebugPrint(kLogTrace, "debug_text  0x%08X", reference);
  if (!yel::YelDebugIs()) return 1;
  AdvDebugPrint(kLogOutput, "%s", ResolvedText<kTextBufferSize>(context, reference).c_str());
  return 1;
}

int CmdMessagebox(AdvContext& context) {
  const uint32_t reference = static_cast<uint32_t>(PopArg(context));
  const std::string text = ResolvedText<kTextBufferSize>(context, reference);
  AdvDebugPrint(kLogTrace, "messagebox  %s", text.c_str());
  os::ShowMessageBox(os::Cp932ToUtf8(text), "messagebox", os::BoxButtons::kOk);
  return 1;
}

// The title part runs in debug mode only; the save point is taken in every mode.
int CmdSetWindowText(AdvContext& context) {
  const uint32_t reference = static_cast<uint32_t>(PopArg(context));
  const int32_t mode = PopArg(context);
  if (yel::YelDebugIs()) {
    const std::string& product = Startup().product_name;
    std::string title = product;
    if (reference != kNoReference) {
      const std::string text = ResolvedText<kTitleBufferSize>(context, reference);
      std::array<char, kTitleBufferSize> expanded{};
      AdvTextExpand(context, expanded.data(), expanded.size(), text.c_str());
      const int32_t blocks = yel::YelGetAllocCount();
      AdvDebugPrint(kLogOutput, "-- %s -- / mem_cnt=%d", expanded.data(), blocks);
      AdvDebugPrint(kLogError, "-- %s -- / mem_cnt=%d", expanded.data(), blocks);
      title = mode == 1 ? std::string(expanded.data()) : product + " - " + expanded.data();
      if (title.size() >= kTitleBufferSize) title.resize(kTitleBufferSize - 1);
    }
    SetWindowTitle(title.c_str());
    AdvDebugPrint(kLogTrace, "set_window_text %s", title.c_str());
  }
  context.skip.skip_latch_on = 0;
  context.skip.skip_latch_bits = 0;
  TakeSavePoint(context, context.script.pc);
  HistorySnapshotSave(context);
  return 1;
}

int CmdDebugAllFilesSeen(AdvContext& context) {
  AdvDebugPrint(kLogTrace, "debug_all_files_seen");
  if (context.task_data) {
    for (uint8_t& byte : context.task_data->system.file_state_map) byte = 0xFF;
  }
  return 1;
}

int CmdDebugTextFormat(AdvContext& context) {
  const uint32_t format_reference = static_cast<uint32_t>(PopArg(context));
  const std::array<int32_t, 7> values = PopArgs<7>(context);
  if (!yel::YelDebugIs()) return 1;
  const std::string text = AdvDebugOutputText(context, format_reference, values);
  AdvDebugPrint(kLogOutput, "%s", text.c_str());
  return 1;
}

int CmdDebugWindowState(AdvContext& context) {
  const int32_t state = PopArg(context);
  const int32_t previous = yel::YelDebugWindowGetState();
  AdvDebugPrint(kLogTrace, "debug_window_state  %d", state);
  yel::YelDebugWindowSetState(state);
  SetCommandResult(context, previous);
  return 1;
}

int CmdGetDebugWindowState(AdvContext& context) {
  SetCommandResult(context, yel::YelDebugWindowGetState());
  return 1;
}

int CmdGetEbp(AdvContext& context) {
  SetCommandResult(context, context.values.frame_base);
  return 1;
}

int CmdGetStackCount(AdvContext& context) {
  SetCommandResult(context, context.values.value_count);
  return 1;
}

// A count outside the stack is held to it, so later pushes and pops stay inside.
int CmdSetStackPoint(AdvContext& context) {
  const int32_t count = PopArg(context);
  AdvDebugPrint(kLogTrace, "set_stack_point  %d", count);
  if (count < 0 || count > kValueStackSize) {
    AdvDebugPrint(kLogError, "[%d]set_stack_point: %d is outside the stack", context.script.pc,
                  count);
  }
  context.values.value_count = std::clamp(count, 0, kValueStackSize);
  return 1;
}

int CmdSetEbp(AdvContext& context) {
  context.values.frame_base = PopArg(context);
  AdvDebugPrint(kLogTrace, "set_ebp  %d", context.values.frame_base);
  return 1;
}

void LogReturnRecords(AdvContext& context) {
  if (!context.display_queue) return;
  const int32_t count = yel::YelListGetDataCount(context.display_queue, kListReturnPoint);
  int32_t position = 0;
  for (const YelListNode* node = context.display_queue->next; node; node = node->next) {
    if (node->id != kListReturnPoint) continue;
    const auto* entry = reinterpret_cast<const DataEntry*>(node->data);
    AdvDebugPrint(kLogTrace, "ret stack %08x %d/%d", entry ? entry->offset : 0, ++position, count);
  }
}

int CmdDebugBreak(AdvContext& context) {
  const ValueStores& v = context.values;
  const int32_t count = std::clamp(v.value_count, 0, kValueStackSize);
  AdvDebugPrint(kLogTrace, "-- debug_break --");
  AdvDebugPrint(kLogTrace, "scrpt point: 0x%X", context.script.pc);
  AdvDebugPrint(kLogTrace, "stack point: 0x%X (%d / MAX 64)", v.value_count, v.value_count);
  AdvDebugPrint(kLogTrace, "ebp : 0x%08X (%d)", v.frame_base, v.frame_base);
  AdvDebugPrint(kLogTrace, "btn dwInvalidTime=%d", context.buttons.input_block.duration);
  for (int32_t i = 0; i < kSystemButtonCount; ++i) {
    const SystemButton& button = context.buttons.system_buttons[static_cast<size_t>(i)];
    AdvDebugPrint(kLogTrace, "btn [%d] bInit=%d / bEnable=%d", i, button.init, button.enabled);
  }
  for (int32_t slot = count - 1; slot >= 0; --slot) {
    const int32_t value = v.value_stack[static_cast<size_t>(slot)];
    AdvDebugPrint(kLogTrace, "stack -- %d[%d (0x%08X)] --", slot, value, value);
  }
  LogReturnRecords(context);
  AdvDebugPrint(kLogTrace, "-----------------");
  return 1;
}

int CmdDebugNop(AdvContext&) {
  return 1;
}

constexpr CommandHandler kDebugCommands[] = {
    CmdDebugText,            // 0x0F0000 debug_text
    CmdMessagebox,           // 0x0F0001 messagebox
    CmdSetWindowText,        // 0x0F0002 set_window_text
    CmdDebugAllFilesSeen,    // 0x0F0003 debug_all_files_seen
    CmdDebugTextFormat,      // 0x0F0004 debug_text_format
    CmdDebugWindowState,     // 0x0F0005 debug_window_state
    CmdGetDebugWindowState,  // 0x0F0006 get_debug_window_state
    CmdGetEbp,               // 0x0F0007 get_ebp
    CmdGetStackCount,        // 0x0F0008 get_stack_point
    CmdSetStackPoint,        // 0x0F0009 set_stack_point
    CmdDebugBreak,           // 0x0F000A debug_break
    CmdSetEbp,               // 0x0F000B set_ebp
    CmdGetStackCount,        // 0x0F000C get_stack_count
    CmdDebugNop,             // 0x0F000D debug_nop
};

}  // namespace

const CommandHandlers kCmdGroupDebugHandlers = {kDebugCommands, std::size(kDebugCommands)};

}  // namespace adv
