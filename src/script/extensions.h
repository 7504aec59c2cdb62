// Extension packages: functions (and constants) that a game adds to the scripting language.
// The game data's EXTN chunk lists packages; each package holds files, a file is a native
// library whose exports become script functions (through external_calls.h) or a file of
// script-language functions, and may name functions to run when the game starts and ends.
// Game code calls extension function n under the function-table id 500000 + n.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_data_reader.h"
#include "script/script_value.h"

class CCode;
class CInstance;

inline constexpr int32_t kExtensionMaxArguments = 16;
inline constexpr int32_t kExtensionTypeString = 1;
inline constexpr int32_t kExtensionTypeReal = 2;
inline constexpr int32_t kExtensionKindCdecl = 12;
inline constexpr int32_t kExtensionFileLibrary = 1;
inline constexpr int32_t kExtensionFileScripts = 2;
// Function numbers above this are refused as damaged data (they size the function table).
inline constexpr int32_t kExtensionMaxFunctionId = 1 << 20;

struct CExtensionFunction {
  std::string name;          // as game code calls it
  std::string externalName;  // the library export (library files)
  int32_t kind = 0;          // 12 cdecl, else stdcall
  int32_t id = 0;
  int32_t argc = -1;  // -1: any number
  std::array<int32_t, kExtensionMaxArguments> argTypes{};
  int32_t resultType = kExtensionTypeReal;
  std::optional<std::string> codeText;  // source of a script-language function

  CExtensionFunction() { argTypes.fill(kExtensionTypeReal); }
  // Index 16 and above reads as real.
  int32_t ArgType(int32_t i) const {
    return i >= 0 && i < kExtensionMaxArguments ? argTypes[static_cast<size_t>(i)] : kExtensionTypeReal;
  }
};

struct CExtensionConstant {
  std::string name;
  std::string value;  // source text of the value
};

struct CExtensionFile {
  std::string fileName;  // relative to the game's folder
  int32_t kind = 0;
  std::string initFunction;
  std::string finalFunction;
  std::vector<CExtensionFunction> functions;
  std::vector<CExtensionConstant> constants;
};

struct CExtensionPackage {
  std::string name;
  std::string folderName;
  std::vector<CExtensionFile> files;
};

// Reads the EXTN chunk. Damaged records (offsets outside the file, argument counts outside
// -1..16, function numbers outside 0..kExtensionMaxFunctionId) throw GameDataError.
void Extension_Load(const GameDataReader& reader, ChunkSpan body);
// Defines constants and library functions and compiles script-language functions. False
// (after a fatal "COMPILATION ERROR in extension package ..." report) when one does not compile.
bool Extension_Prepare();
// Run when the game starts (false keeps the first room from starting) and when it ends.
bool Extension_RunInitFunctions();
bool Extension_RunFinalFunctions();

int32_t Extension_FindFunction(std::string_view name);  // -1 when none
int32_t Extension_GetArgCount(int32_t id);               // -100 when none
std::optional<std::string> Extension_GetFunctionName(int32_t id);
bool Extension_IsScript(int32_t id);
const CCode* Extension_GetCode(int32_t id);
int32_t Extension_ExternalId(int32_t id);  // -1 when none

// The interpreter's call (id = function-table id - 500000).
bool Extension_Call(int32_t id, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args,
                    ScriptValue& result);
// The virtual machine's call: library functions only.
bool Extension_CallExternal(int32_t id, int argc, ScriptValue* args, ScriptValue& result);

// Points the function table, the interpreter and the virtual machine at the packages.
void Extension_Install();

std::vector<std::unique_ptr<CExtensionPackage>>& Extension_Table();
// Forgets every package and the function table (tests, and a new game).
void Extension_Reset();
