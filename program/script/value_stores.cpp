// The value stack, the variables, the memory stack and the display-queue appender.
#include "program/script/value_stores.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"

namespace adv {

int32_t ValueStackPop(AdvContext& context) {
  ValueStores& v = context.values;
  if (v.value_count <= 0) {
    AdvDebugPrint(kLogError, "not stack");
    return 0;
  }
  --v.value_count;
  if (v.value_count >= kValueStackSize) {
    AdvDebugPrint(kLogError, "[%d]value stack count out of range %d", context.script.pc,
                  v.value_count + 1);
    return 0;
  }
  return v.value_stack[v.value_count];
}

void ValueStackPush(AdvContext& context, int32_t value) {
  ValueStores& v = context.values;
  if (v.value_count >= kValueStackSize) {
    AdvDebugPrint(kLogError, "stack over");
    return;
  }
  if (v.value_count < 0) {
    AdvDebugPrint(kLogError, "[%d]value stack count out of range %d", context.script.pc,
                  v.value_count);
    return;
  }
  v.value_stack[v.value_count++] = value;
  if (v.value_count == kValueStackSize) AdvDebugPrint(kLogError, "stack over");
}

int32_t* VariableAt(AdvContext& context, uint32_t n) {
  if (n < static_cast<uint32_t>(kVariableCount)) return &context.values.variables[n];
  AdvDebugPrint(kLogError, "[%d]variable number out of range %u", context.script.pc, n);
  return nullptr;
}

void SetCommandResult(AdvContext& context, int32_t value) {
  if (int32_t* cell = VariableAt(context, static_cast<uint32_t>(context.values.result_index))) {
    *cell = value;
  }
}

void MemoryStackPush(AdvContext& context) {
  ValueStores& v = context.values;
  if (v.memory_stack_depth < 0 || v.memory_stack_depth >= kMemoryStackLevels) {
    AdvDebugPrint(kLogError, "push memory stack over");
    return;
  }
  std::memcpy(v.memory_stack[v.memory_stack_depth].data(), v.temp_memory.data(),
              sizeof(v.memory_stack[0]));
  ++v.memory_stack_depth;
}

void MemoryStackPop(AdvContext& context) {
  ValueStores& v = context.values;
  if (v.memory_stack_depth <= 0 || v.memory_stack_depth > kMemoryStackLevels) {
    AdvDebugPrint(kLogError, "pop memory stack none");
    return;
  }
  auto& level = v.memory_stack[--v.memory_stack_depth];
  std::memcpy(v.temp_memory.data(), level.data(), sizeof(level));
  level.fill(0);
}

int DisplayQueueAppend(AdvContext& context, const DisplayOp& operation) {
  auto* copy = static_cast<DisplayOp*>(yel::YelMemoryAlloc(sizeof(DisplayOp), 1));
  if (copy) {
    *copy = operation;
    if (yel::YelListPushLast(context.display_queue, reinterpret_cast<uintptr_t>(copy),
                             kListDisplayOp)) {
      return 1;
    }
    yel::YelMemoryFree(copy);
  }
  AdvErrorLog("メモリ不足発生 : code[0x%08X]", operation.code);
  return 0;
}

}  // namespace adv
