#include "platform/shared_library.h"

#include <dlfcn.h>

#include <list>
#include <memory>

bool SharedLibrary::Open() {
  if (!tried_) {
    tried_ = true;
    handle_ = dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  return handle_ != nullptr;
}

void* SharedLibrary::Find(const char* name) const {
  return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

bool SharedLibrary_Load(const char* soname, std::initializer_list<SharedFunctionSlot> functions) {
  static std::list<std::unique_ptr<SharedLibrary>> opened;
  auto library = std::make_unique<SharedLibrary>(soname);
  if (!library->Open()) return false;
  bool all = true;
  for (const SharedFunctionSlot& function : functions) {
    void* address = library->Find(function.name);
    function.assign(function.slot, address);
    all = all && address != nullptr;
  }
  opened.push_back(std::move(library));
  return all;
}
