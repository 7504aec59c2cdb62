#include "script/constants.h"

#include <array>
#include <unordered_map>
#include <vector>

#include "platform/message_box.h"
#include "script/builtin_constants.h"
#include "script/code.h"

namespace {

struct ConstantEntry {
  std::string name;
  ScriptValue value;
};

struct ConstantState {
  std::vector<ConstantEntry> entries;
  // Exact name to the newest entry of that name.
  std::unordered_map<std::string, size_t> newest;
  // The same, by the name in lower case (for lookups that ignore case).
  std::unordered_map<std::string, size_t> newestIgnoringCase;
  std::array<ResourceFinder, kResourceKindCount> finders;
  int32_t counter = 0;  // numbers the code objects of user-constant values
  ConstantMessageSink messages;
  TemporaryInstanceProvider temporaryInstance;
};

ConstantState& State() {
  static ConstantState state;
  return state;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

void ShowConstantMessage(const std::string& text) {
  if (State().messages) {
    State().messages(text);
  } else {
    ShowMessage(text);
  }
}

}  // namespace

void Constant_SetResourceFinder(ResourceKind kind, ResourceFinder finder) {
  State().finders[static_cast<size_t>(kind)] = std::move(finder);
}

void Constant_Add(std::string_view name, const ScriptValue& value) {
  ConstantState& state = State();
  state.entries.push_back({std::string(name), value});
  state.newest[state.entries.back().name] = state.entries.size() - 1;
  state.newestIgnoringCase[LowerAscii(name)] = state.entries.size() - 1;
}

void Constant_AddReal(std::string_view name, double value) {
  Constant_Add(name, ScriptValue::Real(value));
}

bool Constant_Resolve(std::string_view name, ScriptValue& value) {
  value.SetReal(0.0);
  for (const ResourceFinder& finder : State().finders) {
    int32_t index = -1;
    if (finder && finder(name, index)) {
      value.SetReal(static_cast<double>(index));
      return true;
    }
  }
  auto found = State().newest.find(std::string(name));
  if (found == State().newest.end()) return false;
  value = State().entries[found->second].value;
  return true;
}

const double* Constant_Find(std::string_view name) {
  ConstantState& state = State();
  const auto found = state.newestIgnoringCase.find(LowerAscii(name));
  return found == state.newestIgnoringCase.end() ? nullptr : &state.entries[found->second].value.real;
}

bool Constant_IsValidName(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(name[0])) return false;
  for (char c : name.substr(1)) {
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

bool Constant_Evaluate(const std::string& text, ScriptValue& value) {
  CCode code(text, true);
  bool compiled = code.Compile(Code_NameConstant(State().counter));
  ++State().counter;
  auto body = [&](CInstance* instance) {
    return compiled && Code_Execute_Value(instance, instance, code, value);
  };
  if (State().temporaryInstance) return State().temporaryInstance(body);
  return body(nullptr);
}

bool Constant_Define(std::string_view name, const std::string& text) {
  if (!Constant_IsValidName(name)) {
    ShowConstantMessage("Constant name " + std::string(name) + "  is not valid.");
    return false;
  }
  ScriptValue value;
  if (!Constant_Evaluate(text, value)) {
    ShowConstantMessage("Value for constant " + std::string(name) + "  is not valid.");
    return false;
  }
  Constant_Add(name, value);
  return true;
}

bool Code_Constant_Prepare(std::span<const std::pair<std::string, std::string>> constants) {
  for (const auto& [name, text] : constants) {
    if (!Constant_Define(name, text)) return false;
  }
  return true;
}

void Constant_AddEnvironmentConstants() {
  for (const BuiltinConstant& constant : Constant_EnvironmentList()) {
    Constant_AddReal(constant.name, constant.value);
  }
}

void Constant_Init() {
  for (const BuiltinConstant& constant : Constant_BuiltinList()) {
    Constant_AddReal(constant.name, constant.value);
  }
  Constant_AddEnvironmentConstants();
}

void Constant_FreeAll() {
  State().entries.clear();
  State().newest.clear();
  State().newestIgnoringCase.clear();
}

int32_t Constant_Count() { return static_cast<int32_t>(State().entries.size()); }

void Constant_SetMessageSink(ConstantMessageSink sink) { State().messages = std::move(sink); }

void Constant_SetTemporaryInstanceProvider(TemporaryInstanceProvider provider) {
  State().temporaryInstance = std::move(provider);
}
