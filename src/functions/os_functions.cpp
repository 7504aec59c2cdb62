#include "functions/os_functions.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

#include "data/game_data.h"
#include "functions/achievement_functions.h"
#include "functions/achievement_queue.h"
#include "functions/argument_helpers.h"
#include "functions/display_functions.h"
#include "functions/social_store_functions.h"
#include "platform/console.h"
#include "platform/file_locations.h"
#include "platform/files.h"
#include "platform/hashes.h"
#include "platform/process.h"
#include "platform/sdl/clipboard.h"
#include "platform/timing.h"
#include "platform/utf8.h"
#include "runner/command_line.h"
#include "runner/window.h"
#include "script/function_table.h"

namespace {

constexpr int32_t kDisplayDpi = 96;

// Exactly one argument and it a string; otherwise the report and false.
bool OneString(int argc, const ScriptValue* args) {
  if (argc != 1) {
    Arg_ReportIllegalCount();
    return false;
  }
  if (!args[0].IsString()) {
    Arg_ReportIllegalType();
    return false;
  }
  return true;
}

void OpenUrl(const ScriptValue& url) {
  const std::string_view text = Arg_String(url);
  const std::string_view prefix = text.substr(0, 7);
  if (prefix != "http://" && prefix != "https:/") return;
  const std::string target(text);
  Execute_Shell(target.c_str(), "", File_CurrentDirectory().c_str());
}

// The text's characters as 16-bit units, low byte first (no NUL unit).
std::string Utf16Bytes(const std::string& text) {
  std::string bytes;
  const char* p = text.c_str();
  while (*p != '\0') {
    const uint16_t unit = UTF8_GetChar(p);
    if (unit == 0) break;
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// The bytes of a file in the save area, else beside the game; nullopt when neither has it.
std::optional<std::string> GameFileBytes(std::string_view name) {
  for (const std::string& folder : {FileLocations_SaveArea(), FileLocations_GameFolder()}) {
    const std::string path = File_ResolvePath(folder + File_NormaliseSeparators(name));
    if (!File_Exists(path)) continue;
    std::ifstream file(path, std::ios::binary);
    if (!file) continue;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  return std::nullopt;
}

using Digest = std::string (*)(std::string_view bytes);

void StringDigest(ScriptValue& result, int argc, const ScriptValue* args, Digest digest, bool unicode) {
  result.SetString("");
  if (argc != 1 || !args[0].IsString()) return;
  const std::string text(Arg_String(args[0]));
  result.SetString(digest(unicode ? Utf16Bytes(text) : text));
}

void FileDigest(ScriptValue& result, int argc, const ScriptValue* args, Digest digest) {
  result.SetString("");
  if (argc != 1 || !args[0].IsString()) return;
  if (std::optional<std::string> bytes = GameFileBytes(Arg_String(args[0]))) result.SetString(digest(*bytes));
}

}  // namespace

std::string Os_LanguageOfLocale(std::string_view locale) {
  size_t end = 0;
  while (end < locale.size() && locale[end] >= 'a' && locale[end] <= 'z') ++end;
  if (end < 2 || end > 3) return "--";
  if (end < locale.size() && locale[end] != '_' && locale[end] != '.' && locale[end] != '@') return "--";
  return std::string(locale.substr(0, end));
}

void F_UrlOpen(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (OneString(argc, args)) OpenUrl(args[0]);
}

void F_UrlOpenExt(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (argc >= 1 && args[0].IsString()) OpenUrl(args[0]);
}

void F_UrlGetDomain(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetString("localhost"); }

void F_OsGetConfig(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetString(GameData_Header().configName);
}

void F_OsGetLanguage(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  // The first of the POSIX locale variables that is set decides, as for messages.
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      result.SetString(Os_LanguageOfLocale(value));
      return;
    }
  }
  result.SetString("--");
}

void F_OsIsNetworkConnected(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return;
  bool connected = false;
  for (const ifaddrs* at = list; at != nullptr && !connected; at = at->ifa_next) {
    const unsigned flags = at->ifa_flags;
    connected = at->ifa_addr != nullptr && (flags & IFF_UP) != 0 && (flags & IFF_RUNNING) != 0 &&
                (flags & IFF_LOOPBACK) == 0 &&
                (at->ifa_addr->sa_family == AF_INET || at->ifa_addr->sa_family == AF_INET6);
  }
  freeifaddrs(list);
  result.SetReal(connected ? 1.0 : 0.0);
}

namespace {
struct PauseEvent {
  bool pending = false;  // raised by the window since the last step
  bool paused = false;   // this step is the one after the window lost activation
};
PauseEvent g_pause;
}  // namespace

void OS_RaisePauseEvent() {
  g_DebugConsole->Output("OS has raised a pause event\n");
  g_pause.pending = true;
}

void OS_PauseEvent_Update() {
  if (g_pause.pending) {
    g_DebugConsole->Output("Pause event has been registered for this frame\n");
    g_pause.paused = true;
    g_pause.pending = false;
  } else if (g_pause.paused) {
    g_DebugConsole->Output("Pause event has been unregistered\n");
    g_pause.paused = false;
  }
}

bool OS_IsPaused() { return g_pause.paused; }

void Platform_FrameUpdate() {
  OS_PauseEvent_Update();
  Achievement_Update();
}

void F_OsIsPaused(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(OS_IsPaused() ? 1.0 : 0.0);
}

// Power saving and orientation locks have no meaning for a desktop window.
void F_OsPowersaveEnable(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}

void F_DisplayGetDpi(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetReal(kDisplayDpi); }

void F_GetTimer(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(static_cast<double>(Timing_Time()));
}

void F_SetProgramPriority(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  // The niceness of each priority; raising it above normal needs privileges and is then
  // refused quietly, as a refused priority class is.
  int nice = 0;
  switch (Arg_Rounded(args[0])) {
    case -3: nice = 19; break;
    case -2: nice = 10; break;
    case -1: nice = 5; break;
    case 1: nice = -5; break;
    case 2: nice = -10; break;
    case 3: nice = -20; break;
    default: nice = 0; break;
  }
  setpriority(PRIO_PROCESS, 0, nice);
}

void F_SetApplicationTitle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (args[0].IsString()) GR_Window_Set_Caption(Arg_CString(args[0]));
}

void F_ClipboardHasText(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(Clipboard_HasText() ? 1.0 : 0.0);
}

void F_ClipboardGetText(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetString(Clipboard_GetText());
}

void F_ClipboardSetText(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Clipboard_SetText(std::string(Arg_String(args[0])));
}

void F_Base64Encode(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetString("");
  if (argc == 1 && args[0].IsString()) result.SetString(Base64_Encode(Arg_String(args[0])));
}

void F_Base64Decode(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetString("");
  if (argc != 1 || !args[0].IsString()) return;
  std::string bytes = Base64_Decode(Arg_String(args[0]));
  bytes.resize(std::string_view(bytes.c_str()).size());  // up to the first NUL
  result.SetString(std::move(bytes));
}

void F_Md5StringUtf8(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) {
  StringDigest(r, argc, a, MD5_HexDigest, false);
}
void F_Md5StringUnicode(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) {
  StringDigest(r, argc, a, MD5_HexDigest, true);
}
void F_Md5File(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) { FileDigest(r, argc, a, MD5_HexDigest); }
void F_Sha1StringUtf8(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) {
  StringDigest(r, argc, a, SHA1_HexDigest, false);
}
void F_Sha1StringUnicode(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) {
  StringDigest(r, argc, a, SHA1_HexDigest, true);
}
void F_Sha1File(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) { FileDigest(r, argc, a, SHA1_HexDigest); }

namespace {
struct OsBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr OsBuiltin kPlatformBuiltins[] = {
    {"url_open", F_UrlOpen, 1},
    {"Tarn_OpenURL", F_UrlOpen, 1},
    {"url_open_ext", F_UrlOpenExt, 2},
    {"Tarn_OpenURL_ext", F_UrlOpenExt, 2},
    {"url_open_full", F_UrlOpenExt, 3},
    {"Tarn_OpenURL_full", F_UrlOpenExt, 3},
    {"url_get_domain", F_UrlGetDomain, 1},
    {"os_get_config", F_OsGetConfig, 0},
    {"Tarn_GetConfig", F_OsGetConfig, 0},
    {"os_get_language", F_OsGetLanguage, 0},
    {"os_is_network_connected", F_OsIsNetworkConnected, 0},
    {"os_is_paused", F_OsIsPaused, 0},
    {"Tarn_OSPauseEvent", F_OsIsPaused, 0},
    {"os_powersave_enable", F_OsPowersaveEnable, 1},
    {"os_lock_orientation", F_OsPowersaveEnable, 1},
    {"display_get_dpi_x", F_DisplayGetDpi, 0},
    {"display_get_dpi_y", F_DisplayGetDpi, 0},
    {"display_set_gui_size", F_DisplaySetGuiSize, 2},
    {"display_get_gui_width", F_DisplayGetGuiWidth, 0},
    {"display_get_gui_height", F_DisplayGetGuiHeight, 0},
    {"get_timer", F_GetTimer, 0},
    {"Tarn_GetTimer", F_GetTimer, 0},
    {"draw_enable_alphablend", F_DrawEnableAlphablend, 1},
    {"Tarn_EnableAlphaBlend", F_DrawEnableAlphablend, 1},
    {"draw_texture_flush", F_DrawTextureFlush, 0},
    {"base64_encode", F_Base64Encode, 1},
    {"base64_decode", F_Base64Decode, 1},
    {"md5_string_utf8", F_Md5StringUtf8, 1},
    {"md5_string_unicode", F_Md5StringUnicode, 1},
    {"md5_file", F_Md5File, 1},
    {"sha1_string_utf8", F_Sha1StringUtf8, 1},
    {"sha1_string_unicode", F_Sha1StringUnicode, 1},
    {"sha1_file", F_Sha1File, 1},
    // parameter_count and parameter_string are registered once, with the file family.
};

constexpr OsBuiltin kMiscOsBuiltins[] = {
    {"set_program_priority", F_SetProgramPriority, 1},
    {"set_application_title", F_SetApplicationTitle, 1},
    {"window_handle", F_WindowHandle, 0},
    {"clipboard_has_text", F_ClipboardHasText, 0},
    {"clipboard_get_text", F_ClipboardGetText, 0},
    {"clipboard_set_text", F_ClipboardSetText, 1},
};
}  // namespace

void InitPlatformFunctions() {
  for (const OsBuiltin& builtin : kPlatformBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
  Achievement_RegisterFunctions();
  SocialStore_RegisterFunctions();
}

void Os_RegisterMiscFunctions() {
  for (const OsBuiltin& builtin : kMiscOsBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
