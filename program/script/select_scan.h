// The item list of a choice: `select` runs the code that follows its own call instruction itself,
// up to `end_select`. Between the calls the list holds plain instructions (the pushes of each
// item's arguments); each `select_item` call hands its arguments to the choice code.
#pragma once

#include <cstdint>
#include <functional>

namespace adv {

struct AdvContext;

inline constexpr uint32_t kSelectItemCode = 0x060002;
inline constexpr uint32_t kEndSelectCode = 0x060003;

// Runs the list from the program counter. At each `select_item` call `add_item` runs with the
// item's arguments on the value stack; when it gives false the list ends there with 0 (the item
// code has logged why). At `end_select` the program counter is moved back onto its
// call (unless a forced skip runs), so that it runs next as an ordinary command, and the result
// is 1. A call of any other command, a word that is no instruction, or a list that runs out of the
// code (or loops longer than the code is long) logs "[%d]select命令の形式に誤りがあります。" and
// gives 0.
int SelectRunItemList(AdvContext& context, const std::function<bool(AdvContext&)>& add_item);

}  // namespace adv
