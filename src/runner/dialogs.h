// The runner's modal dialogs: the yes/no question, the text query, the file choosers, the
// modeless login box and the highscore table.
//
// With a display they are desktop windows (src/runner/gtk). Without one nothing blocks: each
// dialog writes one console line with its text and takes the answer of a cancelled dialog
// (No, the default text, no file, a cancelled login). Tests can give the answers a player
// would have given: either with Dialogs_SetScriptedAnswers, or by naming a file of answers in
// the environment variable KILNFORGE_DIALOG_ANSWERS (one answer a line, used in order; see
// Dialogs_SetScriptedAnswers for their form). Scripted answers win over a display.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "runner/dialog_backend.h"

inline constexpr char kDialogAnswersVariable[] = "KILNFORGE_DIALOG_ANSWERS";
inline constexpr size_t kQueryTextLimit = 1023;     // characters read back from a query
inline constexpr size_t kQueryDefaultLimit = 2050;  // characters of a query's default text

// Answers for the next dialogs, first one first. A question takes "yes" as Yes and anything
// else as No; a query takes the line as the typed text; a file chooser takes the line as the
// chosen path; a login takes "user<TAB>password". The line "<cancel>" cancels any of them.
// When the answers run out the dialogs answer as without a display.
void Dialogs_SetScriptedAnswers(std::deque<std::string> answers);
// Forgets scripted answers and the back end chosen (tests).
void Dialogs_Reset();

// Every modal box is bracketed by Window_BeforeModalBox / Window_AfterModalBox (runner/window.h):
// full screen is left before it shows, and the input state is cleared after it.

// The box of show_message on the desktop: false when there is no desktop back end. A
// termination signal closes it as OK would.
bool Dialog_ShowMessage(const std::string& caption, const std::string& text);
bool ShowQuestion(const std::string& caption, const std::string& prompt);
// out receives the typed text (at most 1023 characters) after OK, the default text (cut to
// 2050 characters) after Cancel; answers whether OK was pressed.
bool InputQuery(const std::string& caption, const std::string& prompt, const std::string& defaultText,
                std::string& out);
std::optional<std::string> Dialog_ChooseFile(const FileDialogRequest& request);

// The login box: the state word is 0 when none is open, 1 while it is open, 2 after OK and
// -1 after Cancel; the step's poll turns 2 and -1 into the asynchronous dialog event and back
// into 0.
void ShowLoginAsync(const std::string& userName, const std::string& password);
int32_t Login_Status();
void Login_SetStatus(int32_t status);
// The texts of the answered login box.
const std::string& Login_UserName();
const std::string& Login_Password();
// The request id get_login_async handed out for the box.
int32_t Login_RequestId();
void Login_SetRequestId(int32_t id);
// Advances an open login box; called once a step.
void Login_Pump();

// The highscore table in a window, when there is a display.
void Dialog_ShowHighScores(int newScore);

// "desc|pattern|desc|pattern" as (description, pattern) pairs; a last description without
// pattern is dropped.
std::vector<std::pair<std::string, std::string>> Dialog_ParseFilter(const std::string& filter);
