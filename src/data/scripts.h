// Scripts: named pieces of code that game code calls like functions (function ids from
// 100000), read from SCPT, compiled before the game starts and run with their arguments.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/game_data_reader.h"
#include "script/code.h"

class CInstance;
struct ScriptValue;

// The argument slots a script call can fill.
inline constexpr int32_t kMaxScriptArguments = 16;

class CScript {
 public:
  CScript() = default;
  virtual ~CScript() = default;
  CScript(const CScript&) = delete;
  CScript& operator=(const CScript&) = delete;

  // record: {name reference, source text reference or stored code index}.
  void LoadFromChunk(const GameDataReader& reader, uint32_t record, uint64_t end);
  // The source text; for a script held as stored bytecode, the text the debug side file gives
  // its code (empty without one).
  const std::string& GetText() const { return codeIndex_ >= 0 && code_ != nullptr ? code_->GetText() : text_; }
  // The stored code index, or -1 for a script held as text.
  int32_t CodeIndex() const { return codeIndex_; }
  const CCode* GetCode() const { return code_.get(); }
  const std::string& Name() const { return name_; }
  bool Compile();

 private:
  std::unique_ptr<CCode> code_;
  std::string text_;
  int32_t codeIndex_ = -1;
  std::string name_;
};

void Script_Clear();
// SCPT.
void Script_Load(const GameDataReader& reader, ChunkSpan body);
// Compiles every script; the first failure is shown and ends the preparation.
bool Script_Prepare();
bool Script_Exists(int32_t index);
// "<undefined>" when there is no script.
std::string Script_GetName(int32_t index);
int32_t Script_Find(std::string_view name);
CScript* Script_Data(int32_t index);
int32_t Script_GetCount();
// Runs script index for (self, other) with argc arguments (at most 16 are taken), its value
// going to result. The caller's argument slots are back as they were afterwards. An empty or
// missing script runs nothing and answers false. A failed run has its error text prefixed
// with the script's name.
bool Script_Perform(int32_t index, CInstance* self, CInstance* other, int32_t argc,
                    ScriptValue& result, const ScriptValue* args);
void Script_FreeAll();
// Lets the function table find scripts by name and the machine run them by number.
void Script_InstallFunctionLookup();
