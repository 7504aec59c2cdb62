// Runtime error reporting: the one routine every error of game code goes through.
#pragma once

#include <functional>
#include <optional>
#include <string>

// The game's error options as the error routine sees them: a view of Option_ShowErrors (show
// the error dialog; on by default) and Option_AbortOnErrors (every error is fatal; off by
// default), which the options loader sets.
struct ErrorOptions {
  bool& showErrors;
  bool& abortOnErrors;
};
extern ErrorOptions Error_Options;

// What scripts read back as error_last and error_occurred (and may write).
extern std::string Error_Last;
extern bool Error_Occurred;
// Set once a fatal error has been shown; from then on nothing more is shown.
extern bool Error_FatalShown;
// Set by the debug window while it evaluates its watch expressions: no console line then.
extern bool Debug_EvaluatingWatches;

// The pieces of the runner an error report reaches. Each may be left empty.
struct ErrorReportHooks {
  // Full event name for the current event ("Create Event", " Step Event0", ...).
  std::function<std::string(int32_t type, int32_t number)> eventFullName;
  // Names of an object and a time line; nothing when there is none with that index.
  std::function<std::optional<std::string>(int32_t index)> objectName;
  std::function<std::optional<std::string>(int32_t index)> timeLineName;
  // A pending graphics-device reset is carried out.
  std::function<void()> graphicsCheckReset;
  // Refreshes the debug window when it is open.
  std::function<void()> debugUpdate;
  // Clears all keyboard and mouse state.
  std::function<void()> ioClear;
  // Asks the main window to quit. Empty: the main loop's own quit request.
  std::function<void()> postQuit;
  // Shows the laid-out error dialog text; true when the user chose Abort. Empty: the
  // platform error dialog.
  std::function<bool(const std::string& text, bool offerIgnore)> showDialog;
};
void Error_SetHooks(ErrorReportHooks hooks);
ErrorReportHooks& Error_Hooks();

// Shows a runtime error: the dialog (when shown), error_last, error_occurred and the console
// line "ERROR!!! :: <text>"; a fatal one (by the caller, by Abort in the dialog or by the
// abort-on-errors option) sets the pending room to -400 and asks the window to quit.
void Error_Show(const std::string& text, bool fatal);
// Formats message for the action being run and shows it.
void Error_Show_Action(const std::string& message, bool fatal);
// The text Error_Show_Action shows for the current event.
std::string Error_ActionText(const std::string& message, bool fatal);

// The dialog's layout of an error text: a rule of 43 '_', CR LF line breaks (a pair of line
// break characters counts as one), tabs as seven spaces.
std::string ErrorDialog_Layout(const std::string& text);
// Lays text out and shows it in the error dialog; true when the user chose Abort.
bool ErrorDialog_Format(const std::string& text, bool offerIgnore);
