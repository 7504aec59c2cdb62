// The registration of the resource family, and its sound, font and script built-ins.
#include "functions/resource_functions.h"

#include <algorithm>
#include <string>
#include <vector>

#include "audio/sound_resources.h"
#include "data/game_data.h"
#include "data/game_options.h"
#include "data/scripts.h"
#include "data/sprite.h"
#include "functions/argument_helpers.h"
#include "functions/path_timeline_functions.h"
#include "graphics/fonts.h"
#include "script/compiler/compile_error_sink.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

using Args = ScriptValue*;

void Report(const char* message) { Error_Show_Action(message, false); }

struct Row {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

template <size_t N>
void AddRows(const Row (&rows)[N]) {
  for (const Row& row : rows) Function_Add(row.name, row.implementation, row.argc);
}

// ---- sounds ----

// The built-ins of the older sound engine do nothing at all while the newer engine is on.
bool OldSoundEngine() { return !Options_Get().newAudio; }

// A sound file named by game code: the game folder, else the save area, else the name as given.
std::string SoundPath(const ScriptValue& name) {
  const std::string given(Arg_String(name));
  std::string path = Resource_FindFile(given);
  return path.empty() ? given : path;
}

void F_SoundExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Sound_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_SoundName(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetString(Sound_GetName(Arg_Rounded(a[0])).value_or(std::string()));
}
void F_SoundGetKind(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CSound* sound = Sound_Data(Arg_Rounded(a[0]));
  r.SetReal(sound == nullptr ? -1 : sound->kind);
}
void F_SoundGetPreload(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CSound* sound = Sound_Data(Arg_Rounded(a[0]));
  r.SetReal(sound == nullptr ? -1 : sound->preload ? 1 : 0);
}
void F_SoundDiscard(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (!OldSoundEngine()) return;
  if (CSound* sound = Sound_Data(Arg_Rounded(a[0]))) sound->Discard();
}
void F_SoundRestore(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (!OldSoundEngine()) return;
  if (CSound* sound = Sound_Data(Arg_Rounded(a[0]))) sound->Restore();
}
void F_SoundAdd(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  if (!OldSoundEngine()) return;
  r.SetReal(Sound_Add(SoundPath(a[0]), Arg_Rounded(a[1]), Arg_Flag(a[2])));
}
void F_SoundReplace(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  if (!OldSoundEngine()) return;
  const int32_t index = Arg_Rounded(a[0]);
  if (!Sound_Exists(index)) {
    Report("Trying to replace non-existing sound.");
    return;
  }
  r.SetReal(Sound_Replace(index, SoundPath(a[1]), Arg_Rounded(a[2]), Arg_Flag(a[3])) ? 1 : 0);
}
void F_SoundDelete(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  if (!OldSoundEngine()) return;
  const int32_t index = Arg_Rounded(a[0]);
  if (!Sound_Exists(index)) {
    Report("Trying to delete non-existing sound.");
    return;
  }
  r.SetReal(Sound_Delete(index) ? 1 : 0);
}

constexpr Row kSoundRows[] = {
    {"sound_exists", F_SoundExists, 1},       {"sound_name", F_SoundName, 1},
    {"sound_get_name", F_SoundName, 1},       {"sound_get_kind", F_SoundGetKind, 1},
    {"sound_get_preload", F_SoundGetPreload, 1}, {"sound_discard", F_SoundDiscard, 1},
    {"sound_restore", F_SoundRestore, 1},     {"sound_add", F_SoundAdd, 3},
    {"sound_replace", F_SoundReplace, 4},     {"sound_delete", F_SoundDelete, 1},
};

// ---- fonts ----

void F_FontExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Font_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_FontName(ScriptValue& r, CInstance*, CInstance*, int, Args a) { r.SetString(Font_Name(Arg_Rounded(a[0]))); }
void F_FontGetFontname(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CFontKF* font = Font_Data(Arg_Rounded(a[0]));
  r.SetString(font == nullptr ? std::string() : font->GetName());
}

enum class FontField { Size, Bold, Italic, First, Last };
template <FontField F>
void F_FontGet(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CFontKF* font = Font_Data(Arg_Rounded(a[0]));
  if (font == nullptr) {
    r.SetReal(-1);
    return;
  }
  switch (F) {
    case FontField::Size: r.SetReal(font->GetSize()); break;
    case FontField::Bold: r.SetReal(font->GetBold() ? 1 : 0); break;
    case FontField::Italic: r.SetReal(font->GetItalic() ? 1 : 0); break;
    case FontField::First: r.SetReal(font->GetFirst()); break;
    case FontField::Last: r.SetReal(font->GetLast()); break;
  }
}

void F_FontAdd(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Font_Add(Arg_String(a[0]), Arg_Rounded(a[1]), Arg_Flag(a[2]), Arg_Flag(a[3]), Arg_Rounded(a[4]),
                     Arg_Rounded(a[5])));
}

// The sprite a font is made from; null after the report.
bool SpriteForFont(int32_t sprite, const char* message) {
  if (Sprite_Exists(sprite)) return true;
  Report(message);
  return false;
}

void F_FontAddSprite(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t sprite = Arg_Rounded(a[0]);
  if (!SpriteForFont(sprite, "Trying to create font from non-existing sprite.")) return;
  r.SetReal(Font_AddSprite(sprite, Arg_Rounded(a[1]), Arg_Flag(a[2]), Arg_Rounded(a[3])));
}
void F_FontAddSpriteExt(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t sprite = Arg_Rounded(a[0]);
  if (!SpriteForFont(sprite, "Trying to create font from non-existing sprite.")) return;
  r.SetReal(Font_AddSpriteExt(sprite, Arg_String(a[1]), Arg_Flag(a[2]), Arg_Rounded(a[3])));
}

// The font to replace; false after the report.
bool FontToReplace(int32_t index) {
  if (Font_Exists(index)) return true;
  Report("Trying to replace non-existing font.");
  return false;
}

void F_FontReplace(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!FontToReplace(index)) return;
  r.SetReal(Font_Replace(index, Arg_String(a[1]), Arg_Rounded(a[2]), Arg_Flag(a[3]), Arg_Flag(a[4]),
                         Arg_Rounded(a[5]), Arg_Rounded(a[6]))
                ? 1
                : 0);
}
void F_FontReplaceSprite(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  const int32_t sprite = Arg_Rounded(a[1]);
  if (!FontToReplace(index) || !SpriteForFont(sprite, "Trying to replace font from non-existing sprite.")) return;
  r.SetReal(Font_ReplaceSprite(index, sprite, Arg_Rounded(a[2]), Arg_Flag(a[3]), Arg_Rounded(a[4])) ? 1 : 0);
}
void F_FontReplaceSpriteExt(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  const int32_t sprite = Arg_Rounded(a[1]);
  if (!FontToReplace(index) || !SpriteForFont(sprite, "Trying to replace font from non-existing sprite.")) return;
  r.SetReal(Font_ReplaceSpriteExt(index, sprite, Arg_String(a[2]), Arg_Flag(a[3]), Arg_Rounded(a[4])) ? 1 : 0);
}
void F_FontDelete(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Font_Exists(index)) {
    Report("Trying to delete non-existing font.");
    return;
  }
  r.SetReal(Font_Delete(index) ? 1 : 0);
}

constexpr Row kFontRows[] = {
    {"font_exists", F_FontExists, 1},
    {"font_name", F_FontName, 1},
    {"font_get_name", F_FontName, 1},
    {"font_get_fontname", F_FontGetFontname, 1},
    {"font_get_size", F_FontGet<FontField::Size>, 1},
    {"font_get_bold", F_FontGet<FontField::Bold>, 1},
    {"font_get_italic", F_FontGet<FontField::Italic>, 1},
    {"font_get_first", F_FontGet<FontField::First>, 1},
    {"font_get_last", F_FontGet<FontField::Last>, 1},
    {"font_add", F_FontAdd, 6},
    {"font_add_sprite", F_FontAddSprite, 4},
    {"font_add_sprite_ext", F_FontAddSpriteExt, 4},
    {"font_replace", F_FontReplace, 7},
    {"font_replace_sprite", F_FontReplaceSprite, 5},
    {"font_replace_sprite_ext", F_FontReplaceSpriteExt, 5},
    {"font_delete", F_FontDelete, 1},
};

// ---- scripts ----

// At most this many values (the index included) are taken from a script_execute call.
constexpr int kMaxExecuteArguments = 16;

void F_ScriptExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Script_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_ScriptName(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetString(Script_GetName(Arg_Rounded(a[0])));
}
void F_ScriptGetText(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CScript* script = Script_Data(Arg_Rounded(a[0]));
  r.SetString(script == nullptr ? std::string() : script->GetText());
}

void F_ScriptExecute(ScriptValue& r, CInstance* self, CInstance* other, int argc, Args a) {
  if (argc < 1) return;
  const int32_t index = Arg_Rounded(a[0]);
  if (!Script_Exists(index)) {
    Report("Trying to execute non-existing script.");
    return;
  }
  const int passed = std::min(argc, kMaxExecuteArguments) - 1;
  // Copies: the script may change its arguments while the caller's values stay as they were.
  std::vector<ScriptValue> arguments(a + 1, a + 1 + passed);
  ScriptValue value;
  value.SetReal(0);
  Script_Perform(index, self, other, passed, value, arguments.data());
  if (Compiler_LastError().pending) {
    const std::string text = Compiler_LastError().text;
    Compiler_ClearError();
    Report(text.c_str());
  }
  r = std::move(value);
}

constexpr Row kScriptRows[] = {
    {"script_exists", F_ScriptExists, 1},     {"script_name", F_ScriptName, 1},
    {"script_get_name", F_ScriptName, 1},     {"script_get_text", F_ScriptGetText, 1},
    {"script_execute", F_ScriptExecute, -1},
};

}  // namespace

void RegisterSoundResourceFunctions() { AddRows(kSoundRows); }
void RegisterFontFunctions() { AddRows(kFontRows); }
void RegisterScriptFunctions() { AddRows(kScriptRows); }

void InitResourceFunctions() {
  RegisterSpriteAndBackgroundFunctions(GameData_CodeVersion() >= kCodeVersionCurrent);
  RegisterSoundResourceFunctions();
  RegisterFontFunctions();
  RegisterPathFunctions();
  RegisterScriptFunctions();
  RegisterTimeLineFunctions();
  RegisterObjectAndRoomFunctions();
}
