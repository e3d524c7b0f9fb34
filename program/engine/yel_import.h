// The platform library as the main program reaches it: the library is loaded from
// "dll/libyel.so" beside the program, and each export is bound by name on its first use.
// Call the exports through this namespace: yel::YelInit(&param).
#pragma once

#include <atomic>
#include <utility>

#include "YEL/yel.h"

namespace yel {

// Loads the library; false (after the "DLL NOT FOUND" box) when it cannot be loaded.
bool LoadLibrary();
// The address of an export; a missing one ends the program with its name in a box.
void* BindExport(const char* name);

template <typename Fn>
class Import {
 public:
  constexpr explicit Import(const char* name) : name_(name) {}

  template <typename... Args>
  decltype(auto) operator()(Args&&... args) const {
    return Bound()(std::forward<Args>(args)...);
  }

 private:
  Fn* Bound() const {
    Fn* fn = fn_.load(std::memory_order_acquire);
    if (!fn) {
      fn = reinterpret_cast<Fn*>(BindExport(name_));
      fn_.store(fn, std::memory_order_release);
    }
    return fn;
  }

  const char* name_;
  mutable std::atomic<Fn*> fn_{nullptr};
};

// The printf-format checks of the declarations do not carry over to the bound pointers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#define YEL_IMPORT(name) inline Import<decltype(::name)> name{#name}

YEL_IMPORT(YelDefaultCreate);
YEL_IMPORT(YelInit);
YEL_IMPORT(YelRun);
YEL_IMPORT(YelEnd);
YEL_IMPORT(YelUninit);
YEL_IMPORT(YelAttachProcess);
YEL_IMPORT(YelAttachWorkProcess);
YEL_IMPORT(YelTaskCreate);
YEL_IMPORT(YelTaskFree);
YEL_IMPORT(YelTaskChangeNext);
YEL_IMPORT(YelTaskGetTaskData);
YEL_IMPORT(YelTaskSetTaskData);
YEL_IMPORT(YelMemoryAlloc);
YEL_IMPORT(YelMemoryFree);
YEL_IMPORT(YelDebugPrintf);
YEL_IMPORT(YelErrorLogPrintf);

#undef YEL_IMPORT
#pragma GCC diagnostic pop

}  // namespace yel
