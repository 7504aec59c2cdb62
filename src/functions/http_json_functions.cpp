#include "functions/http_json_functions.h"

#include <json-c/json.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "functions/argument_helpers.h"
#include "functions/ds_functions.h"
#include "functions/file_functions.h"
#include "platform/ds_map.h"
#include "script/error_report.h"
#include "script/function_table.h"

int32_t HTTP_ResultCallback(HTTP_REQ_CONTEXT& request, int32_t& asyncMap) {
  std::string text = request.body.substr(0, request.body.find('\0'));
  const bool someBody = !request.failed && !request.body.empty();
  asyncMap = DSMap_CreateFromPairs({
      {"id", double(request.id), std::nullopt},
      {"url", 0.0, request.url},
      {"result", 0.0, std::move(text)},
      {"http_status", double(request.httpStatus), std::nullopt},
      {"status", someBody ? 0.0 : -1.0, std::nullopt},
  });
  return kAsyncEventHttp;
}

namespace {

// ---- JSON text to ds structures ------------------------------------------------------

struct JsonPut {
  void operator()(json_object* object) const { json_object_put(object); }
};
using JsonPtr = std::unique_ptr<json_object, JsonPut>;

void ToScriptValue(json_object* json, ScriptValue& value) {
  switch (json_object_get_type(json)) {
    case json_type_boolean:
      value.SetReal(json_object_get_boolean(json) ? 1.0 : 0.0);
      break;
    case json_type_double:
      value.SetReal(json_object_get_double(json));
      break;
    case json_type_int:
      value.SetReal(static_cast<double>(json_object_get_int64(json)));
      break;
    case json_type_string:
      value.SetString(std::string(json_object_get_string(json), size_t(json_object_get_string_len(json))));
      break;
    default:
      break;
  }
}

int32_t ObjectToMap(json_object* object);

int32_t ArrayToList(json_object* array) {
  auto list = std::make_unique<CDS_List>();
  const size_t length = json_object_array_length(array);
  for (size_t i = 0; i < length; ++i) {
    json_object* element = json_object_array_get_idx(array, i);
    ScriptValue value;
    switch (json_object_get_type(element)) {
      case json_type_array:
        value = DS_MarkedIndex(kDSMarkList, ArrayToList(element));
        break;
      case json_type_object:
        value = DS_MarkedIndex(kDSMarkMap, ObjectToMap(element));
        break;
      default:
        ToScriptValue(element, value);
        break;
    }
    list->Add(value);
  }
  return DS_Tables().lists.Add(std::move(list));
}

int32_t ObjectToMap(json_object* object) {
  auto map = std::make_unique<CDS_Map>();
  json_object_object_foreach(object, name, member) {
    if (member == nullptr || json_object_get_type(member) == json_type_null) continue;
    ScriptValue value;
    switch (json_object_get_type(member)) {
      case json_type_object:
        value = DS_MarkedIndex(kDSMarkMap, ObjectToMap(member));
        break;
      case json_type_array:
        value = DS_MarkedIndex(kDSMarkList, ArrayToList(member));
        break;
      default:
        ToScriptValue(member, value);
        break;
    }
    map->Add(ScriptValue(std::string(name)), value);
  }
  return DSMap_NewIndex(std::move(map));
}

std::string Wrapped(std::string_view text) {
  return "{ \"default\" : \"" + std::string(text) + "\" }";
}

bool LooksLikeObject(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  size_t last = text.size();
  while (last > 0 && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return first < last && text[first] == '{' && text[last - 1] == '}';
}

JsonPtr ParseObject(const std::string& text) {
  JsonPtr parsed(json_tokener_parse(text.c_str()));
  if (parsed && json_object_get_type(parsed.get()) != json_type_object) parsed.reset();
  return parsed;
}

// ---- ds structures to JSON text ------------------------------------------------------

// How deep maps and lists may nest below the map being written. Only a crafted ds_*_read text
// can nest them deeper, and writing such a chain would exhaust the stack.
constexpr size_t kMaxEncodedDepth = 1000;

// The structures being written, so that a map or list that contains itself ends as null.
struct Encoder {
  std::vector<const void*> open;
  bool tooDeep = false;

  bool Enter(const void* container) {
    if (tooDeep || open.size() >= kMaxEncodedDepth) {
      tooDeep = true;
      return false;
    }
    for (const void* c : open)
      if (c == container) return false;
    open.push_back(container);
    return true;
  }

  json_object* Value(const ScriptValue& value) {
    if (value.Kind() == kDSMarkMap) {
      const CDS_Map* map = DS_Tables().maps.Get(Arg_Truncated(value));
      return map != nullptr ? Map(*map) : nullptr;
    }
    if (value.Kind() == kDSMarkList) {
      const CDS_List* list = DS_Tables().lists.Get(Arg_Truncated(value));
      return list != nullptr ? List(*list) : nullptr;
    }
    if (value.IsReal()) return json_object_new_double(value.real);
    if (value.IsString()) return json_object_new_string_len(value.Text().data(), static_cast<int>(value.Text().size()));
    return nullptr;
  }

  json_object* Map(const CDS_Map& map) {
    if (!Enter(&map)) return nullptr;
    json_object* object = json_object_new_object();
    for (const DSMapEntry* entry = map.FindFirst(); entry != nullptr; entry = map.FindNext(entry->key)) {
      std::string name = entry->key.IsString() ? std::string(entry->key.Text()) : std::to_string(Arg_Truncated(entry->key));
      json_object_object_add(object, name.c_str(), Value(entry->value));
    }
    open.pop_back();
    return object;
  }

  json_object* List(const CDS_List& list) {
    if (!Enter(&list)) return nullptr;
    json_object* array = json_object_new_array();
    for (int32_t i = 0; i < list.Size(); ++i) json_object_array_add(array, Value(*list.FindValue(i)));
    open.pop_back();
    return array;
  }
};

}  // namespace

int32_t Json_Decode(const ScriptValue& argument) {
  std::string text;
  if (argument.IsReal()) {
    int length = std::snprintf(nullptr, 0, "{ \"default\" : \"%.2f\" }", argument.real);
    text.resize(size_t(length) + 1);
    std::snprintf(text.data(), text.size(), "{ \"default\" : \"%.2f\" }", argument.real);
    text.resize(size_t(length));
  } else {
    text = std::string(Arg_String(argument));
  }
  std::string_view given = Arg_String(argument);
  JsonPtr parsed = ParseObject(LooksLikeObject(text) ? text : Wrapped(given));
  if (!parsed) parsed = ParseObject(Wrapped(given));
  if (!parsed) return -1;
  return ObjectToMap(parsed.get());
}

std::string Json_Encode(int32_t mapIndex) {
  const CDS_Map* map = DS_Tables().maps.Get(mapIndex);
  if (map == nullptr) return {};
  Encoder encoder;
  JsonPtr object(encoder.Map(*map));
  if (encoder.tooDeep) {
    Error_Show_Action("Data structure is nested too deeply.", false);
    return {};
  }
  return json_object_to_json_string(object.get());
}

// ---- built-ins -------------------------------------------------------------------------

namespace {
bool IsWebAddress(std::string_view url) {
  return url.substr(0, 7) == "http://" || url.substr(0, 8) == "https://";
}
}  // namespace

void F_HttpGet(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string_view url = Arg_String(args[0]);
  result.SetReal(IsWebAddress(url) ? HTTP_Get(url, HTTP_ResultCallback) : -1);
}

void F_HttpPostString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  std::string_view url = Arg_String(args[0]);
  result.SetReal(IsWebAddress(url) ? HTTP_Post(url, Arg_String(args[1]), HTTP_ResultCallback) : -1);
}

void F_JsonEncode(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(Json_Encode(Arg_Truncated(args[0])));
}

void F_JsonDecode(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Json_Decode(args[0]));
}

void InitHttpAndJsonFunctions() {
  Function_Add("http_post_string", F_HttpPostString, 2);
  Function_Add("http_get", F_HttpGet, 1);
  Function_Add("json_encode", F_JsonEncode, 1);
  Function_Add("json_decode", F_JsonDecode, 1);
}
