#include "script/external_calls.h"

#include <dlfcn.h>
#include <ffi.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "platform/file_locations.h"
#include "platform/files.h"

namespace {

// A loaded library. Entries from the same path share it; External_Free closes it once.
struct LibraryHandle {
  void* module = nullptr;
  ~LibraryHandle() {
    if (module != nullptr) dlclose(module);
  }
  void Close() {
    if (module != nullptr) dlclose(module);
    module = nullptr;
  }
};

struct ExternalFunctionEntry {
  std::string libraryPath;
  std::shared_ptr<LibraryHandle> library;  // null once the library was freed
  std::string functionName;
  void* entryPoint = nullptr;
  int32_t callType = 0;
  int32_t argc = 0;
  std::array<int32_t, kExternalMaxArguments + 1> argTypes{};
  int32_t resultType = kExternalReal;
  // The libffi call description, prepared once at definition.
  ffi_cif cif{};
  std::vector<ffi_type*> ffiArgs;
};

std::vector<std::unique_ptr<ExternalFunctionEntry>> g_table;
bool g_callsDisabled = false;

bool EndsWithDll(std::string_view name) {
  if (name.size() < 4) return false;
  std::string_view ext = name.substr(name.size() - 4);
  return ext[0] == '.' && (ext[1] | 0x20) == 'd' && (ext[2] | 0x20) == 'l' && (ext[3] | 0x20) == 'l';
}

// The name as given, then for "x.dll" the native x.so and libx.so beside it.
std::vector<std::string> CandidateNames(std::string_view library) {
  std::string name = File_NormaliseSeparators(library);
  std::vector<std::string> names{name};
  if (EndsWithDll(name)) {
    std::string stem = name.substr(0, name.size() - 4);
    std::string folder = File_FilePath(stem);
    std::string base = File_FileName(stem);
    if (!folder.empty()) folder += '/';
    names.push_back(folder + base + ".so");
    names.push_back(folder + "lib" + base + ".so");
  }
  return names;
}

// The first candidate that exists in the save area or the game folder (in that order), as a
// full path; nullopt when none does.
std::optional<std::string> FindInGameFolders(const std::vector<std::string>& names) {
  if (names.empty() || names.front().empty()) return std::nullopt;
  const bool absolute = names.front()[0] == '/';
  std::vector<std::string> folders;
  if (absolute) {
    folders.emplace_back();
  } else {
    folders.push_back(FileLocations_SaveArea());
    folders.push_back(FileLocations_GameFolder());
  }
  for (const std::string& folder : folders) {
    for (const std::string& name : names) {
      std::string path = File_ResolvePath(folder + name);
      if (File_Exists(path)) return path;
    }
  }
  return std::nullopt;
}

std::shared_ptr<LibraryHandle> LoadedLibrary(const std::string& path) {
  std::shared_ptr<LibraryHandle> found;
  for (const auto& entry : g_table)
    if (entry->libraryPath == path) found = entry->library;  // the last match counts
  return found;
}

std::shared_ptr<LibraryHandle> OpenLibrary(const std::string& path) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return nullptr;
  auto handle = std::make_shared<LibraryHandle>();
  handle->module = module;
  return handle;
}

// Where the library is, and the library itself (reused when already loaded from that path).
bool ResolveAndLoad(std::string_view library, std::string& path, std::shared_ptr<LibraryHandle>& handle) {
  const std::vector<std::string> names = CandidateNames(library);
  if (std::optional<std::string> local = FindInGameFolders(names)) {
    path = *local;
    handle = LoadedLibrary(path);
    if (!handle) handle = OpenLibrary(path);
    return handle != nullptr;
  }
  // The system's own search, with each candidate name as it stands.
  for (const std::string& name : names) {
    if (name.empty()) continue;
    handle = LoadedLibrary(name);
    if (!handle) handle = OpenLibrary(name);
    if (handle) {
      path = name;
      return true;
    }
  }
  return false;
}

int32_t ArgumentBytes(int32_t argc, const int32_t* types) {
  int32_t bytes = 0;
  for (int32_t i = 0; i < argc; ++i) bytes += types[i] == kExternalString ? 4 : 8;
  return bytes;
}

}  // namespace

int32_t External_Define(std::string_view library, std::string_view function, int32_t callType,
                        int32_t argc, const int32_t* types, int32_t resultType) {
  if (argc < 0 || argc > kExternalMaxArguments) return -1;
  if (argc > kExternalMaxStringArguments)
    for (int32_t i = 0; i < argc; ++i)
      if (types[i] != kExternalReal) return -1;

  std::string path;
  std::shared_ptr<LibraryHandle> handle;
  if (!ResolveAndLoad(library, path, handle)) return -1;

  const std::string name(function);
  void* entryPoint = dlsym(handle->module, name.c_str());
  if (entryPoint == nullptr) {
    const std::string decorated = "_" + name + "@" + std::to_string(ArgumentBytes(argc, types));
    entryPoint = dlsym(handle->module, decorated.c_str());
  }
  if (entryPoint == nullptr) return -1;  // the library stays loaded, no id is used

  auto entry = std::make_unique<ExternalFunctionEntry>();
  entry->libraryPath = path;
  entry->library = std::move(handle);
  entry->functionName = name;
  entry->entryPoint = entryPoint;
  entry->callType = callType;
  entry->argc = argc;
  for (int32_t i = 0; i < argc; ++i) entry->argTypes[i] = types[i] == kExternalString ? kExternalString : kExternalReal;
  entry->resultType = resultType == kExternalString ? kExternalString : kExternalReal;
  for (int32_t i = 0; i < argc; ++i)
    entry->ffiArgs.push_back(entry->argTypes[i] == kExternalString ? &ffi_type_pointer : &ffi_type_double);
  ffi_type* returnType = entry->resultType == kExternalString ? &ffi_type_pointer : &ffi_type_double;
  if (ffi_prep_cif(&entry->cif, FFI_DEFAULT_ABI, static_cast<unsigned>(argc), returnType,
                   entry->ffiArgs.empty() ? nullptr : entry->ffiArgs.data()) != FFI_OK)
    return -1;
  g_table.push_back(std::move(entry));
  return static_cast<int32_t>(g_table.size() - 1);
}

void External_Call(int32_t id, int argc, const ScriptValue* args, ScriptValue& result) {
  result.SetReal(0.0);
  if (id < 0 || id >= static_cast<int32_t>(g_table.size())) return;
  ExternalFunctionEntry& entry = *g_table[static_cast<size_t>(id)];
  if (argc != entry.argc || !entry.library) return;
  if (g_callsDisabled) return;

  // Each position takes the field of its declared type as the argument holds it: a string
  // position given a real receives an empty text, a real position given a string its real.
  std::array<double, kExternalMaxArguments + 1> reals{};
  std::array<const char*, kExternalMaxArguments + 1> strings{};
  std::array<void*, kExternalMaxArguments + 1> values{};
  for (int i = 0; i < argc; ++i) {
    if (entry.argTypes[static_cast<size_t>(i)] == kExternalString) {
      strings[static_cast<size_t>(i)] = args[i].CStr();
      values[static_cast<size_t>(i)] = &strings[static_cast<size_t>(i)];
    } else {
      reals[static_cast<size_t>(i)] = args[i].real;
      values[static_cast<size_t>(i)] = &reals[static_cast<size_t>(i)];
    }
  }
  if (entry.resultType == kExternalString) {
    const char* text = nullptr;
    ffi_call(&entry.cif, FFI_FN(entry.entryPoint), &text, values.data());
    result.SetString(text != nullptr ? std::string(text) : std::string());
  } else {
    double real = 0.0;
    ffi_call(&entry.cif, FFI_FN(entry.entryPoint), &real, values.data());
    result.SetReal(real);
  }
}

void External_Free(std::string_view libraryPath) {
  bool closed = false;
  for (const auto& entry : g_table) {
    if (entry->libraryPath != libraryPath || !entry->library) continue;
    if (!closed) {
      entry->library->Close();
      closed = true;
    }
    entry->library.reset();
  }
}

void External_FreeAll() {
  for (size_t i = 0; i < g_table.size(); ++i)
    if (g_table[i]->library) External_Free(std::string(g_table[i]->libraryPath));
}

void External_SetCallsDisabled(bool disabled) { g_callsDisabled = disabled; }
bool External_CallsDisabled() { return g_callsDisabled; }

std::string External_LibraryPath(int32_t id) {
  if (id < 0 || id >= static_cast<int32_t>(g_table.size())) return {};
  return g_table[static_cast<size_t>(id)]->libraryPath;
}

int32_t External_Count() { return static_cast<int32_t>(g_table.size()); }

void External_Reset() {
  External_FreeAll();
  g_table.clear();
  g_callsDisabled = false;
}
