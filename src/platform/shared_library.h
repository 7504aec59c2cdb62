// A shared library opened the first time one of its functions is needed, not when the runner
// starts: a game that never uses it does not pay for mapping and binding it (and the libraries
// it pulls in) at start-up. An opened library stays mapped to the end of the process: threads
// or handlers it started may still run its code while the process exits.
#pragma once

#include <initializer_list>
#include <string>

class SharedLibrary {
 public:
  explicit SharedLibrary(std::string soname) : soname_(std::move(soname)) {}
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Opens the library on the first call; false (then and after) when it cannot be opened.
  bool Open();
  // The address of an exported function of the opened library; null when it has none.
  void* Find(const char* name) const;

 private:
  std::string soname_;
  void* handle_ = nullptr;
  bool tried_ = false;
};

// One function of a library to look up, and where its address goes.
struct SharedFunctionSlot {
  const char* name;
  void* slot;
  void (*assign)(void* slot, void* address);
};

template <typename Function>
SharedFunctionSlot SharedFunction(const char* name, Function*& pointer) {
  return {name, &pointer, [](void* slot, void* address) {
            *static_cast<Function**>(slot) = reinterpret_cast<Function*>(address);
          }};
}

// Opens the library `soname` (kept for the rest of the process) and fills every slot; false
// when the library cannot be opened or one of the functions is missing.
bool SharedLibrary_Load(const char* soname, std::initializer_list<SharedFunctionSlot> functions);

// A table of a library's functions, named once in a list macro LIST(X) of their names:
//   struct Functions { LIST(KF_LIBRARY_FUNCTION) };
// and filled, with a `Functions& table` in scope, by
//   SharedLibrary_Load(soname, {LIST(KF_LIBRARY_ENTRY)})
#define KF_LIBRARY_FUNCTION(name) decltype(&::name) name = nullptr;
#define KF_LIBRARY_ENTRY(name) SharedFunction(#name, table.name),
