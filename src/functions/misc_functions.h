// Built-ins of the engine itself: performing events, external library functions, running code
// given as text or in a file, the debug message console, variables by name, and dates.
// InitMiscFunctions registers them.
#pragma once

#include "script/builtin_function.h"

void InitMiscFunctions();

BuiltinSignature F_EventPerform;
BuiltinSignature F_EventUser;
BuiltinSignature F_EventPerformObject;
BuiltinSignature F_EventInherited;

BuiltinSignature F_ExternalDefine;
BuiltinSignature F_ExternalCall;
BuiltinSignature F_ExternalFree;
BuiltinSignature F_ExternalDefine0;
BuiltinSignature F_ExternalDefine1;
BuiltinSignature F_ExternalDefine2;
BuiltinSignature F_ExternalDefine3;
BuiltinSignature F_ExternalDefine4;
BuiltinSignature F_ExternalDefine5;
BuiltinSignature F_ExternalDefine6;
BuiltinSignature F_ExternalDefine7;
BuiltinSignature F_ExternalDefine8;
// external_call0 .. external_call8 share this: the id and exactly argc - 1 arguments.
BuiltinSignature F_ExternalCallN;

BuiltinSignature F_ExecuteString;
BuiltinSignature F_ExecuteFile;
BuiltinSignature F_ShowDebugMessage;

BuiltinSignature F_VariableGlobalExists;
BuiltinSignature F_VariableLocalExists;
BuiltinSignature F_VariableGlobalGet;
BuiltinSignature F_VariableGlobalArrayGet;
BuiltinSignature F_VariableGlobalArray2Get;
BuiltinSignature F_VariableLocalGet;
BuiltinSignature F_VariableLocalArrayGet;
BuiltinSignature F_VariableLocalArray2Get;
BuiltinSignature F_VariableGlobalSet;
BuiltinSignature F_VariableGlobalArraySet;
BuiltinSignature F_VariableGlobalArray2Set;
BuiltinSignature F_VariableLocalSet;
BuiltinSignature F_VariableLocalArraySet;
BuiltinSignature F_VariableLocalArray2Set;
