#include "functions/dialog_functions.h"

#include <cstdio>
#include <cstdlib>

#include "functions/argument_helpers.h"
#include "platform/console.h"
#include "platform/conversions.h"
#include "platform/file_locations.h"
#include "platform/load_save.h"
#include "platform/message_box.h"
#include "platform/string_helpers.h"
#include "graphics/text.h"
#include "runner/dialogs.h"
#include "runner/highscore.h"
#include "runner/input.h"
#include "runner/run_globals.h"
#include "runner/window.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

constexpr size_t kRealTextLimit = 63;

std::string Caption() { return GR_Window_Get_Caption(); }

// "%.2f" of any real, however long.
std::string FixedTwoDecimals(double value) {
  const int length = std::snprintf(nullptr, 0, "%.2f", value);
  std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, "%.2f", value);
  return text;
}

// The text of a message: '#' breaks the line (shown as a line feed).
std::string MessageText(std::string_view text) {
  std::string shown = Text_HashToNewline(text);
  for (char& c : shown) {
    if (c == '\r') c = '\n';
  }
  return shown;
}

void SayOnConsole(const char* line) { g_DebugConsole->Output("%s", line); }

// ---- messages and queries

void F_ShowError(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Error_Show_Action(std::string(Arg_String(args[0])), Arg_Flag(args[1]));
}

void F_ShowInfo(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  SayOnConsole("show_info(str) not supported\n");
  IO_Clear();
}

void F_LoadInfo(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  SayOnConsole("load_info(str) not supported\n");
}

// The file dialogs: with anything but strings only the input is cleared.
void FileDialog(ScriptValue& result, int argc, const ScriptValue* args, int registeredCount, bool save) {
  result.SetString("");
  bool allStrings = argc == registeredCount;
  for (int i = 0; i < argc && allStrings; ++i) allStrings = args[i].IsString();
  if (!allStrings) {
    IO_Clear();
    return;
  }
  FileDialogRequest request;
  request.save = save;
  request.filters = Dialog_ParseFilter(std::string(Arg_String(args[0])));
  request.fileName = std::string(Arg_String(args[1]));
  if (argc == 4) {
    request.folder = std::string(Arg_String(args[2]));
    request.title = std::string(Arg_String(args[3]));
  }
  std::optional<std::string> chosen = Dialog_ChooseFile(request);
  if (chosen) {
    // A chosen file may be read (or written) by game code wherever it lies.
    const std::string full = FileLocations_FullPath(*chosen);
    if (save) FileLocations_AddSaveDialogPath(full);
    else FileLocations_AddOpenDialogPath(full);
    result.SetString(*chosen);
  }
  IO_Clear();
}

void F_GetOpenFilename(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  FileDialog(result, argc, args, 2, false);
}
void F_GetSaveFilename(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  FileDialog(result, argc, args, 2, true);
}
void F_GetOpenFilenameExt(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  FileDialog(result, argc, args, 4, false);
}
void F_GetSaveFilenameExt(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  FileDialog(result, argc, args, 4, true);
}

// ---- console-only built-ins

template <const char* kLine>
void StubClearOne(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  SayOnConsole(kLine);
  result.SetReal(1.0);
  IO_Clear();
}
template <const char* kLine>
void StubClearZero(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  SayOnConsole(kLine);
  IO_Clear();
}
template <const char* kLine>
void StubClearEmpty(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  SayOnConsole(kLine);
  result.SetString("");
  IO_Clear();
}
template <const char* kLine>
void StubSay(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  SayOnConsole(kLine);
}

constexpr char kShowMessageExt[] = "show_message_ext(str,but1,but2,but3) not impleneted\n";
constexpr char kShowMenu[] = "show_menu(str,default) not implemented.\n";
constexpr char kShowMenuPos[] = "show_menu_pos(X,Y,str,default) not implemented.\n";
constexpr char kGetColor[] = "get_color(def) is not implemented\n";
constexpr char kGetDirectory[] = "get_directory(dname) not implemented.\n";
constexpr char kGetDirectoryAlt[] = "get_directory_alt(capt,root) not implemented.\n";
constexpr char kMessageBackground[] = "message_background(back) not impleneted\n";
constexpr char kMessageButton[] = "message_button(spr) not impleneted\n";
constexpr char kMessageTextFont[] = "message_text_font(name,size,color,style) not impleneted\n";
constexpr char kMessageButtonFont[] = "message_button_font(name,size,color,style) not impleneted\n";
constexpr char kMessageInputFont[] = "message_input_font(name,size,color,style) not impleneted\n";
constexpr char kMessageAlpha[] = "message_alpha(alpha) not impleneted\n";
constexpr char kMessageMouseColor[] = "message_mouse_color(col) not impleneted\n";
constexpr char kMessageInputColor[] = "message_input_color(col) not impleneted\n";
constexpr char kMessagePosition[] = "message_position(x,y) not impleneted\n";
constexpr char kMessageSize[] = "message_size(w,h)not impleneted\n";
constexpr char kMessageCaption[] = "message_caption(show,str) not impleneted\n";

// ---- splash settings and players

bool SplashFlag(const ScriptValue& value) { return Arg_Rounded(value) > 0; }

template <bool SplashSettings::*kFlag>
void SetSplashFlag(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Splash_Settings().*kFlag = SplashFlag(args[0]);
}

void F_SplashSetCaption(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Splash_Settings().caption = std::string(Arg_String(args[0]));
}
void F_SplashSetSize(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Splash_Settings().width = Arg_Rounded(args[0]);
  Splash_Settings().height = Arg_Rounded(args[1]);
}
void F_SplashSetColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Splash_Settings().colour = Arg_Rounded(args[0]);
}
void F_SplashSetScale(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Splash_Settings().scale = Arg_Real(args[0]);
}

// The players show nothing; one that cannot find its file says so (not fatal).
void Player(const ScriptValue& fileName, const char* failure) {
  const std::string_view name = Arg_String(fileName);
  const bool found =
      !name.empty() && (LoadSave_BundleFileExists(name) || LoadSave_SaveFileExists(name));
  if (!found) Error_Show_Action(failure, false);
  IO_Clear();
}

constexpr char kVideoMissing[] = "Video file not found (or name too long).";
constexpr char kImageMissing[] = "Image file not found.";
constexpr char kTextMissing[] = "Text file not found.";

void F_SplashShowVideo(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Player(args[0], kVideoMissing);
}
void F_SplashShowImage(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Player(args[0], kImageMissing);
}
void F_SplashShowText(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Player(args[0], kTextMissing);
}

void PlayerScreen(const ScriptValue& full) {
  Splash_Settings().fullScreen = Arg_Rounded(full) > 0;
  Splash_Settings().mainWindow = !Splash_Settings().fullScreen;
}

void F_ShowVideo(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  PlayerScreen(args[1]);
  Player(args[0], kVideoMissing);
}
void F_ShowImage(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  PlayerScreen(args[1]);
  Player(args[0], kImageMissing);
}
void F_ShowText(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  PlayerScreen(args[1]);
  Splash_Settings().colour = Arg_Rounded(args[2]);
  Player(args[0], kTextMissing);
}

// ---- highscores

void F_HighscoreShow(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Dialog_ShowHighScores(Arg_Rounded(args[0]));
  IO_Clear();
}

// A string argument's text, or nothing for a real.
std::string TextOrNone(const ScriptValue& value) { return std::string(Arg_String(value)); }

void F_HighscoreShowExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  HighScoreDisplaySettings& look = HighScore_Display();
  look.background = Arg_Rounded(args[1]);
  look.border = Arg_Flag(args[2]);
  look.newColour = static_cast<uint32_t>(Arg_Rounded(args[3]));
  look.otherColour = static_cast<uint32_t>(Arg_Rounded(args[4]));
  look.fontName = TextOrNone(args[5]);
  look.fontSize = Arg_Rounded(args[6]);
  Dialog_ShowHighScores(Arg_Rounded(args[0]));
  IO_Clear();
}

void F_HighscoreSetBackground(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  HighScore_Display().background = Arg_Rounded(args[0]);
}
void F_HighscoreSetBorder(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  HighScore_Display().border = Arg_Flag(args[0]);
}
void F_HighscoreSetColors(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  HighScoreDisplaySettings& look = HighScore_Display();
  look.backgroundColour = static_cast<uint32_t>(Arg_Rounded(args[0]));
  look.newColour = static_cast<uint32_t>(Arg_Rounded(args[1]));
  look.otherColour = static_cast<uint32_t>(Arg_Rounded(args[2]));
}
void F_HighscoreSetFont(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  HighScore_Display().fontName = TextOrNone(args[0]);
  HighScore_Display().fontSize = Arg_Rounded(args[1]);
  SayOnConsole("Function F_HighscoreSetFont has no implementation.\n\n");
}
void F_HighscoreSetStrings(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  HighScoreDisplaySettings& look = HighScore_Display();
  look.caption = TextOrNone(args[0]);
  look.nobody = TextOrNone(args[1]);
  look.escape = TextOrNone(args[2]);
}
void F_HighscoreClear(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { HighScore_Clear(); }
void F_HighscoreAdd(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  HighScore_Add(std::string(Arg_String(args[0])), Arg_Rounded(args[1]));
}
void F_HighscoreAddCurrent(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  HighScore_Add("DEFAULT", Run_Globals.score);
  IO_Clear();
}
void F_HighscoreValue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(HighScore_GetValue(Arg_Rounded(args[0])));
}
void F_HighscoreName(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString(HighScore_GetName(Arg_Rounded(args[0])));
}

struct DialogBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

const DialogBuiltin kDialogBuiltins[] = {
    {"show_message", F_ShowMessage, 1},
    {"show_question", F_ShowQuestion, 1},
    {"show_error", F_ShowError, 2},
    {"show_info", F_ShowInfo, 0},
    {"load_info", F_LoadInfo, 1},
    {"get_string", F_GetString, 2},
    {"get_integer", F_GetInteger, 2},
    {"get_login_async", F_GetLoginAsync, 2},
    {"get_open_filename", F_GetOpenFilename, 2},
    {"get_save_filename", F_GetSaveFilename, 2},
    {"get_open_filename_ext", F_GetOpenFilenameExt, 4},
    {"get_save_filename_ext", F_GetSaveFilenameExt, 4},
    {"show_message_ext", StubClearOne<kShowMessageExt>, 4},
    {"show_menu", StubClearZero<kShowMenu>, 2},
    {"show_menu_pos", StubClearZero<kShowMenuPos>, 4},
    {"get_color", StubClearZero<kGetColor>, 1},
    {"get_directory", StubClearEmpty<kGetDirectory>, 1},
    {"get_directory_alt", StubClearEmpty<kGetDirectoryAlt>, 2},
    {"message_background", StubSay<kMessageBackground>, 1},
    {"message_button", StubSay<kMessageButton>, 1},
    {"message_text_font", StubSay<kMessageTextFont>, 4},
    {"message_button_font", StubSay<kMessageButtonFont>, 4},
    {"message_input_font", StubSay<kMessageInputFont>, 4},
    {"message_alpha", StubSay<kMessageAlpha>, 1},
    {"message_mouse_color", StubSay<kMessageMouseColor>, 1},
    {"message_input_color", StubSay<kMessageInputColor>, 1},
    {"message_position", StubSay<kMessagePosition>, 2},
    {"message_size", StubSay<kMessageSize>, 2},
    {"message_caption", StubSay<kMessageCaption>, 2},
    {"splash_set_caption", F_SplashSetCaption, 1},
    {"splash_set_fullscreen", SetSplashFlag<&SplashSettings::fullScreen>, 1},
    {"splash_set_size", F_SplashSetSize, 2},
    {"splash_set_adapt", SetSplashFlag<&SplashSettings::adapt>, 1},
    {"splash_set_border", SetSplashFlag<&SplashSettings::border>, 1},
    {"splash_set_top", SetSplashFlag<&SplashSettings::top>, 1},
    {"splash_set_color", F_SplashSetColor, 1},
    {"splash_set_main", SetSplashFlag<&SplashSettings::mainWindow>, 1},
    {"splash_set_scale", F_SplashSetScale, 1},
    {"splash_set_cursor", SetSplashFlag<&SplashSettings::cursor>, 1},
    {"splash_set_interrupt", SetSplashFlag<&SplashSettings::interrupt>, 1},
    {"splash_set_stop_key", SetSplashFlag<&SplashSettings::stopKey>, 1},
    {"splash_set_stop_mouse", SetSplashFlag<&SplashSettings::stopMouse>, 1},
    {"splash_show_video", F_SplashShowVideo, 2},
    {"splash_show_image", F_SplashShowImage, 2},
    {"splash_show_text", F_SplashShowText, 2},
    {"show_video", F_ShowVideo, 3},
    {"show_image", F_ShowImage, 3},
    {"show_text", F_ShowText, 4},
    {"highscore_show", F_HighscoreShow, 1},
    {"highscore_show_ext", F_HighscoreShowExt, 7},
    {"highscore_set_background", F_HighscoreSetBackground, 1},
    {"highscore_set_border", F_HighscoreSetBorder, 1},
    {"highscore_set_colors", F_HighscoreSetColors, 3},
    {"highscore_set_font", F_HighscoreSetFont, 3},
    {"highscore_set_strings", F_HighscoreSetStrings, 3},
    {"highscore_clear", F_HighscoreClear, 0},
    {"highscore_add", F_HighscoreAdd, 2},
    {"highscore_add_current", F_HighscoreAddCurrent, 0},
    {"highscore_value", F_HighscoreValue, 1},
    {"highscore_name", F_HighscoreName, 1},
    {"draw_highscore", F_DrawHighscore, 4},
};

}  // namespace

std::string Dialog_RealText(double value) {
  const ScriptValue real(value);
  if (static_cast<double>(Arg_Rounded(real)) == value) return std::to_string(Arg_Truncated(real));
  return FixedTwoDecimals(value).substr(0, kRealTextLimit);
}

SplashSettings& Splash_Settings() {
  static SplashSettings settings;
  return settings;
}

void F_ShowMessage(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(1.0);
  std::string text;
  if (args[0].IsString()) {
    if (!Arg_HasText(args[0])) return;
    text = MessageText(Arg_String(args[0]));
  } else {
    text = Dialog_RealText(Arg_Real(args[0]));
  }
  ShowMessage(text);  // bracketed by the window's modal-box pair
}

void F_ShowQuestion(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const std::string prompt =
      args[0].IsString() ? MessageText(Arg_String(args[0])) : Dialog_RealText(Arg_Real(args[0]));
  result.SetReal(ShowQuestion(Caption(), prompt) ? 1.0 : 0.0);
  IO_Clear();
}

void F_GetString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString("");
  std::string offered;
  if (args[1].IsString()) {
    if (!Arg_HasText(args[1])) return;
    offered = std::string(Arg_String(args[1]));
  } else {
    offered = FixedTwoDecimals(Arg_Real(args[1]));
  }
  std::string answer;
  InputQuery(Caption(), std::string(Arg_String(args[0])), offered, answer);
  result.SetString(answer);
  IO_Clear();
}

void F_GetInteger(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const int32_t rounded = Arg_Rounded(args[1]);
  result.SetReal(rounded);
  std::string offered;
  if (args[1].IsString()) {
    if (!Arg_HasText(args[1])) return;
    offered = std::string(Arg_String(args[1]));
  } else {
    offered = std::to_string(rounded);
  }
  std::string answer;
  InputQuery(Caption(), std::string(Arg_String(args[0])), offered, answer);
  result.SetReal(std::strtod(answer.c_str(), nullptr));
  IO_Clear();
}

void F_GetLoginAsync(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  static double requestCounter = 0.0;
  if (Login_Status() != 0) return;
  requestCounter += 1.0;
  const int32_t id = Conv_TruncToInt32(requestCounter);
  Login_SetRequestId(id);
  ShowLoginAsync(std::string(Arg_String(args[0])), std::string(Arg_String(args[1])));
  result.SetReal(id);
}

void F_DrawHighscore(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  // The rounded corner and sizes are added in 64 bits: far-off arguments cannot overflow.
  const int64_t x = Conv_RoundToInt32(Arg_Real(args[0]));
  int64_t y = Conv_RoundToInt32(Arg_Real(args[1]));
  const int64_t w = Conv_RoundToInt32(Arg_Real(args[2]) - Arg_Real(args[0]));
  const int64_t h = Conv_RoundToInt32((Arg_Real(args[3]) - Arg_Real(args[1])) / 10.0);
  for (int place = 1; place <= kHighScorePlaces; ++place) {
    GR_Text_Draw(static_cast<float>(x), static_cast<float>(y), HighScore_GetName(place), -1, -1);
    const std::string score = std::to_string(HighScore_GetValue(place));
    const int64_t width = GR_Text_Width(score, -1, -1);
    GR_Text_Draw(static_cast<float>(x + w - width), static_cast<float>(y), score, -1, -1);
    y += h;
  }
}

void InitDialogFunctions() {
  for (const DialogBuiltin& builtin : kDialogBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
