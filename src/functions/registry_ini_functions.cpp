// The registry_* built-ins (named values kept in memory for the run) and the ini_* built-ins
// (one ini file open at a time).
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "functions/argument_helpers.h"
#include "functions/file_functions.h"
#include "platform/ini_file.h"
#include "platform/string_helpers.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

// ---- registry ------------------------------------------------------------------

struct RegistryEntry {
  std::string key;
  std::optional<std::string> value;
};

// In the order of creation; keys compare without regard to the case of ASCII letters.
std::vector<RegistryEntry> g_Registry;

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

RegistryEntry* Registry_Find(std::string_view key) {
  for (RegistryEntry& entry : g_Registry)
    if (SameKey(entry.key, key)) return &entry;
  return nullptr;
}

void Registry_Write(std::string_view key, std::string value) {
  RegistryEntry* entry = Registry_Find(key);
  if (entry == nullptr) entry = &g_Registry.emplace_back(RegistryEntry{std::string(key), std::nullopt});
  entry->value = std::move(value);
}

// The C library's atof in the "C" locale.
double AsciiToReal(std::string_view text) {
  std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}

// ---- ini -----------------------------------------------------------------------

std::unique_ptr<IniFile> g_IniCurrent;

void Ini_Close() {
  if (!g_IniCurrent) return;
  g_IniCurrent->Save();
  g_IniCurrent->Clear();
  g_IniCurrent.reset();
}

IniFile* IniForReading() {
  if (!g_IniCurrent) Error_Show_Action("Trying to read from undefined INI file", false);
  return g_IniCurrent.get();
}

IniFile* IniForChange() {
  if (!g_IniCurrent) Error_Show_Action("Trying to change undefined INI file", false);
  return g_IniCurrent.get();
}

std::string TextOf(const ScriptValue& value) { return std::string(Arg_String(value)); }

}  // namespace

void Registry_Clear() { g_Registry.clear(); }

// ---- registry built-ins ------------------------------------------------------------

void F_RegistryWriteString(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Registry_Write(Arg_String(args[0]), TextOf(args[1]));
}
void F_RegistryWriteReal(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Registry_Write(Arg_String(args[0]), File_FormatFixed(args[1].real));
}
void F_RegistryReadString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const RegistryEntry* entry = Registry_Find(Arg_String(args[0]));
  result.SetString(entry != nullptr && entry->value ? *entry->value : std::string());
}
void F_RegistryReadReal(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const RegistryEntry* entry = Registry_Find(Arg_String(args[0]));
  result.SetReal(entry != nullptr && entry->value ? AsciiToReal(*entry->value) : 0.0);
}
void F_RegistryExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Registry_Find(Arg_String(args[0])) != nullptr ? 1.0 : 0.0);
}
void F_RegistryWriteStringExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}
void F_RegistryWriteRealExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}
void F_RegistryReadStringExt(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetString({}); }
void F_RegistryReadRealExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}
void F_RegistryExistsExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}
void F_RegistrySetRoot(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}

// ---- ini built-ins -----------------------------------------------------------------

void F_IniOpen(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Ini_Close();
  g_IniCurrent = std::make_unique<IniFile>();
  g_IniCurrent->Open(Arg_String(args[0]), false);
}

void F_IniClose(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Ini_Close(); }

void F_IniReadString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  IniFile* ini = IniForReading();
  if (ini == nullptr) return;
  const std::string* value = ini->FindKey(Arg_String(args[0]), Arg_String(args[1]));
  result.SetString(value != nullptr ? *value : TextOf(args[2]));
}

void F_IniReadReal(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  IniFile* ini = IniForReading();
  if (ini == nullptr) return;
  const std::string* value = ini->FindKey(Arg_String(args[0]), Arg_String(args[1]));
  if (value != nullptr) {
    result.SetReal(AsciiToReal(*value));
  } else {
    result.SetReal(args[2].IsString() ? AsciiToReal(Arg_String(args[2])) : args[2].real);
  }
}

void F_IniWriteString(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  IniFile* ini = IniForReading();
  if (ini == nullptr) return;
  if (!args[0].IsString() || !args[1].IsString() || !args[2].IsString()) {
    Arg_ReportWrongTypes("ini_write_string");
    return;
  }
  ini->WriteString(TextOf(args[0]).c_str(), TextOf(args[1]).c_str(), TextOf(args[2]).c_str());
}

void F_IniWriteReal(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  IniFile* ini = IniForReading();
  if (ini == nullptr) return;
  if (!args[0].IsString() || !args[1].IsString() || !args[2].IsReal()) {
    Arg_ReportWrongTypes("ini_write_real");
    return;
  }
  ini->WriteString(TextOf(args[0]).c_str(), TextOf(args[1]).c_str(), File_FormatFixed(args[2].real).c_str());
}

void F_IniKeyExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  IniFile* ini = IniForReading();
  if (ini == nullptr) return;
  result.SetReal(ini->FindKey(Arg_String(args[0]), Arg_String(args[1])) != nullptr ? 1.0 : 0.0);
}

void F_IniSectionExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  IniFile* ini = IniForReading();
  if (ini == nullptr) return;
  result.SetReal(ini->FindSection(Arg_String(args[0])) != nullptr ? 1.0 : 0.0);
}

void F_IniKeyDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (IniFile* ini = IniForChange()) ini->DeleteKey(Arg_String(args[0]), Arg_String(args[1]));
}

void F_IniSectionDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (IniFile* ini = IniForChange()) ini->DeleteSection(Arg_String(args[0]));
}

namespace {
struct IniBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr IniBuiltin kRegistryIniBuiltins[] = {
    {"registry_write_string", F_RegistryWriteString, 2},
    {"registry_write_real", F_RegistryWriteReal, 2},
    {"registry_read_string", F_RegistryReadString, 1},
    {"registry_read_real", F_RegistryReadReal, 1},
    {"registry_exists", F_RegistryExists, 1},
    {"registry_write_string_ext", F_RegistryWriteStringExt, 3},
    {"registry_write_real_ext", F_RegistryWriteRealExt, 3},
    {"registry_read_string_ext", F_RegistryReadStringExt, 2},
    {"registry_read_real_ext", F_RegistryReadRealExt, 2},
    {"registry_exists_ext", F_RegistryExistsExt, 2},
    {"registry_set_root", F_RegistrySetRoot, 1},
    {"ini_open", F_IniOpen, 1},
    {"ini_close", F_IniClose, 0},
    {"ini_read_string", F_IniReadString, 3},
    {"ini_read_real", F_IniReadReal, 3},
    {"ini_write_string", F_IniWriteString, 3},
    {"ini_write_real", F_IniWriteReal, 3},
    {"ini_key_exists", F_IniKeyExists, 2},
    {"ini_section_exists", F_IniSectionExists, 1},
    {"ini_key_delete", F_IniKeyDelete, 2},
    {"ini_section_delete", F_IniSectionDelete, 1},
};
static_assert(std::size(kRegistryIniBuiltins) == 21);
}  // namespace

void InitRegistryAndIniFunctions() {
  for (const IniBuiltin& builtin : kRegistryIniBuiltins) {
    Function_Add(builtin.name, builtin.implementation, builtin.argc);
  }
}
