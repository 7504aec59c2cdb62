// The debug window ("-debug"): run controls, watch expressions evaluated every refresh, the
// frame's counters and the panes of globals, instances, console messages and the locals of
// chosen instances. Its layout and watches persist in "Debug.ini".
//
// This file is the window's model: everything it shows is built here as lines of text, and
// every control is a DebugRequest carried out here. The desktop view (src/runner/gtk) only
// draws the model's DebugSnapshot and hands back what the user asked for, so the model runs
// and is tested without a display. Without a display (or a view) the model still runs: the
// watches are evaluated, the ini file is read and written, and a breakpoint is reported on the
// console instead of stopping.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "script/script_value.h"

class CInstance;
class IniFile;
struct VMBreak;

inline constexpr char kDebugWindowCaption[] = "Kilnforge Debugger";
inline constexpr char kDebugIniName[] = "Debug.ini";
inline constexpr char kUnableToEvaluate[] = "Unable to evaluate";

// The panes, by record number: 0 globals, 1 instances, 2 messages, 3 to 8 locals windows.
inline constexpr int kGlobalsPane = 0;
inline constexpr int kInstancesPane = 1;
inline constexpr int kMessagesPane = 2;
inline constexpr int kFirstLocalsPane = 3;
inline constexpr int kLastLocalsPane = 8;
inline constexpr int kPaneCount = 9;

// A string in double quotes; a real as an integer when it is one, else with the fewest of 2,
// 4, 6 or 8 decimals that show it exactly, else with 10 decimals. Any size fits.
std::string Debug_FormatValue(const ScriptValue& value);

enum class DebugCommand {
  Run,
  Pause,
  Step,
  Restart,
  Stop,
  AddWatch,      // asks for the expression (or takes text when given)
  ChangeWatch,   // the watch at index; asks for the new text (or takes text)
  DeleteWatch,   // the watch at index
  ClearWatches,
  ShowGlobals,
  ShowInstanceVariables,  // asks for an instance id or object name (or takes text)
  ShowInstances,
  ShowMessages,
  SetFpsVisible,  // flag
  ClosePane,      // pane
  MovePane,       // pane to rect
  OpenLocals,     // on the instance with id index
  CopyMessages,   // the message lines at rows, or all of them when rows is empty
  CloseForm,      // the user closed the form: settings written, windows gone, the game runs on
};

struct DebugRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const DebugRect&) const = default;
};

struct DebugRequest {
  DebugCommand command = DebugCommand::Run;
  int32_t index = -1;  // a watch index or an instance id
  int32_t pane = -1;
  std::optional<std::string> text;  // the answer, when the view already has it
  bool flag = false;
  DebugRect rect;
  std::vector<int32_t> rows;
};

struct DebugWatch {
  std::string expression;
  std::string value;
};

struct DebugPane {
  std::string section;  // its section in the ini file: "GlobalsWindow", "LocalsWindow3", ...
  std::string caption;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;  // one text per column
  bool visible = false;
  std::optional<DebugRect> rect;  // where the pane was placed; none for the view's choice
  int32_t instanceId = 0;         // locals windows: the instance shown
};

// What the view shows after each refresh.
struct DebugSnapshot {
  std::vector<std::string> counters;  // "Room Speed: 30", "FPS: 60", ...
  std::vector<DebugWatch> watches;
  bool fpsVisible = false;
  bool paused = false;
  // At a breakpoint: where the machine stands, its call stack and locals; empty otherwise.
  std::string stoppedAt;
  std::vector<std::string> callStack;
  std::vector<std::array<std::string, 2>> stopLocals;
  const std::array<DebugPane, kPaneCount>* panes = nullptr;
};

// The window a view draws. Pump takes the window system's waiting events and answers what the
// user asked for, in order; Show draws the model's state; Close takes the windows away.
class CDebugView {
 public:
  virtual ~CDebugView() = default;
  virtual std::vector<DebugRequest> Pump() = 0;
  virtual void Show(const DebugSnapshot& snapshot) = 0;
  virtual void Close() = 0;
};

// The desktop view (GTK 3); null without a display.
std::unique_ptr<CDebugView> GtkDebug_CreateView();

class CDebugForm {
 public:
  explicit CDebugForm(std::unique_ptr<CDebugView> view);
  ~CDebugForm();
  CDebugForm(const CDebugForm&) = delete;
  CDebugForm& operator=(const CDebugForm&) = delete;

  // Watches, in list order. A watch without text is kept but never saved.
  void AddWatch(std::string expression);
  void ChangeWatch(size_t index, std::string expression);
  void DeleteWatch(size_t index);
  void ClearWatches();
  const std::vector<DebugWatch>& Watches() const { return watches_; }
  // Every watch compiled and run for the watch instance, errors suppressed.
  void EvaluateWatches();

  // Carries out one request of the view (or of a test).
  void Handle(const DebugRequest& request);
  // Takes the view's requests and carries them out.
  void Pump();
  // Debug_Update's work: counters, watches and open panes, then the view redrawn.
  void Refresh();
  const std::vector<std::string>& Counters() const { return counters_; }
  const DebugPane& Pane(int pane) const { return panes_[static_cast<size_t>(pane)]; }
  const std::vector<std::string>& Messages() const { return messages_; }
  void AddMessage(const std::string& text);

  // Opens a locals window on the instance (the one already showing it, the first closed one,
  // or the last one); false when the room has no such instance.
  bool OpenLocals(int32_t instanceId);
  // "Show Instance Variables": a number names an instance id, other text an object name.
  bool OpenLocalsByText(const std::string& text);

  // "Display FPS": the debug overlay's frame-rate line (DebugOverlayMode's value 2), which
  // taps on the game's screen and show_debug_overlay switch as well.
  bool FpsVisible() const;
  void SetFpsVisible(bool visible);

  void ReadIni(const IniFile& ini);
  void WriteIni(IniFile& ini) const;
  // Reads "Debug.ini" on the first refresh; writes it when the form closes.
  void LoadSettings();
  void SaveSettings();

  // At a breakpoint: shows the place and waits for Run, Step or Stop (at once without a view).
  // Answers whether the machine should stop at the next line.
  bool Break(const VMBreak& place);
  bool Stopped() const { return !stoppedAt_.empty(); }

  // Writes the settings and takes the windows away.
  void Close();

 private:
  DebugSnapshot Snapshot() const;
  void FillGlobals();
  void FillInstances();
  void FillLocals(DebugPane& pane);
  std::optional<std::string> Ask(const std::string& caption, const std::string& prompt,
                                 const std::string& initial, const DebugRequest& request);
  void UpdateCounters();

  std::unique_ptr<CDebugView> view_;
  std::unique_ptr<CInstance> watchInstance_;
  std::vector<DebugWatch> watches_;
  std::array<DebugPane, kPaneCount> panes_;
  std::vector<std::string> messages_;
  std::vector<std::string> counters_;
  bool loaded_ = false;
  bool closed_ = false;
  bool refreshing_ = false;
  // At a breakpoint.
  std::string stoppedAt_;
  std::vector<std::string> callStack_;
  std::vector<std::array<std::string, 2>> stopLocals_;
  std::optional<DebugCommand> resume_;
};

// The one form of the process: made by Debug_Create with "-debug", else null.
CDebugForm* Debug_Form();
// Makes the form (with the desktop view when there is a display) and lets the machine stop at
// breakpoints in it. Does nothing without "-debug" or when it exists.
void Debug_Create();
// Carries out the view's requests, then refreshes the form while the game runs in a room.
void Debug_Update();
// Refreshes the form without taking requests (before an error is shown).
void Debug_Refresh();
// The debug console's lines go to the messages pane.
void Debug_AddMessage(const std::string& text);
// Writes "Debug.ini" and closes the windows (at the end of the game); the form stays until
// Debugger_Shutdown.
void Debug_Close();
void Debugger_Shutdown();
