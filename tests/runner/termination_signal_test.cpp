// A termination signal (SIGTERM, SIGINT, SIGHUP) ends the run as a closed window does, even
// while game code is stuck in an endless loop or a modal dialog waits for its player: the room
// end and game end events run and the shut-down saves the highscore table.
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"
#include "support/xvfb_desktop.h"

namespace {

constexpr int32_t kCreate = 0;
constexpr int32_t kOther = 7;
constexpr int32_t kGameEnd = 3;
// Long enough for a loaded machine; a run that ignores the signal takes until the time-out.
constexpr double kEndsWithinSeconds = 10.0;

std::string Say(const std::string& text) { return "show_debug_message(\"@" + text + "\");"; }

// The game: the create event puts a name in the highscore table and runs `code`, then says
// "after"; the game end event says "game end". Scripts: scr_outer calls scr_spin, which runs
// `spin`, then says "outer after".
GameDataWriter StuckGame(const std::string& code, const std::string& spin) {
  GameDataWriter game = OneInstanceGame(
      {{kCreate, 0, {"highscore_clear(); highscore_add(\"ann\", 77);" + code + Say("after")}},
       {kOther, kGameEnd, {Say("game end")}}});
  game.header.gameName = "termination_signal";
  game.scripts.push_back({"scr_spin", {spin}});
  game.scripts.push_back({"scr_outer", {"scr_spin(); " + Say("outer after")}});
  return game;
}

std::string FindFile(const std::string& folder, const std::string& name) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.path().filename() == name) return entry.path().string();
  return "";
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a run ended by the signal shows: the exit of a closed window, nothing of the abandoned
// code after the point it was stuck at, the game end event, and the highscore table saved.
void ExpectShutDownInOrder(const RunnerResult& run, const std::string& saveFolder, const std::string& stuckAt) {
  EXPECT_FALSE(run.timedOut) << run.output;
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(SaidLines(run.output), (std::vector<std::string>{stuckAt, "game end"})) << run.output;
  const std::string table = FindFile(saveFolder, "hiscore.dat");
  ASSERT_FALSE(table.empty()) << run.output;
  EXPECT_NE(ReadText(table).find("ann"), std::string::npos);
}

struct StuckCase {
  const char* name;
  std::string loop;    // an endless loop
  bool inScript;       // run by scr_spin, called from scr_outer, called from the create event
  int signal;
};

class TerminationSignal : public ::testing::TestWithParam<GameForm> {};

TEST_P(TerminationSignal, EndsCodeStuckInAnEndlessLoop) {
  const StuckCase cases[] = {
      {"while", "while (true) {}", false, SIGTERM},
      {"for", "for (k = 0; true; k += 0) {}", true, SIGTERM},
      {"do until", "do {} until (false)", false, SIGINT},
      // The loop idioms on a local and on an instance variable.
      {"local count", "var i; i = 0; while (i >= 0) { i += 1; }", true, SIGHUP},
      {"instance count", "n = 0; do { n += 1; } until (n < 0)", false, SIGTERM},
  };
  for (const StuckCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder, data;
    const std::string entered = Say("looping");
    const GameDataWriter game = c.inScript ? StuckGame(entered + "scr_outer();", c.loop)
                                           : StuckGame(entered + c.loop, "");
    ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
    RunnerOptions options;
    options.environment["XDG_DATA_HOME"] = data.path();
    options.timeoutSeconds = 30.0;
    options.signalAfterOutput = "@looping\n";
    options.signal = c.signal;
    const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win", "-noaudio"}, GetParam()), options);
    EXPECT_GE(run.secondsAfterSignal, 0.0) << run.output;
    EXPECT_LT(run.secondsAfterSignal, kEndsWithinSeconds) << run.output;
    ExpectShutDownInOrder(run, data.path(), "looping");
  }
}

INSTANTIATE_GAME_FORMS(TerminationSignal);

// The modal dialogs on a real X server: runs only where ctest starts it under xvfb-run
// (KF_DIALOG_XVFB set) with xdotool installed.
class DialogTerminationSignal : public XvfbDesktopTest {};

TEST_P(DialogTerminationSignal, ClosesTheOpenDialogAndEndsTheRun) {
  struct DialogCase {
    const char* call;
    const char* signal;
  };
  const DialogCase cases[] = {
      {"show_message(\"Wait for me\")", "TERM"},
      {"show_question(\"Go on?\")", "INT"},
      {"get_string(\"Your name?\", \"def\")", "HUP"},
      {"get_open_filename(\"Text files|*.txt\", \"\")", "TERM"},
      {"show_error(\"Broken\", false)", "TERM"},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(c.call);
    TempFolder folder, data;
    // In a script called from a script, as games often ask.
    GameDataWriter game = StuckGame(Say("asking") + "scr_outer();", std::string(c.call) + ";");
    game.options.showErrors = true;  // show_error's box
    ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));

    // Once the dialog shows, its process is sent the signal.
    std::atomic<bool> sent{false};
    std::chrono::steady_clock::time_point sentAt;
    std::thread player([&] {
      const bool ok = Xdo("w=$(xdotool search --sync --onlyvisible --classname '^kilnforge-dialog$' | head -1) && "
                          "sleep 0.5 && kill -" + std::string(c.signal) + " $(xdotool getwindowpid $w)",
                          30.0);
      sentAt = std::chrono::steady_clock::now();
      sent = ok;
    });
    const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win", "-noaudio"}, GetParam()),
                                       XvfbDesktopRunnerOptions(data.path(), 30.0));
    const auto endedAt = std::chrono::steady_clock::now();
    player.join();
    ASSERT_TRUE(sent) << run.output;
    EXPECT_LT(std::chrono::duration<double>(endedAt - sentAt).count(), kEndsWithinSeconds) << run.output;
    ExpectShutDownInOrder(run, data.path(), "asking");
  }
}

INSTANTIATE_GAME_FORMS(DialogTerminationSignal);

}  // namespace
