#include "script/string_rep.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct EmptyBlock {
  StringRep head;
  char nul[16];
};
// Held from the start by a count no run lets fall to zero.
EmptyBlock g_EmptyBlock{{1u << 30, 0, 0, 0}, {}};

}  // namespace

StringRep* StringRep_Empty() { return &g_EmptyBlock.head; }

StringRep* StringRep_Make(std::string_view text, size_t capacity) {
  if (capacity < text.size()) capacity = text.size();
  if (capacity > UINT32_MAX - sizeof(StringRep) - 1) throw std::bad_alloc();
  void* memory = std::malloc(sizeof(StringRep) + capacity + 1);
  if (memory == nullptr) throw std::bad_alloc();
  auto* rep = static_cast<StringRep*>(memory);
  rep->refs = 1;
  rep->size = static_cast<uint32_t>(text.size());
  rep->capacity = static_cast<uint32_t>(capacity);
  rep->spare = 0;
  if (!text.empty()) std::memcpy(rep->Bytes(), text.data(), text.size());
  rep->Bytes()[text.size()] = '\0';
  return rep;
}

void StringRep_Free(StringRep* rep) { std::free(rep); }

StringRep* StringRep_Append(StringRep* rep, std::string_view more) {
  if (more.empty()) return rep;
  const size_t size = rep->size, needed = size + more.size();
  if (rep->refs == 1 && needed <= rep->capacity) {
    // Bytes appended from the block itself lie before its end: no overlap.
    std::memcpy(rep->Bytes() + size, more.data(), more.size());
    rep->size = static_cast<uint32_t>(needed);
    rep->Bytes()[needed] = '\0';
    return rep;
  }
  // A block held once grows by half again, so repeated appends stay linear.
  const size_t room = rep->refs == 1 ? needed + needed / 2 : needed;
  StringRep* fresh = StringRep_Make(rep->View(), room);
  std::memcpy(fresh->Bytes() + size, more.data(), more.size());
  fresh->size = static_cast<uint32_t>(needed);
  fresh->Bytes()[needed] = '\0';
  if (--rep->refs == 0) StringRep_Free(rep);
  return fresh;
}
