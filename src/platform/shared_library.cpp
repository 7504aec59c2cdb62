#include "platform/shared_library.h"

#include <dlfcn.h>

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
