// http_get and http_post_string, whose answers reach the game as the asynchronous http event,
// and json_encode / json_decode between ds_maps (with nested maps and lists) and JSON text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/http.h"
#include "script/script_value.h"

// The callback of both requests: a map of "id", "url", "result" (the body up to its first NUL),
// "http_status" and "status" (0 when some body arrived, else -1), and the event number 62.
int32_t HTTP_ResultCallback(HTTP_REQ_CONTEXT& request, int32_t& asyncMap);

// The index of a new ds_map made from the JSON text (or the wrapped text, or the real), or -1.
int32_t Json_Decode(const ScriptValue& text);
// The JSON text of ds_map index; empty when there is no such map.
std::string Json_Encode(int32_t mapIndex);
