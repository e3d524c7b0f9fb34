// YelList: a singly linked list of (data, id) nodes. The list owns its nodes, never the data.
#include <cstdio>

#include "YEL/core/system.h"
#include "os/debug_output.h"

namespace {

YelListNode* NewNode(uintptr_t data, int32_t id) {
  auto* node = static_cast<YelListNode*>(YelMemoryAlloc(sizeof(YelListNode), 1));
  if (node) {
    node->data = data;
    node->id = id;
  }
  return node;
}

// The node before the first node that matches, or null.
template <typename Match>
YelListNode* FindBefore(YelList* list, Match match) {
  if (!list) return nullptr;
  for (YelListNode* before = list; before->next; before = before->next) {
    if (match(*before->next)) return before;
  }
  return nullptr;
}

uintptr_t UnlinkAfter(YelListNode* before) {
  YelListNode* node = before->next;
  const uintptr_t data = node->data;
  before->next = node->next;
  YelMemoryFree(node);
  return data;
}

}  // namespace

extern "C" {

YEL_API YelList* YelListCreate(void) {
  return static_cast<YelList*>(YelMemoryAlloc(sizeof(YelList), 1));
}

YEL_API void YelListRelease(YelList* list) {
  if (!list) return;
  while (list->next) UnlinkAfter(list);
  YelMemoryFree(list);
}

YEL_API int YelListPush(YelList* list, uintptr_t data, int32_t id) {
  if (!list) return 0;
  YelListNode* node = NewNode(data, id);
  if (!node) return 0;
  node->next = list->next;
  list->next = node;
  return 1;
}

YEL_API int YelListPushLast(YelList* list, uintptr_t data, int32_t id) {
  if (!list) return 0;
  YelListNode* node = NewNode(data, id);
  if (!node) return 0;
  YelListNode* last = list;
  while (last->next) last = last->next;
  last->next = node;
  return 1;
}

YEL_API uintptr_t YelListPopFirst(YelList* list) {
  if (!list || !list->next) return 0;
  return UnlinkAfter(list);
}

YEL_API uintptr_t YelListPop(YelList* list, int32_t id) {
  YelListNode* before = FindBefore(list, [id](const YelListNode& n) { return n.id == id; });
  return before ? UnlinkAfter(before) : 0;
}

YEL_API int YelListDelete(YelList* list, uintptr_t data) {
  YelListNode* before = FindBefore(list, [data](const YelListNode& n) { return n.data == data; });
  if (!before) return 0;
  UnlinkAfter(before);
  return 1;
}

YEL_API YelListNode* YelListFind(YelList* list, int32_t id) {
  return FindBefore(list, [id](const YelListNode& n) { return n.id == id; });
}

YEL_API YelListNode* YelListFindNext(YelList* list) {
  if (!list || !list->next) return nullptr;
  const int32_t id = list->next->id;
  return FindBefore(list->next, [id](const YelListNode& n) { return n.id == id; });
}

YEL_API uintptr_t YelListGetData(YelList* list, int32_t id, int32_t n) {
  if (!list) return 0;
  for (YelListNode* node = list->next; node; node = node->next) {
    if (node->id == id && n-- == 0) return node->data;
  }
  return 0;
}

YEL_API int32_t YelListGetDataCount(YelList* list, int32_t id) {
  if (!list) return 0;
  int32_t count = 0;
  for (YelListNode* node = list->next; node; node = node->next) count += node->id == id;
  return count;
}

YEL_API void YelListPrint(YelList* list, int32_t id) {
  os::DebugOutputf("YelList ---- search id : %d\n", id);
  if (!list) return;
  for (YelListNode* node = list->next; node; node = node->next) {
    // The data of printed lists points at two words: a value and a return address.
    const auto* words = reinterpret_cast<const uint32_t*>(node->data);
    const uint32_t first = words ? words[0] : 0;
    const uint32_t second = words ? words[1] : 0;
    os::DebugOutputf("ID=%d / Data=%d / RetPtr=%08X\n", node->id, second, first);
  }
}

}  // extern "C"
