// Built-ins that talk to the operating system: web addresses, the language, the network
// state, base64 and MD5/SHA-1 digests, the clipboard, the process priority, the window title,
// the microsecond timer and the command-line parameters.
#pragma once

#include <string>
#include <string_view>

#include "script/builtin_function.h"

// The web/system and digest family (with their Tarn_ aliases), then the achievement built-ins
// and the social, advertising and store built-ins.
void InitPlatformFunctions();
// The clipboard, priority and title built-ins, registered with the misc family.
void Os_RegisterMiscFunctions();

// The ISO 639 code of a POSIX locale name ("de_DE.UTF-8" -> "de"); "--" when it names no
// language ("C", "POSIX", empty).
std::string Os_LanguageOfLocale(std::string_view locale);

// The pause event: the window raises it when it loses activation to another application;
// the per-step platform hook turns it into one step in which os_is_paused answers 1.
void OS_RaisePauseEvent();
void OS_PauseEvent_Update();
bool OS_IsPaused();
// The platform's work at the input stage of every step (the pause event).
void Platform_FrameUpdate();

BuiltinSignature F_UrlOpen;
BuiltinSignature F_UrlOpenExt;
BuiltinSignature F_UrlGetDomain;
BuiltinSignature F_OsGetConfig;
BuiltinSignature F_OsGetLanguage;
BuiltinSignature F_OsIsNetworkConnected;
BuiltinSignature F_OsIsPaused;
BuiltinSignature F_OsPowersaveEnable;
BuiltinSignature F_DisplayGetDpi;
BuiltinSignature F_GetTimer;
BuiltinSignature F_DisplaySetGuiSize;
BuiltinSignature F_DisplayGetGuiWidth;
BuiltinSignature F_DisplayGetGuiHeight;
BuiltinSignature F_DrawEnableAlphablend;
BuiltinSignature F_DrawTextureFlush;
BuiltinSignature F_WindowHandle;
BuiltinSignature F_SetProgramPriority;
BuiltinSignature F_SetApplicationTitle;
BuiltinSignature F_ClipboardHasText;
BuiltinSignature F_ClipboardGetText;
BuiltinSignature F_ClipboardSetText;
BuiltinSignature F_Base64Encode;
BuiltinSignature F_Base64Decode;
BuiltinSignature F_Md5StringUtf8;
BuiltinSignature F_Md5StringUnicode;
BuiltinSignature F_Md5File;
BuiltinSignature F_Sha1StringUtf8;
BuiltinSignature F_Sha1StringUnicode;
BuiltinSignature F_Sha1File;
