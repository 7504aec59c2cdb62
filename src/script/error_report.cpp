#include "script/error_report.h"

#include <utility>

#include "data/game_options.h"
#include "platform/console.h"
#include "runner/main_loop.h"
#include "runner/pending_room.h"
#include "runner/sdl/error_dialog.h"
#include "script/compile_error.h"
#include "script/current_event.h"

ErrorOptions Error_Options{Option_ShowErrors, Option_AbortOnErrors};
std::string Error_Last;
bool Error_Occurred = false;
bool Error_FatalShown = false;
bool Debug_EvaluatingWatches = false;

namespace {
ErrorReportHooks g_Hooks;

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

std::string NameOr(const std::function<std::optional<std::string>(int32_t)>& lookup,
                   int32_t index) {
  if (lookup) {
    if (auto name = lookup(index)) return *name;
  }
  return "<undefined>";
}
}  // namespace

void Error_SetHooks(ErrorReportHooks hooks) { g_Hooks = std::move(hooks); }

ErrorReportHooks& Error_Hooks() { return g_Hooks; }

void Error_Show(const std::string& text, bool fatal) {
  if (Error_FatalShown) return;
  // An error of a watch expression is the watch's own: it shows "Unable to evaluate" and
  // leaves the game as it was (no dialog, no console line, not fatal).
  if (Debug_EvaluatingWatches) {
    Code_PendingError = true;
    return;
  }
  if (Error_Options.abortOnErrors) fatal = true;
  Call(g_Hooks.graphicsCheckReset);
  Call(g_Hooks.debugUpdate);
  if (Error_Options.showErrors) {
    // A non-fatal error offers Ignore; choosing Abort makes it fatal.
    bool abort = ErrorDialog_Format(text, !fatal);
    if (!fatal && abort) fatal = true;
  }
  Call(g_Hooks.ioClear);
  Error_Last = text;
  g_DebugConsole->Output("ERROR!!! :: %s\n", text.c_str());
  Error_Occurred = true;
  if (fatal) {
    Error_FatalShown = true;
    Runner_SetPendingRoom(kPendingRoomFatalError);
    if (g_Hooks.postQuit) {
      g_Hooks.postQuit();
    } else {
      Call(MainLoop_Hooks().postQuit);
    }
  }
}

std::string Error_ActionText(const std::string& message, bool fatal) {
  std::string text = fatal ? "FATAL ERROR in\naction number " : "ERROR in\naction number ";
  text += std::to_string(int64_t{Event_Current.action} + 1);
  if (Event_Current.type == kEventTypeTimeLine) {
    text += "\nat time step" + std::to_string(Event_Current.number);
    text += "\nof time line " + NameOr(g_Hooks.timeLineName, Event_Current.object);
  } else {
    std::string eventName = g_Hooks.eventFullName
                                ? g_Hooks.eventFullName(Event_Current.type, Event_Current.number)
                                : std::string("<Unknown Event>");
    text += "\nof " + eventName;
    text += "\nfor object " + NameOr(g_Hooks.objectName, Event_Current.object);
  }
  text += ":\n\n\n";
  text += message;
  return text;
}

void Error_Show_Action(const std::string& message, bool fatal) {
  Error_Show(Error_ActionText(message, fatal), fatal);
}

std::string ErrorDialog_Layout(const std::string& text) {
  std::string layout = "\r\n" + std::string(43, '_') + "\r\n";
  layout.reserve(layout.size() + text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      layout += "\r\n";
      if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n')) ++i;
    } else if (c == '\t') {
      layout.append(7, ' ');
    } else {
      layout += c;
    }
  }
  return layout;
}

bool ErrorDialog_Format(const std::string& text, bool offerIgnore) {
  Call(g_Hooks.graphicsCheckReset);
  std::string layout = ErrorDialog_Layout(text);
  if (g_Hooks.showDialog) return g_Hooks.showDialog(layout, offerIgnore);
  return ErrorDialog_Show(layout, offerIgnore);
}
