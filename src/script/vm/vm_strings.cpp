#include "script/vm/vm_strings.h"

#include <deque>
#include <unordered_map>

namespace {
struct StringTables {
  VMFileStringCount fileCount = nullptr;
  VMFileString fileGet = nullptr;
  std::deque<std::string> interned;  // a deque keeps the views of the map valid
  std::unordered_map<std::string_view, uint32_t> byText;
};

StringTables& Tables() {
  static StringTables tables;
  return tables;
}
}  // namespace

void VM_SetFileStrings(VMFileStringCount count, VMFileString get) {
  Tables().fileCount = count;
  Tables().fileGet = get;
}

uint32_t VM_InternString(std::string_view text) {
  StringTables& t = Tables();
  auto found = t.byText.find(text);
  if (found != t.byText.end()) return found->second;
  uint32_t index = kVMInternedStringBase + static_cast<uint32_t>(t.interned.size());
  t.interned.emplace_back(text);
  t.byText.emplace(t.interned.back(), index);
  return index;
}

bool VM_String(uint32_t index, std::string_view& text) {
  const StringTables& t = Tables();
  if (index >= kVMInternedStringBase) {
    size_t n = index - kVMInternedStringBase;
    if (n >= t.interned.size()) return false;
    text = t.interned[n];
    return true;
  }
  if (t.fileCount == nullptr || index >= t.fileCount()) return false;
  text = t.fileGet(index);
  return true;
}

void VM_FreeStrings() {
  Tables().byText.clear();
  Tables().interned.clear();
}
