#include "functions/multiplayer_functions.h"

#include "functions/argument_helpers.h"
#include "functions/multiplayer_layer.h"
#include "script/builtin_function.h"
#include "script/function_table.h"

namespace {

// Without a transport: connecting, sessions, players, sending and receiving answer 0 and
// change nothing (the result stays the real 0 the caller set).
void F_MplayNoTransport(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}

// Session and player names and the local address: the empty string.
void F_MplayEmptyString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetString(""); }

// Neither the connection nor the session status changes without a transport.
void F_MplayStatus(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetReal(0.0); }

void F_MplaySessionMode(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  DPlay_SetSessionMode(Arg_Rounded(args[0]) >= 1);
}

void F_MplayDataMode(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  DPlay_SetDataMode(Arg_Flag(args[0]));
}

void F_MplayMessageId(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(DPlay_CurrentMessage().messageId);
}

void F_MplayMessageValue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result = DPlay_CurrentMessage().value;
}

void F_MplayMessagePlayer(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(DPlay_CurrentMessage().playerId);
}

void F_MplayMessageName(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetString(DPlay_SenderName());
}

struct MplayBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr MplayBuiltin kMplayBuiltins[] = {
    {"mplay_init_ipx", F_MplayNoTransport, 0},
    {"mplay_init_tcpip", F_MplayNoTransport, 1},
    {"mplay_init_modem", F_MplayNoTransport, 2},
    {"mplay_init_serial", F_MplayNoTransport, 5},
    {"mplay_connect_status", F_MplayStatus, 0},
    {"mplay_end", F_MplayNoTransport, 0},
    {"mplay_session_mode", F_MplaySessionMode, 1},
    {"mplay_session_create", F_MplayNoTransport, 3},
    {"mplay_session_find", F_MplayNoTransport, 0},
    {"mplay_session_name", F_MplayEmptyString, 1},
    {"mplay_session_join", F_MplayNoTransport, 2},
    {"mplay_session_status", F_MplayStatus, 0},
    {"mplay_session_end", F_MplayNoTransport, 0},
    {"mplay_player_find", F_MplayNoTransport, 0},
    {"mplay_player_name", F_MplayEmptyString, 1},
    {"mplay_player_id", F_MplayNoTransport, 1},
    {"mplay_data_write", F_MplayNoTransport, 2},
    {"mplay_data_read", F_MplayNoTransport, 1},
    {"mplay_data_mode", F_MplayDataMode, 1},
    {"mplay_message_send", F_MplayNoTransport, 3},
    {"mplay_message_send_guaranteed", F_MplayNoTransport, 3},
    {"mplay_message_receive", F_MplayNoTransport, 1},
    {"mplay_message_id", F_MplayMessageId, 0},
    {"mplay_message_value", F_MplayMessageValue, 0},
    {"mplay_message_player", F_MplayMessagePlayer, 0},
    {"mplay_message_name", F_MplayMessageName, 0},
    {"mplay_message_count", F_MplayNoTransport, 1},
    {"mplay_message_clear", F_MplayNoTransport, 1},
    {"mplay_ipaddress", F_MplayEmptyString, 0},
};

}  // namespace

void InitDPlayFunctions() {
  for (const MplayBuiltin& builtin : kMplayBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
