#include "program/commands/memory_blocks.h"

#include <cstring>

namespace adv {

VmemBlock* VmemMap::Find(uint32_t id) {
  const auto found = blocks_.find(id);
  return found == blocks_.end() ? nullptr : &found->second;
}

bool VmemMap::Create(uint32_t id, uint32_t size, uint32_t kind) {
  VmemBlock block;
  block.kind = kind;
  block.size = kind == kVmemStrings ? 0 : size;
  if (kind == kVmemBytes) {
    if (size > kVmemMaxBytes) return false;
    // calloc hands out zeroed pages without touching them, so a large block costs nothing until
    // it is used.
    block.bytes.reset(static_cast<uint8_t*>(std::calloc(size == 0 ? 1 : size, 1)));
    if (!block.bytes) return false;
  }
  blocks_[id] = std::move(block);
  return true;
}

bool VmemMap::Delete(uint32_t id) {
  return blocks_.erase(id) != 0;
}

uint8_t* VmemMap::Range(uint32_t id, uint32_t offset, uint64_t length) {
  VmemBlock* block = Find(id);
  if (!block || !block->bytes) return nullptr;
  if (static_cast<uint64_t>(offset) + length > block->size) return nullptr;
  return block->bytes.get() + offset;
}

uint32_t VmemMap::Read(uint32_t id, uint32_t offset, size_t width) {
  const uint8_t* at = Range(id, offset, width);
  if (!at) return 0;
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
  return value;
}

void VmemMap::Write(uint32_t id, uint32_t offset, size_t width, uint32_t value) {
  uint8_t* at = Range(id, offset, width);
  if (!at) return;
  for (size_t i = 0; i < width; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool VmemMap::Copy(uint32_t target, uint32_t target_offset, uint32_t source, uint32_t source_offset,
                   uint32_t length) {
  uint8_t* to = Range(target, target_offset, length);
  const uint8_t* from = Range(source, source_offset, length);
  if (!to || !from) return false;
  std::memmove(to, from, length);
  return true;
}

bool VmemMap::SetString(uint32_t id, uint32_t key, std::string_view text) {
  VmemBlock* block = Find(id);
  if (!block || block->kind != kVmemStrings) return false;
  block->strings[key] = std::string(text);
  block->size = static_cast<uint32_t>(block->strings.size());
  return true;
}

std::string VmemMap::GetString(uint32_t id, uint32_t key) {
  VmemBlock* block = Find(id);
  if (!block || block->kind != kVmemStrings) return {};
  const auto found = block->strings.find(key);
  return found == block->strings.end() ? std::string() : found->second;
}

VmemMap& ScriptMemoryBlocks() {
  static VmemMap blocks;
  return blocks;
}

}  // namespace adv
