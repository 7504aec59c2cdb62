// The sound table: records from the game data file, sounds added from files at run time,
// deletion, damaged SOND and AUDO chunks, and the sound built-ins' reports.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/audio_engine.h"
#include "audio/sound_resources.h"
#include "audio_support.h"
#include "data/game_loader.h"
#include "functions/builtin_call.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "support/game_data_writer.h"
#include "support/runner_process.h"

namespace {

TEST(SoundResources, RecordsAddsAndDeletes) {
  TempFolder folder;
  ASSERT_TRUE(WriteBytes(folder / "extra.wav", ToneWave(440.0, 0.1)));
  std::filesystem::create_directory(folder / "sub");
  GameDataWriter game = SoundGame({ToneWave(440.0, 0.1), ToneWave(220.0, 0.1), ToneWave(330.0, 0.1)}, false);
  game.sounds[1].volume = 0.25f;
  game.sounds[1].preload = false;
  game.sounds[2].kind = 1;
  LoopbackSound sound(game);
  ASSERT_TRUE(sound.ok());
  ASSERT_EQ(Sound_Count(), 3);
  EXPECT_EQ(Sound_Find("snd_1"), 1);
  EXPECT_DOUBLE_EQ(Sound_Data(1)->volume, 0.25);
  EXPECT_GE(Sound_Data(0)->hardwareId, 0) << "preloaded at preparation";
  EXPECT_EQ(Sound_Data(1)->hardwareId, -1) << "loaded on first use";
  EXPECT_GE(Sound_Data(1)->GetSoundId(), 0);

  EXPECT_EQ(Sound_Add(folder / "extra.wav", 0, true), 3);
  EXPECT_EQ(Sound_Add(folder / "sub/../extra.wav", 0, false), 4);
  EXPECT_EQ(Sound_GetName(3), "__newsound3");
  EXPECT_EQ(Sound_GetName(4), "__newsound4");
  EXPECT_EQ(Sound_Data(4)->fileName, "extra.wav");
  EXPECT_EQ(Sound_Data(4)->extension, ".wav");
  EXPECT_EQ(Sound_Add(folder / "missing.wav", 0, true), -1);
  EXPECT_TRUE(Sound_Exists(5)) << "a failed add keeps its index";
  EXPECT_EQ(Sound_Data(5)->kind, -1);
  EXPECT_EQ(Sound_Add(folder / "extra.wav", 0, true), 6);

  EXPECT_TRUE(Sound_Delete(1));
  EXPECT_FALSE(Sound_Exists(1));
  EXPECT_EQ(Sound_GetName(1), "<undefined>");
  EXPECT_EQ(Sound_Count(), 7);
  EXPECT_FALSE(Sound_Delete(1));
  EXPECT_FALSE(Sound_Replace(99, folder / "extra.wav", 0, true));
  EXPECT_TRUE(Sound_Replace(1, folder / "extra.wav", 0, true));
  EXPECT_EQ(Sound_GetName(1), std::nullopt) << "the name stays as the delete left it";
}

// A SOND or AUDO chunk whose offsets or sizes leave the chunk fails the load cleanly.
TEST(SoundResources, DamagedChunksFailTheLoad) {
  struct Case {
    const char* chunk;
    int what;  // 0: the first entry's size word, 1: the first list entry
    uint32_t value;
  };
  for (const Case& c : {Case{"AUDO", 0, 0x7FFFFFF0u}, Case{"AUDO", 1, 0xFFFFFFF0u}, Case{"SOND", 1, 0u}}) {
    for (bool newAudio : {false, true}) {
      std::vector<uint8_t> image = SoundGame({ToneWave(440.0, 0.1)}, newAudio).Build();
      const std::vector<ChunkLayoutEntry> layout = ChunkLayout(image);
      const ChunkLayoutEntry* chunk = FindChunk(layout, c.chunk);
      ASSERT_NE(chunk, nullptr);
      const uint32_t first = ReadU32(image, chunk->bodyOffset + 4);
      if (c.what == 0) {
        WriteU32(image, first, c.value);
      } else {
        // SOND: a record that starts 8 bytes before the end of the file.
        WriteU32(image, chunk->bodyOffset + 4, c.value != 0 ? c.value : static_cast<uint32_t>(image.size() - 8));
      }
      ConsoleCapture console;
      EXPECT_EQ(GameData_LoadImage(image), GameLoadResult::Failed) << c.chunk << " " << c.what;
      EXPECT_TRUE(console.Contains("Failed to load the game"));
    }
  }
}

class SoundBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    Error_Hooks().showDialog = [](const std::string&, bool) { return false; };
    Error_Last.clear();
  }
  void TearDown() override { Error_Hooks().showDialog = nullptr; }
  static BuiltinFunction Fn(const char* name) {
    int32_t id = -1;
    EXPECT_TRUE(Function_Find(name, id)) << name;
    const BuiltinFunctionEntry* entry = Function_Get(id);
    return entry != nullptr ? entry->implementation : nullptr;
  }
};

TEST_F(SoundBuiltins, MissingSoundIsReportedExceptByIsplaying) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.1)}, false));
  ASSERT_TRUE(sound.ok());
  for (const char* name : {"sound_play", "sound_loop", "sound_stop"}) {
    Error_Last.clear();
    CallBuiltin(Fn(name), {R(5)});
    EXPECT_NE(Error_Last.find("Sound does not exist."), std::string::npos) << name;
  }
  Error_Last.clear();
  EXPECT_EQ(CallBuiltin(Fn("sound_isplaying"), {R(5)}).real, 0);
  EXPECT_TRUE(Error_Last.empty());
  CallBuiltin(Fn("sound_loop"), {R(0)});
  EXPECT_EQ(CallBuiltin(Fn("sound_isplaying"), {R(0)}).real, 1);
  CallBuiltin(Fn("sound_volume"), {R(0), R(0.5)});
  EXPECT_DOUBLE_EQ(Sound_Data(0)->volume, 0.5);
  CallBuiltin(Fn("sound_fade"), {R(0), R(0.1), R(1000)});
  EXPECT_DOUBLE_EQ(Sound_Data(0)->volume, 0.5) << "a fade leaves the stored volume";
  CallBuiltin(Fn("sound_stop_all"), {});
  EXPECT_EQ(CallBuiltin(Fn("sound_isplaying"), {R(0)}).real, 0);
  EXPECT_EQ(CallBuiltin(Fn("cd_present"), {}).real, 0);
  EXPECT_EQ(CallBuiltin(Fn("MCI_command"), {S("frobnicate all")}).Text(), "");
}

TEST_F(SoundBuiltins, AudioSwitchOnSilencesSoundPlay) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.1)}, true));
  ASSERT_TRUE(sound.ok());
  EXPECT_EQ(CallBuiltin(Fn("audio_play_sound"), {R(0), R(1), R(0)}).real, kFirstVoiceId);
  CallBuiltin(Fn("sound_play"), {R(0)});
  EXPECT_TRUE(Error_Last.empty()) << "sound_play does nothing at all with the switch on";
  EXPECT_EQ(CallBuiltin(Fn("audio_emitter_exists"), {R(0)}).real, 0);
  EXPECT_EQ(CallBuiltin(Fn("audio_get_type"), {R(0)}).real, 0);
}

}  // namespace
