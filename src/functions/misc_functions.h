// Event and debug-output built-ins: performing user events and the parent's event, and
// writing to the debug message console. InitMiscFunctions registers them.
#pragma once

#include "script/builtin_function.h"

void InitMiscFunctions();

BuiltinSignature F_EventUser;
BuiltinSignature F_EventInherited;
BuiltinSignature F_ShowDebugMessage;
