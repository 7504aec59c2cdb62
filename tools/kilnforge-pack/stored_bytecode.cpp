#include "stored_bytecode.h"

#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "data/game_loader.h"
#include "data/game_options.h"
#include "data/objects.h"
#include "data/scripts.h"
#include "platform/console.h"
#include "runner/event_names.h"
#include "runner/startup.h"
#include "script/builtin_variables.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/user_variables.h"
#include "script/constants.h"
#include "script/current_event.h"
#include "script/extensions.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/vm/vm_opcodes.h"
#include "script/vm/vm_strings.h"

gamedata::StoredCode StoredBytecode_FromCode(const CCode& code, GameDataWriter& game,
                                             const std::function<std::string(int32_t script)>& scriptName) {
  const auto functionName = [&scriptName](int32_t id) -> std::string {
    if (id >= kExtensionFunctionBase) return Extension_GetFunctionName(id - kExtensionFunctionBase).value_or("");
    if (id >= kScriptFunctionBase) return scriptName(id - kScriptFunctionBase);
    const BuiltinFunctionEntry* entry = Function_Get(id);
    return entry != nullptr ? entry->name : std::string();
  };
  gamedata::StoredCode stored;
  stored.name = code.Name();
  stored.source = code.GetText();
  if (const VMBuffer* bytecode = code.Bytecode()) {
    stored.words.resize(static_cast<size_t>(bytecode->Size()) / 4);
    std::memcpy(stored.words.data(), bytecode->Data(), stored.words.size() * 4);
  }
  if (const VMBuffer* info = code.DebugInfo()) {
    const size_t count = static_cast<size_t>(info->Size()) / 8;
    for (size_t i = 0; i < count; ++i) {
      int32_t pair[2];
      std::memcpy(pair, info->Data() + i * 8, 8);
      stored.positions.emplace_back(pair[0], pair[1]);
    }
  }
  std::map<std::string, std::vector<uint32_t>> variables, functions;
  for (size_t at = 0; at < stored.words.size();) {
    const uint32_t word = stored.words[at];
    const uint32_t op = word >> 24, type = (word >> 16) & 0x0F;
    const size_t operandWords = (op & 0x40) != 0 ? static_cast<size_t>(VM_GetOperandSize(type) / 4) : 0;
    const auto offset = static_cast<uint32_t>(at * 4);
    if (operandWords == 1 && at + 1 < stored.words.size()) {
      uint32_t& operand = stored.words[at + 1];
      if (op == static_cast<uint32_t>(VMOpcode::Call)) {
        functions[functionName(static_cast<int32_t>(operand))].push_back(offset);
      } else if (type == 6 && op == static_cast<uint32_t>(VMOpcode::Push)) {
        std::string_view text;
        VM_String(operand, text);
        operand = game.AddString(std::string(text));
      } else if (type == 5) {
        variables[Code_Variable_Name(static_cast<int32_t>(operand & kVMVarIdMask))].push_back(offset);
      }
    }
    at += 1 + operandWords;
  }
  stored.variableUses.assign(variables.begin(), variables.end());
  stored.functionUses.assign(functions.begin(), functions.end());
  return stored;
}

namespace {

// Compiles the code pieces of the game in the order the runner prepares them, with the names
// the runner gives them, into the entries of out.
class Compiler {
 public:
  explicit Compiler(GameDataWriter& out) : out_(out) {}

  bool Run(std::string& error) {
    for (gamedata::Script& script : out_.scripts) {
      if (!Compile(script.code, Code_NameScript(script.name), error)) return false;
    }
    for (size_t i = 0; i < out_.timeLines.size(); ++i) {
      for (gamedata::Moment& moment : out_.timeLines[i].moments) {
        const std::string name = Code_NameObjectEvent(
            Object_Name(static_cast<int32_t>(i)), Event_GetShortName(kEventTypeTimeLine, moment.step), 0);
        if (!Compile(moment.code, name, error)) return false;
      }
    }
    for (gamedata::Object& object : out_.objects) {
      for (gamedata::Event& event : object.events) {
        const std::string name =
            Code_NameObjectEvent(object.name, Event_GetShortName(event.type, event.number), 0);
        if (!Compile(event.code, name, error)) return false;
      }
    }
    for (gamedata::Room& room : out_.rooms) {
      if (!Compile(room.creationCode, Code_NameRoom(room.name), error)) return false;
      for (size_t n = 0; n < room.instances.size(); ++n) {
        const std::string name = Code_NameInstance(room.name, static_cast<int32_t>(n));
        if (!Compile(room.instances[n].creationCode, name, error)) return false;
      }
    }
    return true;
  }

 private:
  bool Compile(gamedata::CodeRef& ref, const std::string& name, std::string& error) {
    ref.stored = -1;
    if (ref.source.empty()) return true;
    CCode code(ref.source, false);
    if (!code.Compile(name)) {
      error = name + ": " + Compiler_LastError().text;
      Compiler_ClearError();
      return false;
    }
    ref.stored = static_cast<int32_t>(entries_.size());
    entries_.push_back(StoredBytecode_FromCode(code, out_, Script_GetName));
    return true;
  }

  GameDataWriter& out_;
  std::vector<gamedata::StoredCode> entries_;

 public:
  std::vector<gamedata::StoredCode> TakeEntries() { return std::move(entries_); }
};

// Every user variable the compiled code declared globalvar.
std::vector<std::string> DeclaredGlobals() {
  std::vector<std::string> names;
  for (int32_t n = 0; n < Code_Variable_UserCount(); ++n) {
    if (Variable_IsGlobalVar(kUserVariableBase + n)) names.push_back(Code_Variable_Name(kUserVariableBase + n));
  }
  return names;
}

// Puts the debug console back however the compile ends.
class QuietConsole {
 public:
  QuietConsole() : saved_(g_DebugConsole) { g_DebugConsole = &quiet_; }
  ~QuietConsole() { g_DebugConsole = saved_; }
  QuietConsole(const QuietConsole&) = delete;
  QuietConsole& operator=(const QuietConsole&) = delete;
  const std::string& Text() const { return quiet_.Text(); }

 private:
  TMemoryConsole quiet_;
  tagIConsole* saved_;
};

}  // namespace

bool StoredBytecode_CompileGame(GameDataWriter& game, std::string& error) {
  QuietConsole console;
  // What the runner's start-up makes ready before it loads a game and compiles its code.
  Constant_Init();
  Variable_BuiltIn_Init();
  Runner_InstallEngine();
  Code_SetUseVM(true);
  std::string constantMessage;
  Constant_SetMessageSink([&constantMessage](const std::string& text) { constantMessage = text; });

  if (!game.code.empty()) {
    error = "the game's code is stored bytecode already";
    return false;
  }
  GameDataWriter out = game;
  if (GameData_LoadImage(out.Build()) != GameLoadResult::Loaded) {
    error = "the game does not load:\n" + console.Text();
    Constant_SetMessageSink({});
    return false;
  }
  Variable_Global_Init();
  std::vector<std::pair<std::string, std::string>> constants;
  for (const UserConstant& c : Options_Get().constants) {
    if (c.name) constants.emplace_back(*c.name, c.value.value_or(std::string()));
  }
  const bool defined = Code_Constant_Prepare(constants);
  Constant_SetMessageSink({});
  if (!defined) {
    error = "the game's constants cannot be defined: " + constantMessage;
    return false;
  }

  Compiler compiler(out);
  if (!compiler.Run(error)) return false;
  out.code = compiler.TakeEntries();
  out.globalVariables = DeclaredGlobals();
  game = std::move(out);
  return true;
}
