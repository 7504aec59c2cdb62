// Instance, room and game built-ins: counting, finding, creating and destroying instances,
// moving between rooms and ending or restarting the game. InitGameFunctions registers them
// first among the families.
#pragma once

#include "script/builtin_function.h"

void InitGameFunctions();

BuiltinSignature F_InstanceNumber;
BuiltinSignature F_InstanceExists;
BuiltinSignature F_InstanceCreate;
BuiltinSignature F_InstanceDestroy;
BuiltinSignature F_RoomGoto;
BuiltinSignature F_RoomGotoPrevious;
BuiltinSignature F_RoomGotoNext;
BuiltinSignature F_RoomRestart;
BuiltinSignature F_GameEnd;
BuiltinSignature F_GameRestart;
