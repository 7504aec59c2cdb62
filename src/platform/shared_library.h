// A shared library opened the first time one of its functions is needed, not when the runner
// starts: a game that never uses it does not pay for mapping and binding it (and the libraries
// it pulls in) at start-up. An opened library stays mapped to the end of the process: threads
// or handlers it started may still run its code while the process exits.
#pragma once

#include <functional>
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

// Fills `pointer` with the function `name` of the library; false when it is missing.
template <typename Function>
bool SharedLibrary_Bind(const SharedLibrary& library, const char* name, Function*& pointer) {
  pointer = reinterpret_cast<Function*>(library.Find(name));
  return pointer != nullptr;
}

// Opens the library `soname` and lets `bind` fill a table of its functions; false when the
// library cannot be opened or `bind` finds a function missing.
bool SharedLibrary_Load(const char* soname, const std::function<bool(const SharedLibrary&)>& bind);

// A table of a library's functions, named once in a list macro LIST(X) of their names:
//   struct Functions { LIST(KF_LIBRARY_FUNCTION) };
// and filled inside a `bind` of SharedLibrary_Load, with a `bool all` and a `Functions& table`:
//   LIST(KF_LIBRARY_BIND)
#define KF_LIBRARY_FUNCTION(name) decltype(&::name) name = nullptr;
#define KF_LIBRARY_BIND(name) all = SharedLibrary_Bind(library, #name, table.name) && all;
