// The parse-tree interpreter: runs a checked tree directly, with its own operator rules
// (the ones of operators.h), for games started with "-oldexec".
//
// Every error is reported once through the compile-error record at the failing node's
// position, so it reads like a compile error with a line and a column; the run then ends.
#pragma once

#include <cstdint>
#include <memory>

#include "script/compiler/code_node.h"
#include "script/script_value.h"
#include "script/variable_list.h"

class CCode;
class CInstance;

// What a statement routine answers.
enum class ExecStatus : int32_t {
  Normal = 0,
  Error = -1,     // the message has been reported
  Exit = -2,      // exit or return
  Break = -3,
  Continue = -4,
};

// One run of one piece of code.
struct CodeExecContext {
  CInstance* self = nullptr;
  CInstance* other = nullptr;
  std::unique_ptr<CVariableList> locals;  // made on the first assignment to a local
  const CCode* code = nullptr;
  std::uintptr_t stackFloor = 0;  // Code_NativeStackFloor of the run
};

ExecStatus Code_Exec_Program(CodeExecContext& context, const CodeNode& root, ScriptValue& result);
ExecStatus Code_Exec_Expression(CodeExecContext& context, const CodeNode& node,
                                ScriptValue& result);
ExecStatus Code_Exec_Statement(CodeExecContext& context, const CodeNode& node,
                               ScriptValue& result);

// Runs code's tree for (self, other): its program, or its expression into result. False
// after an error (pending in the compile-error record).
bool Code_Exec_Run(const CCode& code, CInstance* self, CInstance* other, ScriptValue& result);

// Calls the interpreter makes outside the built-in table. Scripts default to Script_Perform;
// extension functions fail until the extension packages install theirs.
using TreeScriptCall = bool (*)(int32_t script, CInstance* self, CInstance* other, int32_t argc,
                                ScriptValue& result, const ScriptValue* args);
using TreeExtensionCall = bool (*)(int32_t function, CInstance* self, CInstance* other,
                                   int32_t argc, ScriptValue* args, ScriptValue& result);
void Code_Exec_SetScriptCall(TreeScriptCall call);
void Code_Exec_SetExtensionCall(TreeExtensionCall call);

// Plugs the interpreter into Code_Run (used whenever the machine is switched off).
void Code_Exec_Install();
