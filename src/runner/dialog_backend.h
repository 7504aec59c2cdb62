// The windows behind the runner's modal dialogs. One back end serves the whole process:
// the desktop one when there is a display, else none (the dialog layer answers as cancelled).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct FileDialogRequest {
  bool save = false;
  // (description, pattern) pairs; a pattern may list several globs separated by ';'.
  std::vector<std::pair<std::string, std::string>> filters;
  std::string fileName;  // offered name (or path)
  std::string folder;    // initial folder; empty for the current one
  std::string title;     // empty for the back end's own
};

struct LoginAnswer {
  bool confirmed = false;
  std::string userName;
  std::string password;
};

class CDialogBackend {
 public:
  virtual ~CDialogBackend() = default;
  // A text with an OK button; returns once it is closed.
  virtual void Message(const std::string& caption, const std::string& text) = 0;
  // The runtime-error box: the text with Copy, Clear, Abort and, when offered, Ignore (also the
  // answer of Escape and the close box); true for Abort.
  virtual bool ErrorBox(const std::string& text, bool offerIgnore) = 0;
  // Yes (true) or No; the question cannot be cancelled.
  virtual bool Question(const std::string& caption, const std::string& prompt) = 0;
  // The typed text, or no value when cancelled.
  virtual std::optional<std::string> Query(const std::string& caption, const std::string& prompt,
                                           const std::string& defaultText) = 0;
  // The chosen full path, or no value when cancelled.
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;
  // Opens the login box without waiting; Poll reports its answer once it has one.
  virtual void LoginOpen(const std::string& userName, const std::string& password) = 0;
  virtual std::optional<LoginAnswer> LoginPoll() = 0;
  // The highscore table; newScore picks the row drawn in the new-entry colour.
  virtual void HighScoreTable(int newScore) = 0;
};

// The desktop back end (GTK 3), or null when the toolkit cannot start.
CDialogBackend* GtkDialogs_Backend();
