// Games that show messages, ask questions and for text and numbers, choose files, log in and
// keep a highscore table, played headless by the runner binary. Without a display every dialog
// answers as cancelled; a file named by KILNFORGE_DIALOG_ANSWERS gives the answers a player
// would have typed. Each game reports through show_debug_message lines starting with "@";
// every form of the game plays it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

using gamedata::Event;
using gamedata::Object;
using gamedata::Room;

constexpr int32_t kCreate = 0, kOther = 7, kAsyncDialog = 63;

struct Played {
  RunnerResult run;
  std::vector<std::string> lines;
};

std::string Say(const std::string& expression) { return "show_debug_message(\"@\" + string(" + expression + "));\n"; }

class DialogGame : public ::testing::TestWithParam<GameForm> {
 protected:
  // One object whose create event runs code (then ends the game unless told otherwise).
  Played Play(const std::string& code, const std::vector<std::string>& answers = {}, std::vector<Event> events = {},
              bool endAtOnce = true, std::vector<gamedata::Script> scripts = {}) {
    GameDataWriter game;
    game.header.lastInstanceId = 100100;
    game.header.gameName = "dialog_game";
    game.scripts = std::move(scripts);
    Object object;
    object.name = "obj_probe";
    object.events = std::move(events);
    object.events.push_back({kCreate, 0, {code + (endAtOnce ? "\ngame_end();" : "")}});
    game.objects.push_back(object);
    Room room;
    room.name = "rm_only";
    room.speed = 1000;
    room.instances = {{0, 0, 0, 100001, {""}}};
    game.rooms.push_back(room);
    EXPECT_TRUE(WriteGameInForm(game, folder_ / "game.win", GetParam()));
    RunnerOptions options;
    options.workingDirectory = folder_.path();
    options.timeoutSeconds = 30.0;
    options.environment["XDG_DATA_HOME"] = folder_ / "data";
    if (!answers.empty()) {
      std::ofstream file(folder_ / "answers.txt", std::ios::binary);
      for (const std::string& answer : answers) file << answer << "\n";
      options.environment["KILNFORGE_DIALOG_ANSWERS"] = folder_ / "answers.txt";
    }
    std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win"}, GetParam());
    Played played;
    played.run = RunRunner(args, options);
    std::istringstream in(played.run.output);
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] == '@') played.lines.push_back(line.substr(1));
    EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
    return played;
  }

  bool Printed(const Played& played, const std::string& text) const {
    return played.run.output.find(text) != std::string::npos;
  }

  std::string HighscoreFile() const { return folder_ / "data/dialog_game/hiscore.dat"; }

  TempFolder folder_;
};

TEST_P(DialogGame, WithoutADisplayEveryDialogAnswersAsCancelled) {
  Played played = Play(Say("show_message(\"first#second\")") + Say("show_message(2.5)") + Say("show_message(3)") +
                       Say("show_message(\"\")") + Say("show_question(\"Again?\")") +
                       Say("get_string(\"Name?\", \"def\")") + Say("get_string(\"Name?\", 1.5)") +
                       Say("get_string(\"Name?\", \"\")") + Say("get_integer(\"How many?\", 7.5)") +
                       Say("get_integer(\"How many?\", \"\")") + Say("get_open_filename(\"Text|*.txt\", \"\")"));
  EXPECT_EQ(played.lines, (std::vector<std::string>{"1", "1", "1", "1", "0", "def", "1.50", "", "8", "0", ""}));
  // The message texts, '#' as a line break; an empty message shows nothing.
  EXPECT_TRUE(Printed(played, "\nfirst\nsecond\n@1\n2.50\n@1\n3\n@1\n@1\n")) << played.run.output;
  EXPECT_TRUE(Printed(played, "Question \"Again?\": no display, answered No\n"));
  EXPECT_TRUE(Printed(played, "Query \"How many?\": no display, answered 8\n"));
  EXPECT_TRUE(Printed(played, "Open file \"\": no display, answered Cancel\n"));
}

TEST_P(DialogGame, ScriptedAnswersReachTheGameAlsoFromNestedScripts) {
  std::vector<gamedata::Script> scripts = {
      {"scr_inner", {"return get_integer(argument0, 7.5);"}},
      {"scr_outer", {"return scr_inner(\"Count?\") * 2;"}},
  };
  Played played = Play(Say("show_question(\"Again?\")") + Say("get_string(\"Name?\", \"def\")") +
                           Say("scr_outer()") + Say("get_string(\"Name?\", \"def\")") +
                           Say("get_integer(\"n\", 1)") + Say("show_question(\"Sure?\")"),
                       {"yes", "Ada Lovelace", "12.25", "<cancel>", "abc", "no"}, {}, true, scripts);
  EXPECT_EQ(played.lines, (std::vector<std::string>{"1", "Ada Lovelace", "24.50", "def", "0", "0"}));
}

TEST_P(DialogGame, ConsoleOnlyBuiltInsPrintTheirLines) {
  Played played = Play(
      Say("show_message_ext(\"a\", \"b\", \"c\", \"d\")") + Say("show_menu(\"a|b\", 0)") +
      Say("show_menu_pos(1, 2, \"a|b\", 0)") + Say("get_color(0)") + Say("get_directory(\"\")") +
      Say("get_directory_alt(\"a\", \"b\")") + Say("load_info(\"x\")") +
      "show_info(); message_background(0); message_button(0); message_text_font(\"a\", 1, 2, 3);"
      "message_button_font(\"a\", 1, 2, 3); message_input_font(\"a\", 1, 2, 3); message_alpha(1);"
      "message_mouse_color(0); message_input_color(0); message_position(1, 2); message_size(1, 2);"
      "message_caption(1, \"c\"); highscore_set_font(\"Arial\", 10, 0); show_error(\"custom problem\", 0);" +
      Say("\"after\""));
  EXPECT_EQ(played.lines, (std::vector<std::string>{"1", "0", "0", "0", "", "", "0", "after"}));
  EXPECT_TRUE(Printed(played, "custom problem")) << played.run.output;
  for (const char* line :
       {"show_message_ext(str,but1,but2,but3) not impleneted\n", "show_menu(str,default) not implemented.\n",
        "show_menu_pos(X,Y,str,default) not implemented.\n", "get_color(def) is not implemented\n",
        "get_directory(dname) not implemented.\n", "get_directory_alt(capt,root) not implemented.\n",
        "load_info(str) not supported\n", "show_info(str) not supported\n",
        "message_background(back) not impleneted\n", "message_button(spr) not impleneted\n",
        "message_text_font(name,size,color,style) not impleneted\n",
        "message_button_font(name,size,color,style) not impleneted\n",
        "message_input_font(name,size,color,style) not impleneted\n", "message_alpha(alpha) not impleneted\n",
        "message_mouse_color(col) not impleneted\n", "message_input_color(col) not impleneted\n",
        "message_position(x,y) not impleneted\n", "message_size(w,h)not impleneted\n",
        "message_caption(show,str) not impleneted\n", "Function F_HighscoreSetFont has no implementation.\n\n"}) {
    EXPECT_TRUE(Printed(played, line)) << line;
  }
}

TEST_P(DialogGame, SplashPlayersShowNothingAndReportMissingFiles) {
  { std::ofstream(folder_ / "intro.png") << "x"; }
  Played played = Play(
      "splash_set_caption(\"c\"); splash_set_size(320, 200); splash_set_scale(2);"
      "splash_show_image(\"intro.png\", 10); show_image(\"intro.png\", 1, 10);"
      "splash_show_video(\"missing.avi\", 1); show_text(\"missing.txt\", 0, 0, 10);" +
      Say("\"done\""));
  EXPECT_EQ(played.lines, (std::vector<std::string>{"done"}));
  EXPECT_TRUE(Printed(played, "Video file not found (or name too long).")) << played.run.output;
  EXPECT_TRUE(Printed(played, "Text file not found."));
  EXPECT_FALSE(Printed(played, "Image file not found."));
}

TEST_P(DialogGame, HighscoreTableKeepsItsOrderAndPersistsAcrossRuns) {
  const std::string list = "var s, i; s = \"\"; for (i = 0; i <= 11; i += 1) s += highscore_name(i) + \"=\" + "
                           "string(highscore_value(i)) + \" \"; show_debug_message(\"@\" + s);\n";
  Played first = Play(list + "highscore_add(\"ann\", 50); highscore_add(\"bob\", 70); highscore_add(\"cy\", 50);"
                             "highscore_add(\"\", 60); highscore_add(\"low\", 0);" +
                      list);
  ASSERT_EQ(first.lines.size(), 2u);
  EXPECT_EQ(first.lines[0], "=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 "
                            "<nobody>=0 <nobody>=0 <nobody>=0 =0 ");
  // An equal score stays above the new one; a score no better than the tenth changes nothing.
  EXPECT_EQ(first.lines[1], "=0 bob=70 =60 ann=50 cy=50 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 "
                            "<nobody>=0 =0 ");
  Played second = Play(list + "highscore_add_current(); score = 65; highscore_add_current();" + list +
                       "highscore_clear();" + list);
  ASSERT_EQ(second.lines.size(), 3u);
  EXPECT_EQ(second.lines[0], first.lines[1]);
  EXPECT_EQ(second.lines[1], "=0 bob=70 DEFAULT=65 =60 ann=50 cy=50 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 "
                             "<nobody>=0 =0 ");
  EXPECT_EQ(second.lines[2], "=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 <nobody>=0 "
                             "<nobody>=0 <nobody>=0 <nobody>=0 =0 ");
  EXPECT_EQ(std::filesystem::file_size(HighscoreFile()), 168u);
}

TEST_P(DialogGame, DamagedHighscoreFileKeepsTheWholePlacesOnly) {
  // Place 1 whole, then a name length far past the end of the file.
  std::filesystem::create_directories(folder_ / "data/dialog_game");
  {
    std::ofstream file(HighscoreFile(), std::ios::binary);
    const unsigned char bytes[] = {'H', 'I', 'S', 'C', 0, 0, 0, 0, 3, 0, 0, 0, 'e', 'v', 'e', 9, 0, 0, 0,
                                   0xFF, 0xFF, 0xFF, 0x7F, 'x'};
    file.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  }
  Played played = Play(Say("highscore_name(1) + string(highscore_value(1))") +
                       Say("\"[\" + highscore_name(2) + \"]\" + string(highscore_value(2))") +
                       Say("highscore_name(-5) + string(highscore_value(100000))"));
  EXPECT_EQ(played.lines, (std::vector<std::string>{"eve9", "[]0", "0"}));
}

TEST_P(DialogGame, LoginAnswerArrivesAsTheDialogEvent) {
  const std::string report =
      "show_debug_message(\"@event \" + string(ds_map_find_value(async_load, \"id\")) + \" \" +"
      " ds_map_find_value(async_load, \"username\") + \" \" + ds_map_find_value(async_load, \"password\") + \" \" +"
      " string(ds_map_find_value(async_load, \"status\")));"
      "global.events += 1; if (global.events == 1) " + Say("get_login_async(\"cat\", \"pw2\")") +
      " else game_end();";
  Played played = Play("global.events = 0;" + Say("get_login_async(\"ann\", \"pw\")") + Say("get_login_async(\"x\", \"y\")"),
                       {"bob\tsecret", "<cancel>"}, {{kOther, kAsyncDialog, {report}}}, false);
  EXPECT_EQ(played.lines,
            (std::vector<std::string>{"1", "0", "event 1 bob secret 1", "2", "event 2 cat pw2 -1"}));
}

TEST_P(DialogGame, ChosenFilesWidenWhatTheGameMayReadAndWrite) {
  TempFolder elsewhere;
  { std::ofstream(elsewhere / "notes.txt") << "outside line"; }
  const std::string readBack =
      "var f; f = file_text_open_read(global.path); if (f > 0) { " + Say("file_text_read_string(f)") +
      " file_text_close(f); } else " + Say("\"refused\"");
  Played played = Play("global.path = \"" + (elsewhere / "notes.txt") + "\";" + readBack +
                           "global.path = get_open_filename(\"Text files|*.txt|All|*.*\", \"\");" + Say("global.path") +
                           readBack + Say("get_open_filename(1, \"\")") +
                           "global.path = get_save_filename_ext(\"Text|*.txt\", \"out.txt\", \"\", \"Keep\");"
                           "var w; w = file_text_open_write(global.path); file_text_write_string(w, \"kept\");"
                           "file_text_close(w);" +
                           Say("get_save_filename(\"Text|*.txt\", \"x.txt\")"),
                       {elsewhere / "notes.txt", elsewhere / "out.txt", "<cancel>"});
  EXPECT_EQ(played.lines, (std::vector<std::string>{"refused", elsewhere / "notes.txt", "outside line", "", ""}));
  std::ifstream written(elsewhere / "out.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "kept");
}

TEST_P(DialogGame, HugeRealsAndVeryLongTextsAreShownWhole) {
  Played played = Play(Say("show_message(power(10, 300))") + Say("string_length(get_string(\"p\", power(10, 300)))") +
                           Say("show_message(string_repeat(\"ab#\", 50000))") +
                           Say("string_length(get_string(string_repeat(\"q\", 100000), string_repeat(\"d\", 3000)))") +
                           Say("string_length(get_string(\"p\", \"d\"))"),
                       {"<cancel>", "<cancel>", std::string(5000, 't')});
  EXPECT_EQ(played.lines, (std::vector<std::string>{"1", "304", "1", "2050", "1023"}));
  // "%.2f" of 1e300 is cut to 63 characters in a message.
  char full[400];
  std::snprintf(full, sizeof full, "%.2f", 1e300);
  EXPECT_TRUE(Printed(played, "\n" + std::string(full).substr(0, 63) + "\n@1\n")) << played.run.output.substr(0, 2000);
}

INSTANTIATE_GAME_FORMS(DialogGame);

}  // namespace
