// The signature every built-in function implements.
#pragma once

#include "script/script_value.h"

class CInstance;

// result is the real 0 on entry; the built-in stores its answer there. self and other are
// the instances of the running event. args holds argc values owned by the caller.
using BuiltinFunction = void (*)(ScriptValue& result, CInstance* self, CInstance* other, int argc,
                                 ScriptValue* args);

// The function type behind BuiltinFunction, for declaring implementations:
// `BuiltinSignature F_StringLength;`
using BuiltinSignature = void(ScriptValue& result, CInstance* self, CInstance* other, int argc,
                              ScriptValue* args);
