#include "data/scripts.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "data/code_table.h"
#include "platform/containers/name_index.h"
#include "script/compiler/compile_error_sink.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/script_value.h"
#include "script/vm/vm.h"

namespace {

struct ScriptTable {
  std::vector<std::unique_ptr<CScript>> scripts;
  std::vector<std::string> names;  // "" for an empty slot
  NameIndex byName;
};

ScriptTable& Table() {
  static ScriptTable table;
  return table;
}

bool FindForFunctionTable(const char* name, int32_t& number) {
  number = name == nullptr ? -1 : Script_Find(name);
  return number >= 0;
}

// The start of a failure text that already names the script it happened in.
constexpr std::string_view kInScript = "In script ";

}  // namespace

void CScript::LoadFromChunk(const GameDataReader& reader, uint32_t record, uint64_t end) {
  GameDataCursor cursor(reader, record, end);
  const uint32_t nameRef = cursor.U32();
  const uint32_t second = cursor.U32();
  name_.assign(reader.TextRef(nameRef));
  code_.reset();
  if (CodeTable_Active()) {
    codeIndex_ = static_cast<int32_t>(second);
    text_.clear();
  } else {
    codeIndex_ = -1;
    text_.assign(reader.TextRef(second));
  }
}

bool CScript::Compile() {
  if (CodeTable_Active()) {
    code_ = CCode::Stored(codeIndex_, false);
    return true;
  }
  code_ = std::make_unique<CCode>(text_, false);
  return code_->Compile(Code_NameScript(name_));
}

void Script_Clear() {
  Script_FreeAll();
  Script_InstallFunctionLookup();
}

void Script_Load(const GameDataReader& reader, ChunkSpan body) {
  const std::vector<uint32_t> entries = reader.CountedList(body.offset);
  ScriptTable& table = Table();
  table.scripts.clear();
  table.names.clear();
  table.scripts.resize(entries.size());
  table.names.resize(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == 0) continue;
    auto script = std::make_unique<CScript>();
    script->LoadFromChunk(reader, entries[i], body.End());
    table.names[i] = script->Name();
    table.scripts[i] = std::move(script);
  }
  table.byName.Invalidate();
  Script_InstallFunctionLookup();
}

bool Script_Prepare() {
  // Stored code was compiled before the game was packed; the globalvar declarations it met
  // then take effect now, as compiling it here would have made them.
  if (CodeTable_Active()) CodeTable_DeclareGlobals();
  ScriptTable& table = Table();
  for (size_t i = 0; i < table.scripts.size(); ++i) {
    if (table.scripts[i] == nullptr) continue;
    if (!table.scripts[i]->Compile()) {
      Error_Show("COMPILATION ERROR in Script: " + table.names[i] + "\n" + Compiler_LastError().text,
                 false);
      Compiler_ClearError();
      return false;
    }
  }
  return true;
}

bool Script_Exists(int32_t index) { return Script_Data(index) != nullptr; }

CScript* Script_Data(int32_t index) {
  const ScriptTable& table = Table();
  if (index < 0 || static_cast<size_t>(index) >= table.scripts.size()) return nullptr;
  return table.scripts[static_cast<size_t>(index)].get();
}

std::string Script_GetName(int32_t index) {
  return Script_Exists(index) ? Table().names[static_cast<size_t>(index)] : std::string("<undefined>");
}

int32_t Script_Find(std::string_view name) {
  ScriptTable& table = Table();
  return table.byName.Find(name, table.scripts.size(), [&table](size_t i) {
    return table.scripts[i] != nullptr ? &table.names[i] : nullptr;
  });
}

int32_t Script_GetCount() { return static_cast<int32_t>(Table().scripts.size()); }

bool Script_Perform(int32_t index, CInstance* self, CInstance* other, int32_t argc,
                    ScriptValue& result, const ScriptValue* args) {
  CScript* script = Script_Data(index);
  if (script == nullptr || script->GetCode() == nullptr) return false;
  argc = std::clamp(argc, 0, kMaxScriptArguments);
  if (args == nullptr) argc = 0;

  ArgumentWindow window;
  for (int32_t i = 0; i < kArgumentSlotCount; ++i) {
    if (i < argc) {
      window[i] = args[i];
    } else {
      // A slot past the arguments is the real 0 but keeps the kind the caller's slot had.
      window[i].SetKindAndReal(window.Caller(i).Kind(), 0.0);
    }
  }
  Code_ArgumentCount = argc;

  const bool ok = Code_Execute_Value(self, other, *script->GetCode(), result);
  // The failure is named after the script it happened in, once: the scripts that called it
  // (deep recursion may be thousands of them) pass the text on whole.
  if (!ok) {
    const std::string inner = Compiler_LastError().text;
    if (inner.rfind(kInScript, 0) != 0) {
      Compiler_SetErrorText(std::string(kInScript) + Script_GetName(index) + ":\n" + inner);
    }
  }

  return ok;
}

void Script_FreeAll() {
  Table().scripts.clear();
  Table().names.clear();
  Table().byName.Invalidate();
}

void Script_InstallFunctionLookup() {
  Function_SetScriptLookup(FindForFunctionTable);
  // The machine runs script calls inside its own activation: it needs the code itself.
  VM_SetScriptLookup([](int32_t number) -> const CCode* {
    const CScript* script = Script_Data(number);
    return script != nullptr ? script->GetCode() : nullptr;
  });
}
