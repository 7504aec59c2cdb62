#include "runner/dialogs.h"
#include "runner/window.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "graphics/device.h"
#include "platform/console.h"
#include "platform/sdl/display_presence.h"
#include "runner/highscore.h"
#include "runner/input.h"

namespace {

constexpr char kCancelAnswer[] = "<cancel>";

struct DialogState {
  std::deque<std::string> answers;
  bool answersRead = false;  // the environment's file has been read
  int32_t loginStatus = 0;
  int32_t loginRequestId = 0;
  std::string loginUser;
  std::string loginPassword;
  bool loginOnBackend = false;
};

DialogState& State() {
  static DialogState state;
  return state;
}

void ReadAnswerFile() {
  DialogState& s = State();
  if (s.answersRead) return;
  s.answersRead = true;
  const char* name = std::getenv(kDialogAnswersVariable);
  if (name == nullptr || name[0] == '\0') return;
  std::ifstream file(name, std::ios::binary);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    s.answers.push_back(line);
  }
}

// The next scripted answer, when there is one.
std::optional<std::string> NextScripted() {
  ReadAnswerFile();
  DialogState& s = State();
  if (s.answers.empty()) return std::nullopt;
  std::string answer = std::move(s.answers.front());
  s.answers.pop_front();
  return answer;
}

CDialogBackend* Desktop() { return Platform_HasDisplay() ? GtkDialogs_Backend() : nullptr; }

// The one console line of a dialog that did not wait for a player.
void Report(const char* kind, const std::string& text, const std::string& answer, bool scripted) {
  g_DebugConsole->Output("%s \"%s\": %s %s\n", kind, text.c_str(), scripted ? "scripted answer" : "no display, answered",
                         answer.c_str());
}

std::string CutCharacters(const std::string& text, size_t limit) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80 && count++ == limit) return text.substr(0, i);
  }
  return text;
}

}  // namespace

void Dialogs_SetScriptedAnswers(std::deque<std::string> answers) {
  State().answers = std::move(answers);
  State().answersRead = true;
}

void Dialogs_Reset() { State() = DialogState{}; }

bool Dialog_ShowMessage(const std::string& caption, const std::string& text) {
  CDialogBackend* desktop = Desktop();
  if (desktop == nullptr) return false;
  desktop->Message(caption, text);
  return true;
}

bool ShowQuestion(const std::string& caption, const std::string& prompt) {
  if (std::optional<std::string> scripted = NextScripted()) {
    const bool yes = *scripted == "yes";
    Report("Question", prompt, yes ? "Yes" : "No", true);
    return yes;
  }
  if (CDialogBackend* desktop = Desktop()) {
    Window_BeforeModalBox();
    const bool yes = desktop->Question(caption, prompt);
    Window_AfterModalBox();
    return yes;
  }
  Report("Question", prompt, "No", false);
  return false;
}

bool InputQuery(const std::string& caption, const std::string& prompt, const std::string& defaultText,
                std::string& out) {
  const std::string offered = CutCharacters(defaultText, kQueryDefaultLimit);
  std::optional<std::string> typed;
  if (std::optional<std::string> scripted = NextScripted()) {
    if (*scripted != kCancelAnswer) typed = *scripted;
    Report("Query", prompt, typed ? *typed : "Cancel", true);
  } else if (CDialogBackend* desktop = Desktop()) {
    Window_BeforeModalBox();
    typed = desktop->Query(caption, prompt, offered);
    Window_AfterModalBox();
  } else {
    Report("Query", prompt, offered, false);
  }
  out = typed ? CutCharacters(*typed, kQueryTextLimit) : offered;
  return typed.has_value();
}

std::optional<std::string> Dialog_ChooseFile(const FileDialogRequest& request) {
  const char* kind = request.save ? "Save file" : "Open file";
  if (std::optional<std::string> scripted = NextScripted()) {
    if (*scripted == kCancelAnswer) {
      Report(kind, request.fileName, "Cancel", true);
      return std::nullopt;
    }
    Report(kind, request.fileName, *scripted, true);
    return scripted;
  }
  if (CDialogBackend* desktop = Desktop()) {
    Window_BeforeModalBox();
    // The chooser may move the working folder; the game's relative names must not follow it.
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    std::optional<std::string> chosen = desktop->ChooseFile(request);
    if (!ec) std::filesystem::current_path(folder, ec);
    Window_AfterModalBox();
    return chosen;
  }
  Report(kind, request.fileName, "Cancel", false);
  return std::nullopt;
}

void ShowLoginAsync(const std::string& userName, const std::string& password) {
  DialogState& s = State();
  s.loginStatus = 1;
  s.loginUser = CutCharacters(userName, kQueryTextLimit + 1);
  s.loginPassword = CutCharacters(password, kQueryTextLimit + 1);
  s.loginOnBackend = false;
  if (std::optional<std::string> scripted = NextScripted()) {
    const size_t tab = scripted->find('\t');
    if (*scripted == kCancelAnswer || tab == std::string::npos) {
      s.loginStatus = -1;
      Report("Login", userName, "Cancel", true);
      return;
    }
    s.loginUser = scripted->substr(0, tab);
    s.loginPassword = scripted->substr(tab + 1);
    s.loginStatus = 2;
    Report("Login", userName, "OK", true);
    return;
  }
  if (CDialogBackend* desktop = Desktop()) {
    desktop->LoginOpen(s.loginUser, s.loginPassword);
    s.loginOnBackend = true;
    return;
  }
  s.loginStatus = -1;
  Report("Login", userName, "Cancel", false);
}

void Login_Pump() {
  DialogState& s = State();
  if (s.loginStatus != 1 || !s.loginOnBackend) return;
  CDialogBackend* desktop = GtkDialogs_Backend();
  std::optional<LoginAnswer> answer = desktop != nullptr ? desktop->LoginPoll() : std::nullopt;
  if (!answer) return;
  s.loginOnBackend = false;
  if (answer->confirmed) {
    s.loginUser = CutCharacters(answer->userName, kQueryTextLimit);
    s.loginPassword = CutCharacters(answer->password, kQueryTextLimit);
    s.loginStatus = 2;
  } else {
    s.loginStatus = -1;
  }
}

int32_t Login_Status() { return State().loginStatus; }
void Login_SetStatus(int32_t status) { State().loginStatus = status; }
const std::string& Login_UserName() { return State().loginUser; }
const std::string& Login_Password() { return State().loginPassword; }
int32_t Login_RequestId() { return State().loginRequestId; }
void Login_SetRequestId(int32_t id) { State().loginRequestId = id; }

void Dialog_ShowHighScores(int newScore) {
  CDialogBackend* desktop = Desktop();
  if (desktop == nullptr) {
    Report("Highscore table", HighScore_Display().caption, "Close", false);
    return;
  }
  Window_BeforeModalBox();
  desktop->HighScoreTable(newScore);
  Window_AfterModalBox();
}

std::vector<std::pair<std::string, std::string>> Dialog_ParseFilter(const std::string& filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // the list ends at an empty pair
    pairs.emplace_back(parts[i], parts[i + 1]);
  }
  return pairs;
}
