// The script's memory blocks: any number of blocks named by 32-bit ids, each a zero-filled byte
// area the script reads and writes at byte offsets, or a map of strings under 32-bit keys. They
// are not game state: snapshots, loads, restarts and scene resets leave them alone.
//
// Only command handlers use the blocks, on the thread that runs the interpreter, which holds the
// render lock while it runs (in either thread mode); that lock is what keeps them consistent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace adv {

enum VmemKind : uint32_t { kVmemBytes = 0, kVmemStrings = 1 };

// The most bytes one byte block holds (64 MiB, README "What it does not do"): a larger size asked
// for is refused rather than handed to the allocator.
inline constexpr uint32_t kVmemMaxBytes = 64u << 20;

struct VmemBlock {
  uint32_t kind = kVmemBytes;
  // The byte count of a byte block, the string count of a string map, or the size given when a
  // block of another kind was made.
  uint32_t size = 0;
  std::unique_ptr<uint8_t[], decltype(&std::free)> bytes{nullptr, &std::free};
  std::map<uint32_t, std::string> strings;
};

class VmemMap {
 public:
  VmemBlock* Find(uint32_t id);
  // Makes (or replaces) a block. False, with an existing block left as it was, when the bytes
  // of a byte block cannot be had or are more than kVmemMaxBytes.
  bool Create(uint32_t id, uint32_t size, uint32_t kind);
  bool Delete(uint32_t id);
  void FreeAll() { blocks_.clear(); }

  // The `length` bytes at `offset` of a byte block, or null when the block has no bytes or the
  // range does not lie inside them (computed without wrapping).
  uint8_t* Range(uint32_t id, uint32_t offset, uint64_t length);
  // Little-endian values of 1, 2 or 4 bytes; reads outside give 0 and writes outside do nothing.
  uint32_t Read(uint32_t id, uint32_t offset, size_t width);
  void Write(uint32_t id, uint32_t offset, size_t width, uint32_t value);
  // Copies between two ranges (of one block or two) as if through a temporary copy.
  bool Copy(uint32_t target, uint32_t target_offset, uint32_t source, uint32_t source_offset,
            uint32_t length);

  bool SetString(uint32_t id, uint32_t key, std::string_view text);
  // Empty when there is no such block, it is no string map or the key is absent.
  std::string GetString(uint32_t id, uint32_t key);

 private:
  std::unordered_map<uint32_t, VmemBlock> blocks_;
};

// The process's blocks.
VmemMap& ScriptMemoryBlocks();

}  // namespace adv
