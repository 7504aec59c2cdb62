#include "runner/debug_window.h"

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "data/objects.h"
#include "data/rooms.h"
#include "data/sprite.h"
#include "graphics/batch.h"
#include "platform/console.h"
#include "platform/ini_file.h"
#include "platform/sdl/clipboard.h"
#include "platform/sdl/display_presence.h"
#include "runner/debug_overlay.h"
#include "runner/dialogs.h"
#include "runner/input.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/room_start.h"
#include "runner/run_options.h"
#include "runner/startup.h"
#include "script/builtin_variables.h"
#include "script/code.h"
#include "script/compile_error.h"
#include "script/compiler/compile_error_sink.h"
#include "script/error_report.h"
#include "script/global_variables.h"
#include "script/variable_access.h"
#include "script/variable_list.h"
#include "script/vm/vm.h"

namespace {

constexpr int kControlKey = 17;

// The built-in variables the globals pane lists first (mouse_button twice, as it always has).
constexpr const char* kGlobalsRows[] = {
    "mouse_x",         "mouse_y",          "mouse_button",     "mouse_button",      "mouse_lastbutton",
    "keyboard_key",    "keyboard_lastkey", "keyboard_lastchar", "keyboard_string",  "score",
    "lives",           "health",           "room",             "room_width",        "room_height",
    "room_speed",      "room_persistent",  "cursor_sprite",    "working_directory", "temp_directory",
    "program_directory", "secure_mode",    "error_occurred",   "error_last",
};

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  return text;
}

bool IsWhole(double v, double factor) { return std::fabs(v * factor - std::round(v * factor)) < 1e-12; }

std::unique_ptr<CDebugForm>& TheForm() {
  static std::unique_ptr<CDebugForm> form;
  return form;
}

ScriptValue ReadBuiltin(CInstance* instance, const char* name) {
  ScriptValue value;
  const int32_t id = Variable_BuiltIn_Find(name);
  if (id >= 0) Variable_GetValue(instance, id, 0, value);
  return value;
}

// The first live instance of the room's active list that test accepts.
template <typename Test>
CInstance* FindActive(Test test) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return nullptr;
  for (CInstance* at = room->active.first; at != nullptr; at = at->next) {
    if (!at->marked && test(*at)) return at;
  }
  return nullptr;
}

// Rows of a variable list: name and formatted value.
void ListRows(const CVariableList* list, std::vector<std::array<std::string, 2>>& rows) {
  if (list == nullptr) return;
  list->ForEachNode(
      [&rows](const VariableNode& node) { rows.push_back({Variable_Name(node.id), Debug_FormatValue(node.value)}); });
}

std::string TrimLineEnds(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

void AddMessageSink(const char* message) { Debug_AddMessage(message); }

}  // namespace

std::string Debug_FormatValue(const ScriptValue& value) {
  if (value.IsString()) return "\"" + std::string(value.Text()) + "\"";
  const double v = value.real;
  // Whole numbers of any size print in full; + 0.0 keeps a negative zero from showing as "-0".
  if (IsWhole(v, 1.0)) return Printf("%.0f", std::round(v) + 0.0);
  if (IsWhole(v, 100.0)) return Printf("%.2f", v);
  if (IsWhole(v, 10000.0)) return Printf("%.4f", v);
  if (IsWhole(v, 1000000.0)) return Printf("%.6f", v);
  if (IsWhole(v, 100000000.0)) return Printf("%.8f", v);
  return Printf("%10.10f", v);
}

// ---- the form ------------------------------------------------------------------------------

CDebugForm::CDebugForm(std::unique_ptr<CDebugView> view)
    : view_(std::move(view)), watchInstance_(std::make_unique<CInstance>(0.0f, 0.0f, 0, 0, false)) {
  const char* names[] = {"GlobalsWindow", "InstancesWindow", "MessagesWindow"};
  for (int i = 0; i < kPaneCount; ++i) {
    DebugPane& pane = panes_[static_cast<size_t>(i)];
    pane.section = i < kFirstLocalsPane ? names[i] : Printf("LocalsWindow%d", i);
  }
  panes_[kGlobalsPane].caption = "Globals";
  panes_[kGlobalsPane].columns = {"Name", "Value"};
  panes_[kInstancesPane].caption = "Instances";
  panes_[kInstancesPane].columns = {"ID", "Object Name", "Sprite Name"};
  panes_[kMessagesPane].caption = "Messages";
  panes_[kMessagesPane].columns = {"Message"};
  for (int i = kFirstLocalsPane; i <= kLastLocalsPane; ++i) {
    panes_[static_cast<size_t>(i)].caption = "Locals";
    panes_[static_cast<size_t>(i)].columns = {"Name", "Value"};
  }
}

CDebugForm::~CDebugForm() = default;

bool CDebugForm::FpsVisible() const { return (g_RunOptions.debugOverlayMode & kOverlayFrameRate) != 0; }

void CDebugForm::SetFpsVisible(bool visible) {
  if (visible) {
    g_RunOptions.debugOverlayMode |= kOverlayFrameRate;
  } else {
    g_RunOptions.debugOverlayMode &= ~kOverlayFrameRate;
  }
}

void CDebugForm::AddWatch(std::string expression) { watches_.push_back({std::move(expression), ""}); }

void CDebugForm::ChangeWatch(size_t index, std::string expression) {
  if (index < watches_.size()) watches_[index] = {std::move(expression), ""};
}

void CDebugForm::DeleteWatch(size_t index) {
  if (index < watches_.size()) watches_.erase(watches_.begin() + static_cast<std::ptrdiff_t>(index));
}

void CDebugForm::ClearWatches() { watches_.clear(); }

void CDebugForm::EvaluateWatches() {
  // A watch must not touch the game: no error dialog or console line, and error_last,
  // error_occurred and the pending error stay as the game left them.
  const bool showErrors = Error_Options.showErrors;
  const std::string lastError = Error_Last;
  const bool occurred = Error_Occurred;
  const bool pending = Code_PendingError;
  const std::string pendingText = Code_PendingErrorText;
  Error_Options.showErrors = false;
  Debug_EvaluatingWatches = true;
  for (DebugWatch& watch : watches_) {
    if (watch.expression.empty()) {
      watch.value.clear();
      continue;
    }
    Code_ClearPendingError();
    CCode code(watch.expression, true);
    ScriptValue result;
    const bool ran = code.Compile("watch") && Code_Run(watchInstance_.get(), watchInstance_.get(), code, result) &&
                     !Code_PendingError;
    watch.value = ran ? Debug_FormatValue(result) : kUnableToEvaluate;
    Compiler_ClearError();
  }
  Debug_EvaluatingWatches = false;
  Error_Options.showErrors = showErrors;
  Error_Last = lastError;
  Error_Occurred = occurred;
  Code_PendingError = pending;
  Code_PendingErrorText = pendingText;
}

std::optional<std::string> CDebugForm::Ask(const std::string& caption, const std::string& prompt,
                                           const std::string& initial, const DebugRequest& request) {
  if (request.text) return request.text;
  std::string answer;
  if (!InputQuery(caption, prompt, initial, answer)) return std::nullopt;
  return answer;
}

void CDebugForm::Handle(const DebugRequest& request) {
  const auto watchIndex = static_cast<size_t>(request.index);
  switch (request.command) {
    case DebugCommand::Run:
      if (Stopped()) {
        resume_ = DebugCommand::Run;
      } else if (Running && Paused) {
        Run_Start();
        if (!Running) Run_Stop();
      }
      break;
    case DebugCommand::Pause:
      if (Running && !Paused && !Stopped()) Run_Pause();
      break;
    case DebugCommand::Step:
      if (Stopped()) {
        resume_ = DebugCommand::Step;
      } else if (Running && Paused) {
        Run_StepOnce();
        Refresh();
      }
      break;
    case DebugCommand::Restart:
      if (Running && !Stopped()) {
        PendingRoom = PendingRoomCode::Restart;
        if (Paused) {
          Run_Start();
          Run_Frame();
          if (!Running) EndGame();
        }
      }
      break;
    case DebugCommand::Stop:
      if (Running) Run_Stop();
      if (Stopped()) resume_ = DebugCommand::Run;
      break;
    case DebugCommand::AddWatch:
      if (auto text = Ask("Provide an expression", "Please type in the expression", "", request)) {
        AddWatch(*text);
        Refresh();
      }
      break;
    case DebugCommand::ChangeWatch:
      if (request.index < 0 || watchIndex >= watches_.size()) break;
      if (auto text =
              Ask("Provide an expression.", "Please type in the expression", watches_[watchIndex].expression, request)) {
        ChangeWatch(watchIndex, *text);
        Refresh();
      }
      break;
    case DebugCommand::DeleteWatch:
      if (request.index >= 0) DeleteWatch(watchIndex);
      Refresh();
      break;
    case DebugCommand::ClearWatches:
      ClearWatches();
      Refresh();
      break;
    case DebugCommand::ShowGlobals:
    case DebugCommand::ShowInstances:
    case DebugCommand::ShowMessages: {
      const int pane = request.command == DebugCommand::ShowGlobals     ? kGlobalsPane
                       : request.command == DebugCommand::ShowInstances ? kInstancesPane
                                                                        : kMessagesPane;
      panes_[static_cast<size_t>(pane)].visible = true;
      Refresh();
      break;
    }
    case DebugCommand::ShowInstanceVariables:
      if (auto text = Ask("Showing Local Variables.", "Please provide the instance id or object name.", "", request)) {
        if (OpenLocalsByText(*text)) Refresh();
      }
      break;
    case DebugCommand::SetFpsVisible:
      SetFpsVisible(request.flag);
      break;
    case DebugCommand::ClosePane:
      if (request.pane >= 0 && request.pane < kPaneCount) panes_[static_cast<size_t>(request.pane)].visible = false;
      break;
    case DebugCommand::MovePane:
      if (request.pane >= 0 && request.pane < kPaneCount) panes_[static_cast<size_t>(request.pane)].rect = request.rect;
      break;
    case DebugCommand::OpenLocals:
      if (OpenLocals(request.index)) Refresh();
      break;
    case DebugCommand::CopyMessages: {
      std::string text;
      if (request.rows.empty()) {
        for (const std::string& line : messages_) text += line + "\n";
      } else {
        for (int32_t row : request.rows) {
          if (row >= 0 && static_cast<size_t>(row) < messages_.size()) text += messages_[static_cast<size_t>(row)] + "\n";
        }
      }
      Clipboard_SetText(text);
      break;
    }
    case DebugCommand::CloseForm:
      if (Stopped()) resume_ = DebugCommand::Run;
      Close();
      break;
  }
}

void CDebugForm::Pump() {
  if (!view_) return;
  for (const DebugRequest& request : view_->Pump()) Handle(request);
}

void CDebugForm::AddMessage(const std::string& text) {
  messages_.push_back(TrimLineEnds(text));
  // The pane keeps the latest lines; a long run must not grow it without end.
  constexpr size_t kKeptMessages = 5000;
  if (messages_.size() > kKeptMessages) messages_.erase(messages_.begin(), messages_.end() - kKeptMessages);
}

bool CDebugForm::OpenLocals(int32_t instanceId) {
  if (FindActive([instanceId](const CInstance& i) { return i.id == instanceId; }) == nullptr) return false;
  int chosen = -1;
  for (int i = kFirstLocalsPane; i <= kLastLocalsPane && chosen < 0; ++i) {
    const DebugPane& pane = panes_[static_cast<size_t>(i)];
    if (pane.visible && pane.instanceId == instanceId) chosen = i;
  }
  for (int i = kFirstLocalsPane; i <= kLastLocalsPane && chosen < 0; ++i) {
    if (!panes_[static_cast<size_t>(i)].visible) chosen = i;
  }
  if (chosen < 0) chosen = kLastLocalsPane;
  DebugPane& pane = panes_[static_cast<size_t>(chosen)];
  pane.visible = true;
  pane.instanceId = instanceId;
  return true;
}

bool CDebugForm::OpenLocalsByText(const std::string& text) {
  const int32_t number = std::atoi(text.c_str());
  CInstance* found = nullptr;
  if (number == 0 && text.rfind('0', 0) != 0) {
    found = FindActive([&text](const CInstance& i) { return Object_Exists(i.object_index) && Object_Name(i.object_index) == text; });
  } else {
    found = FindActive([number](const CInstance& i) { return i.id == number; });
  }
  return found != nullptr && OpenLocals(found->id);
}

void CDebugForm::UpdateCounters() {
  CRoom* room = Run_CurrentRoom();
  const BatchCounters& batch = GR_D3D_Batch_Counters();
  counters_.clear();
  counters_.push_back("Room Speed: " + std::to_string(room != nullptr ? room->speed : 0));
  counters_.push_back("FPS: " + std::to_string(Fps));
  counters_.push_back("Num Tex Swaps: " + std::to_string(batch.textureSwapsThisFrame));
  counters_.push_back("Num Vertex Batches: " + std::to_string(batch.drawCallsThisFrame));
  counters_.push_back("inst: " + std::to_string(room != nullptr ? room->active.count : 0));
  const auto mouseX = static_cast<float>(ReadBuiltin(watchInstance_.get(), "mouse_x").real);
  const auto mouseY = static_cast<float>(ReadBuiltin(watchInstance_.get(), "mouse_y").real);
  CInstance* under = FindActive([&](CInstance& i) { return i.Collision_Point(mouseX, mouseY, true); });
  counters_.push_back(under != nullptr ? "mouse id: " + std::to_string(under->id) : std::string("mouse id: "));
  // Control and a click in the game window show the instance's variables.
  if (under != nullptr && ReadBuiltin(watchInstance_.get(), "mouse_button").real > 0 &&
      IO_Keyboard_Check(kControlKey)) {
    OpenLocals(under->id);
  }
}

void CDebugForm::FillGlobals() {
  DebugPane& pane = panes_[kGlobalsPane];
  pane.rows.clear();
  for (const char* name : kGlobalsRows)
    pane.rows.push_back({name, Debug_FormatValue(ReadBuiltin(watchInstance_.get(), name))});
  std::vector<std::array<std::string, 2>> globals;
  ListRows(&Variable_GlobalList(), globals);
  for (auto& [name, value] : globals) pane.rows.push_back({name, value});
}

void CDebugForm::FillInstances() {
  DebugPane& pane = panes_[kInstancesPane];
  pane.rows.clear();
  FindActive([&pane](const CInstance& i) {
    pane.rows.push_back({std::to_string(i.id), Object_Name(i.object_index), Sprite_GetName(i.sprite_index)});
    return false;
  });
}

void CDebugForm::FillLocals(DebugPane& pane) {
  const int32_t id = pane.instanceId;
  CInstance* instance = FindActive([id](const CInstance& i) { return i.id == id; });
  const std::string object =
      instance != nullptr && Object_Exists(instance->object_index) ? Object_Name(instance->object_index) : "Unknown";
  pane.caption = Printf("Instance Var: %s (%d)", object.c_str(), id);
  pane.rows.clear();
  if (instance == nullptr) return;
  std::vector<std::array<std::string, 2>> rows;
  ListRows(instance->variables.get(), rows);
  for (auto& [name, value] : rows) pane.rows.push_back({name, value});
}

DebugSnapshot CDebugForm::Snapshot() const {
  DebugSnapshot snapshot;
  snapshot.counters = counters_;
  snapshot.watches = watches_;
  snapshot.fpsVisible = FpsVisible();
  snapshot.paused = Paused != 0;
  snapshot.stoppedAt = stoppedAt_;
  snapshot.callStack = callStack_;
  snapshot.stopLocals = stopLocals_;
  snapshot.panes = &panes_;
  return snapshot;
}

void CDebugForm::Refresh() {
  if (refreshing_ || closed_) return;
  refreshing_ = true;
  UpdateCounters();
  EvaluateWatches();
  if (panes_[kGlobalsPane].visible) FillGlobals();
  if (panes_[kInstancesPane].visible) FillInstances();
  DebugPane& messages = panes_[kMessagesPane];
  messages.rows.clear();
  if (messages.visible) {
    for (const std::string& line : messages_) messages.rows.push_back({line});
  }
  for (int i = kFirstLocalsPane; i <= kLastLocalsPane; ++i) {
    DebugPane& pane = panes_[static_cast<size_t>(i)];
    if (pane.visible) FillLocals(pane);
  }
  if (view_) view_->Show(Snapshot());
  refreshing_ = false;
}

// ---- Debug.ini --------------------------------------------------------------------------------

void CDebugForm::ReadIni(const IniFile& ini) {
  if (const std::string* fps = ini.FindKey("DebugForm", "FPSVisible"); fps != nullptr && *fps == "false") {
    SetFpsVisible(false);
  }
  for (DebugPane& pane : panes_) {
    const std::string& s = pane.section;
    pane.visible = ini.ReadString(s, "Visible", "false") == "true";
    const std::string* left = ini.FindKey(s, "left");
    const std::string* top = ini.FindKey(s, "top");
    const std::string* right = ini.FindKey(s, "right");
    const std::string* bottom = ini.FindKey(s, "bottom");
    pane.rect.reset();
    if (left != nullptr && top != nullptr && right != nullptr && bottom != nullptr) {
      pane.rect = DebugRect{std::atoi(left->c_str()), std::atoi(top->c_str()), std::atoi(right->c_str()),
                            std::atoi(bottom->c_str())};
    }
    pane.instanceId = ini.ReadInteger(s, "InstanceID", 0);
  }
  watches_.clear();
  const int32_t count = ini.ReadInteger("DebugForm", "NumWatches", 0);
  for (int32_t i = 0; i < count; ++i) {
    if (const std::string* text = ini.FindKey("DebugForm", Printf("Watch%d", i))) AddWatch(*text);
  }
}

void CDebugForm::WriteIni(IniFile& ini) const {
  // Keys of an earlier run (more watches, a pane open then) must not outlive it.
  ini.DeleteSection("DebugForm");
  for (const DebugPane& pane : panes_) ini.DeleteSection(pane.section);
  ini.WriteString("DebugForm", "FPSVisible", FpsVisible() ? "true" : "false");
  int32_t written = 0;
  for (const DebugWatch& watch : watches_) {
    if (watch.expression.empty()) continue;
    ini.WriteString("DebugForm", Printf("Watch%d", written++).c_str(), watch.expression.c_str());
  }
  ini.WriteString("DebugForm", "NumWatches", std::to_string(written).c_str());
  for (int i = 0; i < kPaneCount; ++i) {
    const DebugPane& pane = panes_[static_cast<size_t>(i)];
    const char* s = pane.section.c_str();
    ini.WriteString(s, "Visible", pane.visible ? "true" : "false");
    if (!pane.visible) continue;
    if (pane.rect) {
      ini.WriteString(s, "bottom", std::to_string(pane.rect->bottom).c_str());
      ini.WriteString(s, "top", std::to_string(pane.rect->top).c_str());
      ini.WriteString(s, "left", std::to_string(pane.rect->left).c_str());
      ini.WriteString(s, "right", std::to_string(pane.rect->right).c_str());
    }
    if (i >= kFirstLocalsPane) ini.WriteString(s, "InstanceID", std::to_string(pane.instanceId).c_str());
  }
}

void CDebugForm::LoadSettings() {
  if (loaded_) return;
  loaded_ = true;
  IniFile ini;
  if (ini.Open(kDebugIniName, false)) ReadIni(ini);
}

void CDebugForm::SaveSettings() {
  IniFile ini;
  ini.Open(kDebugIniName, false);
  WriteIni(ini);
  ini.Save();
}

void CDebugForm::Close() {
  if (closed_) return;
  // Settings never read (the game ended before its first refresh) are kept as they were.
  if (loaded_) SaveSettings();
  closed_ = true;
  if (view_) view_->Close();
  view_.reset();
}

// ---- breakpoints --------------------------------------------------------------------------------

bool CDebugForm::Break(const VMBreak& place) {
  stoppedAt_ = Printf("%s (line %d)", place.name.c_str(), place.line + 1);
  callStack_ = place.callStack;
  stopLocals_.clear();
  ListRows(place.locals, stopLocals_);
  g_DebugConsole->Output("Breakpoint: %s - %s\n", stoppedAt_.c_str(), place.lineText.c_str());
  for (size_t i = 1; i < callStack_.size(); ++i) g_DebugConsole->Output("called from - %s\n", callStack_[i].c_str());
  for (const auto& [name, value] : stopLocals_) g_DebugConsole->Output("local %s = %s\n", name.c_str(), value.c_str());
  resume_.reset();
  if (view_ && !closed_) {
    // The machine waits inside the running code until the user runs on, steps or stops; the
    // game window is still served, and closing it runs on to the end.
    while (!resume_ && Running && !closed_) {
      Refresh();
      Pump();
      if (resume_) break;
      ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  const bool step = resume_ == DebugCommand::Step;
  stoppedAt_.clear();
  callStack_.clear();
  stopLocals_.clear();
  resume_.reset();
  if (view_ && !closed_) view_->Show(Snapshot());
  return step;
}

// ---- the process's form ------------------------------------------------------------------------

CDebugForm* Debug_Form() { return TheForm().get(); }

void Debug_Create() {
  if (!g_RunOptions.debugMode || TheForm()) return;
  TheForm() = std::make_unique<CDebugForm>(Platform_HasDisplay() ? GtkDebug_CreateView() : nullptr);
  Console_SetDebugPane(&AddMessageSink);
  VM_SetBreakHandler([](const VMBreak& place) {
    // The watches' own code is not the game's: a step goes on to the game's next line.
    if (Debug_EvaluatingWatches) return place.step ? VMBreakResume::StepLine : VMBreakResume::Run;
    CDebugForm* form = Debug_Form();
    const bool step = form != nullptr && form->Break(place);
    return step ? VMBreakResume::StepLine : VMBreakResume::Run;
  });
}

void Debug_Update() {
  CDebugForm* form = Debug_Form();
  if (form == nullptr || !g_RunOptions.debugMode) return;
  // A command's own step refreshes the form through here: it must not pump again.
  static bool inside = false;
  if (inside) return;
  inside = true;
  form->Pump();
  if (Running && Run_CurrentRoom() != nullptr) {
    form->LoadSettings();
    form->Refresh();
  }
  inside = false;
}

void Debug_Refresh() {
  CDebugForm* form = Debug_Form();
  if (form != nullptr && Running && Run_CurrentRoom() != nullptr) form->Refresh();
}

void Debug_AddMessage(const std::string& text) {
  if (CDebugForm* form = Debug_Form()) form->AddMessage(text);
}

void Debug_Close() {
  if (CDebugForm* form = Debug_Form()) form->Close();
}

void Debugger_Shutdown() {
  Debug_Close();
  Console_SetDebugPane(nullptr);
  VM_SetBreakHandler(nullptr);
  TheForm().reset();
}
