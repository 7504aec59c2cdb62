// The media-command layer: a MIDI file rendered by the synthesizer and played on the loopback
// device, and commands the layer refuses.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/audio_device.h"
#include "audio/media_player.h"
#include "audio_support.h"
#include "support/game_data_writer.h"
#include "support/runner_process.h"

namespace {

// One middle C, half a second at the default tempo.
std::vector<uint8_t> OneNoteMidi() {
  return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
          'M', 'T', 'r', 'k', 0, 0, 0, 12, 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
}

TEST(MediaPlayer, MidiIsRenderedAndPlayed) {
  if (!std::filesystem::exists("/usr/share/sounds/sf2/TimGM6mb.sf2")) GTEST_SKIP() << "no SoundFont";
  TempFolder folder;
  ASSERT_TRUE(WriteBytes(folder / "theme.mid", OneNoteMidi()));
  auto owned = OpenALDevice::OpenLoopback(44100);
  OpenALDevice* device = owned.get();
  ASSERT_NE(device, nullptr);
  AudioDevice_Use(std::move(owned));
  std::string reply;
  EXPECT_EQ(Media_SendCommand("open \"" + folder / "theme.mid" + "\" type sequencer alias tune", reply), 0);
  EXPECT_EQ(Media_SendCommand("status tune mode", reply), 0);
  EXPECT_EQ(reply, "stopped");
  EXPECT_EQ(Media_SendCommand("play tune", reply), 0);
  EXPECT_EQ(Media_SendCommand("status tune mode", reply), 0);
  EXPECT_EQ(reply, "playing");
  std::vector<int16_t> mix(2 * 8820);
  device->RenderMix(mix.data(), 8820);
  EXPECT_GT(Peak(mix), 200);
  EXPECT_EQ(Media_SendCommand("setaudio tune volume to 0", reply), 0);
  EXPECT_EQ(Media_SendCommand("stop tune", reply), 0);
  EXPECT_EQ(Media_SendCommand("status tune mode", reply), 0);
  EXPECT_EQ(reply, "stopped");
  EXPECT_EQ(Media_SendCommand("close tune", reply), 0);
  AudioDevice_Stop();
}

TEST(MediaPlayer, RefusedCommandsAnswerWithAnError) {
  TempFolder folder;
  ASSERT_TRUE(WriteBytes(folder / "noise.mp3", std::vector<uint8_t>(64, 0x55)));
  std::string reply = "old";
  for (const std::string& command : {std::string("status nothing mode"), std::string("fly me to the moon"),
                                     std::string(""), "open \"" + folder / "missing.mp3" + "\" alias a",
                                     "open \"" + folder / "noise.mp3" + "\" alias b", std::string("setaudio")}) {
    const int32_t code = Media_SendCommand(command, reply);
    EXPECT_NE(code, 0) << command;
    EXPECT_FALSE(Media_ErrorText(code).empty());
    EXPECT_EQ(reply, "") << command;
  }
}

}  // namespace
