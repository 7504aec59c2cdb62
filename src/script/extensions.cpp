#include "script/extensions.h"

#include <algorithm>

#include "data/scripts.h"
#include "platform/file_locations.h"
#include "platform/files.h"
#include "runner/instance.h"
#include "script/code.h"
#include "script/code_exec.h"
#include "script/compiler/compile_error_sink.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/external_calls.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/vm/vm.h"

namespace {

constexpr const char* kDroppedFolder = "TarnGames";
constexpr size_t kMaxCodeName = 255;

std::vector<std::unique_ptr<CExtensionPackage>> g_packages;

// Indexed by function number 0 .. highest, built by Extension_Prepare.
struct FunctionTable {
  std::vector<int32_t> externalId;
  std::vector<bool> isScript;
  std::vector<std::unique_ptr<CCode>> code;
  bool Contains(int32_t id) const { return id >= 0 && static_cast<size_t>(id) < externalId.size(); }
};
FunctionTable g_functions;

// A list {count, offset[count]}; zero offsets are absent records.
std::vector<uint32_t> Records(const GameDataReader& reader, uint32_t at) { return reader.CountedList(at); }

std::string Text(const GameDataReader& reader, GameDataCursor& cursor) {
  return std::string(reader.TextRef(cursor.U32()));
}

CExtensionFunction ReadFunction(const GameDataReader& reader, uint32_t at) {
  GameDataCursor cursor(reader, at);
  CExtensionFunction function;
  function.name = Text(reader, cursor);
  function.id = cursor.I32();
  function.kind = cursor.I32();
  function.resultType = cursor.I32();
  function.externalName = Text(reader, cursor);
  function.argc = cursor.I32();
  if (function.id < 0 || function.id > kExtensionMaxFunctionId)
    throw GameDataError("an extension function number outside the table");
  if (function.argc < -1 || function.argc > kExtensionMaxArguments)
    throw GameDataError("an extension function argument count outside -1..16");
  for (int32_t i = 0; i < function.argc; ++i) function.argTypes[static_cast<size_t>(i)] = cursor.I32();
  return function;
}

CExtensionFile ReadFile(const GameDataReader& reader, uint32_t at) {
  GameDataCursor cursor(reader, at);
  CExtensionFile file;
  file.fileName = Text(reader, cursor);
  file.finalFunction = Text(reader, cursor);
  file.initFunction = Text(reader, cursor);
  file.kind = cursor.I32();
  const auto list = static_cast<uint32_t>(cursor.Offset());
  for (uint32_t record : Records(reader, list))
    if (record != 0) file.functions.push_back(ReadFunction(reader, record));
  return file;
}

int32_t CallType(const CExtensionFunction& function) {
  return function.kind == kExtensionKindCdecl ? 0 : kExternalStdcall;
}

// The game's folder and the file name, with '/' and the case-insensitive lookup.
std::string LibraryPath(const std::string& fileName) {
  return File_ResolvePath(FileLocations_GameFolder() + File_NormaliseSeparators(fileName));
}

const CExtensionFunction* FindInPackage(const CExtensionPackage& package, std::string_view name) {
  for (const CExtensionFile& file : package.files)
    for (const CExtensionFunction& function : file.functions)
      if (function.name == name) return &function;
  return nullptr;
}

// A package of the dropped folder defines nothing: none of its functions is found, also by
// stored code whose calls are resolved when the game loads, before the package is dropped.
bool IsDropped(const CExtensionPackage& package) { return package.folderName == kDroppedFolder; }

template <typename Visit>
void ForEachFunction(Visit visit) {
  for (const auto& package : g_packages) {
    if (!package || IsDropped(*package)) continue;
    for (const CExtensionFile& file : package->files)
      for (const CExtensionFunction& function : file.functions)
        if (visit(function)) return;
  }
}

bool RunEndFunctions(bool init) {
  for (const auto& package : g_packages) {
    if (!package) continue;
    for (const CExtensionFile& file : package->files) {
      const std::string& name = init ? file.initFunction : file.finalFunction;
      if (name.empty()) continue;
      // Self and other of the call.
      CInstance temporary(0.0f, 0.0f, 0, 0, false);
      ScriptValue result;
      const int32_t script = Script_Find(name);
      if (script >= 0) {
        if (!Script_Perform(script, &temporary, &temporary, 0, result, nullptr)) {
          Error_Show(Compiler_LastError().text, true);
          Compiler_ClearError();
          return false;
        }
        continue;
      }
      const CExtensionFunction* function = FindInPackage(*package, name);
      if (function == nullptr) {
        Error_Show(std::string(init ? "Could not locate initialization function "
                                    : "Could not locate finalization function ") +
                       name,
                   true);
        return false;
      }
      if (g_functions.Contains(function->id) && !g_functions.isScript[static_cast<size_t>(function->id)])
        External_Call(g_functions.externalId[static_cast<size_t>(function->id)], 0, nullptr, result);
    }
  }
  return true;
}

bool LookupForFunctionTable(const char* name, int32_t& number) {
  number = Extension_FindFunction(name);
  return number >= 0;
}

}  // namespace

std::vector<std::unique_ptr<CExtensionPackage>>& Extension_Table() { return g_packages; }

void Extension_Load(const GameDataReader& reader, ChunkSpan body) {
  g_packages.clear();
  for (uint32_t record : Records(reader, body.offset)) {
    if (record == 0) {
      g_packages.emplace_back();
      continue;
    }
    GameDataCursor cursor(reader, record);
    auto package = std::make_unique<CExtensionPackage>();
    package->folderName = Text(reader, cursor);
    package->name = Text(reader, cursor);
    const auto list = static_cast<uint32_t>(cursor.Offset());
    for (uint32_t file : Records(reader, list)) package->files.push_back(file != 0 ? ReadFile(reader, file) : CExtensionFile{});
    g_packages.push_back(std::move(package));
  }
}

bool Extension_Prepare() {
  for (auto& package : g_packages) {
    if (!package) continue;
    if (IsDropped(*package)) {
      package.reset();
      continue;
    }
    for (const CExtensionFile& file : package->files)
      for (const CExtensionConstant& constant : file.constants) Constant_Define(constant.name, constant.value);
  }

  int32_t highest = 0;
  ForEachFunction([&](const CExtensionFunction& f) {
    highest = std::max(highest, f.id);
    return false;
  });
  g_functions = FunctionTable{};
  g_functions.externalId.assign(static_cast<size_t>(highest) + 1, -1);
  g_functions.isScript.assign(static_cast<size_t>(highest) + 1, false);
  g_functions.code.resize(static_cast<size_t>(highest) + 1);

  for (auto& package : g_packages) {
    if (!package) continue;
    for (CExtensionFile& file : package->files) {
      for (CExtensionFunction& function : file.functions) {
        const auto slot = static_cast<size_t>(function.id);
        if (file.kind == kExtensionFileLibrary) {
          std::array<int32_t, kExtensionMaxArguments + 1> types{};
          for (int32_t i = 0; i <= kExtensionMaxArguments; ++i)
            types[static_cast<size_t>(i)] = function.ArgType(i) == kExtensionTypeString ? kExternalString : kExternalReal;
          const int32_t result = function.resultType == kExtensionTypeString ? kExternalString : kExternalReal;
          g_functions.externalId[slot] = External_Define(LibraryPath(file.fileName), function.externalName,
                                                         CallType(function), function.argc, types.data(), result);
          g_functions.isScript[slot] = false;
        } else if (file.kind == kExtensionFileScripts) {
          g_functions.code[slot].reset();
          if (!function.codeText || function.codeText->empty()) continue;
          auto code = std::make_unique<CCode>(std::move(*function.codeText), false);
          function.codeText.reset();
          std::string name = Code_NameExtension(package->name, function.name);
          if (name.size() > kMaxCodeName) name.resize(kMaxCodeName);
          if (!code->Compile(name)) {
            Error_Show("COMPILATION ERROR in extension package " + package->name + "\n" + Compiler_LastError().text,
                       true);
            Compiler_ClearError();
            return false;
          }
          g_functions.code[slot] = std::move(code);
          g_functions.isScript[slot] = true;
        }
      }
    }
  }
  return true;
}

bool Extension_RunInitFunctions() { return RunEndFunctions(true); }
bool Extension_RunFinalFunctions() { return RunEndFunctions(false); }

int32_t Extension_FindFunction(std::string_view name) {
  int32_t id = -1;
  ForEachFunction([&](const CExtensionFunction& f) {
    if (f.name != name) return false;
    id = f.id;
    return true;
  });
  return id;
}

int32_t Extension_GetArgCount(int32_t id) {
  int32_t count = kNoSuchFunction;
  ForEachFunction([&](const CExtensionFunction& f) {
    if (f.id != id || f.argc < 0) return false;
    count = f.argc;
    return true;
  });
  return count;
}

std::optional<std::string> Extension_GetFunctionName(int32_t id) {
  std::optional<std::string> name;
  ForEachFunction([&](const CExtensionFunction& f) {
    if (f.id != id || f.name.empty()) return false;
    name = f.name;
    return true;
  });
  return name;
}

bool Extension_IsScript(int32_t id) {
  return g_functions.Contains(id) && g_functions.isScript[static_cast<size_t>(id)];
}

const CCode* Extension_GetCode(int32_t id) {
  return g_functions.Contains(id) ? g_functions.code[static_cast<size_t>(id)].get() : nullptr;
}

int32_t Extension_ExternalId(int32_t id) {
  return g_functions.Contains(id) ? g_functions.externalId[static_cast<size_t>(id)] : -1;
}

bool Extension_Call(int32_t id, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args,
                    ScriptValue& result) {
  if (!g_functions.Contains(id)) return false;
  const auto slot = static_cast<size_t>(id);
  if (!g_functions.isScript[slot]) {
    External_Call(g_functions.externalId[slot], argc, args, result);
    return true;
  }
  const CCode* code = g_functions.code[slot].get();
  if (code == nullptr) return false;
  ArgumentWindow window;
  for (int32_t i = 0; i < kArgumentSlotCount; ++i) window[i] = i < argc ? args[i] : ScriptValue();
  const bool ok = Code_Execute_Value(self, other, *code, result);
  if (!ok)
    Compiler_SetErrorText("In extension function " + Extension_GetFunctionName(id).value_or("") + ": \n" +
                          Compiler_LastError().text);
  return ok;
}

bool Extension_CallExternal(int32_t id, int argc, ScriptValue* args, ScriptValue& result) {
  if (!g_functions.Contains(id) || g_functions.isScript[static_cast<size_t>(id)]) return false;
  External_Call(g_functions.externalId[static_cast<size_t>(id)], argc, args, result);
  return true;
}

void Extension_Install() {
  Function_SetExtensionLookup(LookupForFunctionTable, Extension_GetArgCount);
  Code_Exec_SetExtensionCall(Extension_Call);
  VM_SetExtensionCall(Extension_CallExternal);
}

void Extension_Reset() {
  g_packages.clear();
  g_functions = FunctionTable{};
}
