// Game preparation: the fixed order of its steps with their log lines and loading frames, and
// the message of the step that fails.
#include <string>
#include <vector>

#include "data/game_options.h"
#include "data/game_preparation.h"
#include "data/timelines.h"
#include "loaded_game.h"

namespace {

class Preparation : public LoadedGame {
 protected:
  void SetUp() override {
    percents.clear();
    Preparation_Hooks() = PreparationHooks();
    Preparation_Hooks().presentFrame = [this](const LoadForm& form) { percents.push_back(form.percent); };
  }
  void TearDown() override {
    Preparation_Hooks() = PreparationHooks();
    TimeLine_Clear();
    LoadedGame::TearDown();
  }

  // Runs the preparation; the console text goes to text.
  bool Prepare(std::string& text) {
    ConsoleCapture console;
    const bool ok = PrepareGame();
    text = console.Text();
    return ok;
  }

  std::vector<int32_t> percents;
};

TEST_F(Preparation, StepsRunInOrderWithTheirFrames) {
  GameDataWriter game = TestGame();
  game.timeLines.push_back({"tl_one", {{3, {"test_record(\"moment\");"}}}});
  game.options.constants.push_back({"SPEED", "4 * 2"});
  ASSERT_TRUE(Load(game)) << log;
  std::string text;
  ASSERT_TRUE(Prepare(text)) << text;
  EXPECT_EQ(text,
            "DataFile_Prepare() \nExtension_Prepare() \nCode_Constant_Prepare() \nScript_Prepare() \n"
            "TimeLine_Prepare() \nObject_Prepare() \nPreparing 1 objects:\n\tObjects 0: obj_player\n"
            "Room_Prepare() \nSound_Prepare() \n"
            "InitGraphics() \nFinished PrepareGame() \n");
  EXPECT_EQ(percents, (std::vector<int32_t>{50, 54, 56, 58, 70, 72, 76, 80, 90, 100}));
  EXPECT_TRUE(TimeLine_Data(0)->GetMomentEvent(0)->code->IsCompiled());
}

struct FailureCase {
  const char* title;
  const char* message;
  const char* lastLog;  // the log line of the failing step
};

TEST_F(Preparation, AFailedStepShowsItsMessageAndStops) {
  const FailureCase cases[] = {
      {"extensions", "Failed to prepare extension packages.", "Extension_Prepare() \n"},
      {"constants", "Failed to define the constants.", "Code_Constant_Prepare() \n"},
      {"scripts", "Failed to compile the scripts.", "Script_Prepare() \n"},
      {"time lines", "Failed to compile the actions in the time lines.", "TimeLine_Prepare() \n"},
      {"objects", "Failed to compile the actions in the objects.", "Object_Prepare() \n"},
      {"rooms", "Failed to compile the actions in the objects.", "Room_Prepare() \n"},
      {"sounds", "Failed to prepare the sounds.", "Sound_Prepare() \n"},
  };
  for (const FailureCase& c : cases) {
    const std::string title = c.title;
    GameDataWriter game = TestGame();
    if (title == "constants") game.options.constants.push_back({"2x", "1"});
    if (title == "scripts") game.scripts.push_back({"scr_bad", {"x = ;"}});
    if (title == "time lines") game.timeLines.push_back({"tl_bad", {{0, {"if"}}}});
    if (title == "objects") game.objects[0].events.push_back({3, 0, {"+"}});
    ASSERT_TRUE(Load(game)) << title << log;
    Preparation_Hooks() = PreparationHooks();
    if (title == "extensions") Preparation_Hooks().prepareExtensions = [] { return false; };
    if (title == "rooms") Preparation_Hooks().prepareRooms = [] { return false; };
    if (title == "sounds") Preparation_Hooks().prepareSounds = [] { return false; };
    std::string text;
    EXPECT_FALSE(Prepare(text)) << title;
    EXPECT_NE(text.find(std::string(c.message) + "\n"), std::string::npos) << title << ": " << text;
    EXPECT_NE(text.find(c.lastLog), std::string::npos) << title;
    EXPECT_EQ(text.find("Finished PrepareGame()"), std::string::npos) << title;
    TearDown();
  }
}

TEST_F(Preparation, ProgressBarAndDisplayChoices) {
  LoadForm form;
  Options_Get().showProgressBar = false;
  Runner_ProgressInit(form, false);
  EXPECT_EQ(form.barWidth, 0);
  Options_Get().showProgressBar = true;
  Runner_ProgressInit(form, false);
  EXPECT_EQ(form.barX, 24);
  EXPECT_EQ(form.barY, 50);
  EXPECT_EQ(form.barWidth, 50);
  EXPECT_EQ(form.barHeight, 16);

  Options_Get().changeDisplayMode = true;
  Options_Get().depthChoice = 1;
  Options_Get().resolutionChoice = 4;
  Options_Get().frequencyChoice = 7;  // none of the choices
  const DisplayModeChoice mode = InitGraphics_Choice();
  EXPECT_EQ(mode.depth, 16);
  EXPECT_EQ(mode.width, 1024);
  EXPECT_EQ(mode.height, 768);
  EXPECT_EQ(mode.frequency, -1);
  Options_Clear();
}

TEST_F(Preparation, RefusingTheColourModeStopsGraphics) {
  GraphicsStartHooks saved = InitGraphics_Hooks();
  std::string asked;
  InitGraphics_Hooks().colourDepth = [] { return 24; };
  InitGraphics_Hooks().askYesNo = [&asked](const std::string& text) {
    asked = text;
    return false;
  };
  ConsoleCapture console;
  EXPECT_FALSE(InitGraphics());
  EXPECT_EQ(asked, "This application requires 16-bit or 32-bit color mode.\n Should I switch to a valid color mode?");
  InitGraphics_Hooks().colourDepth = [] { return 32; };
  EXPECT_TRUE(InitGraphics());
  EXPECT_TRUE(console.Contains("GR_D3D_Init()\nBackground_InitTextures()\nSprite_InitTextures()\nFont_InitTextures()\n"));
  InitGraphics_Hooks() = saved;
}

}  // namespace

#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

// The runner binary prepares the game in each form; a failed preparation ends the start with
// its message and a non-zero exit.
class PreparationRunner : public ::testing::TestWithParam<GameForm> {};

TEST_P(PreparationRunner, EveryFormPreparesAndAFailureEndsTheStart) {
  TempFolder folder;
  GameDataWriter good = TestGame();
  good.timeLines.push_back({"tl_one", {{3, {"x = 1;"}}}});
  good.options.constants.push_back({"START_X", "x + 2"});  // runs for a temporary instance
  ASSERT_TRUE(WriteGameInForm(good, folder / "good.win", GetParam()));
  std::vector<std::string> args = WithFormArguments({"-game", folder / "good.win"}, GetParam());
  const RunnerResult ok = RunRunner(args);
  EXPECT_EQ(ok.exitCode, 0) << ok.output;
  EXPECT_NE(ok.output.find("Finished PrepareGame() \n"), std::string::npos) << ok.output;

  GameDataWriter bad = TestGame();
  bad.scripts.push_back({"scr_bad", {"x = ;"}});
  // Code that does not compile is never stored as bytecode: that form has no such game.
  if (GetParam() == GameForm::StoredBytecode) {
    EXPECT_FALSE(WriteGameInForm(bad, folder / "bad.win", GetParam()));
    return;
  }
  ASSERT_TRUE(WriteGameInForm(bad, folder / "bad.win", GetParam()));
  args[1] = folder / "bad.win";
  const RunnerResult failed = RunRunner(args);
  EXPECT_NE(failed.exitCode, 0);
  EXPECT_NE(failed.output.find("Failed to compile the scripts.\n"), std::string::npos) << failed.output;
  EXPECT_EQ(failed.output.find("Run_Start"), std::string::npos);
}

INSTANTIATE_GAME_FORMS(PreparationRunner);

}  // namespace
