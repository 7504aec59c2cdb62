// The media-command layer: MIDI files synthesised as a stream and played on the loopback
// device, and commands the layer refuses.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "audio/audio_device.h"
#include "audio/media_player.h"
#include "audio_support.h"
#include "support/game_data_writer.h"
#include "support/midi_file.h"
#include "support/runner_process.h"

namespace {

// One middle C, half a second at the default tempo.
std::vector<uint8_t> OneNoteMidi() {
  return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
          'M', 'T', 'r', 'k', 0, 0, 0, 12, 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
}

// Ticks the back end until the stream has music queued on the device (a state, not a time).
bool TickUntilQueued(const std::string& alias) {
  for (int i = 0; i < 2000; ++i) {
    Media_Tick();
    MusicStreamInfo info;
    if (!Media_StreamInfo(alias, info)) return false;
    if (info.buffersQueued > 0 || info.failed) return info.buffersQueued > 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

class LoopbackMusic : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists("/usr/share/sounds/sf2/TimGM6mb.sf2")) GTEST_SKIP() << "no SoundFont";
    auto owned = OpenALDevice::OpenLoopback(44100);
    device_ = owned.get();
    ASSERT_NE(device_, nullptr);
    AudioDevice_Use(std::move(owned));
  }
  void TearDown() override {
    Media_CloseAll();
    AudioDevice_Stop();
  }
  OpenALDevice* device_ = nullptr;
  TempFolder folder_;
};

// Three minutes of MIDI: play answers while the stream has decoded only its first seconds,
// and the music is heard once the back end's tick has queued it.
TEST_F(LoopbackMusic, LongMidiPlaysWhileItIsStillBeingSynthesised) {
  ASSERT_TRUE(WriteBytes(folder_ / "long.mid", MidiOfQuarterNotes(360)));
  std::string reply;
  ASSERT_EQ(Media_SendCommand("open \"" + folder_ / "long.mid" + "\" type sequencer alias long", reply), 0);
  ASSERT_EQ(Media_SendCommand("play long repeat", reply), 0);
  ASSERT_TRUE(TickUntilQueued("long"));
  MusicStreamInfo info;
  ASSERT_TRUE(Media_StreamInfo("long", info));
  EXPECT_TRUE(info.opened);
  EXPECT_FALSE(info.finished);
  // The decoder stays a bounded distance ahead of what the device has taken.
  const int64_t ahead = int64_t{CMusicStream::kBlockFrames} * (CMusicStream::kBlocksAhead + CMusicStream::kDeviceBuffers + 1);
  EXPECT_LE(info.framesDecoded, ahead);
  EXPECT_LT(info.framesDecoded, int64_t{44100} * 180);
  std::vector<int16_t> mix(2 * 8820);
  device_->RenderMix(mix.data(), 8820);
  EXPECT_GT(Peak(mix), 200);
  EXPECT_EQ(Media_SendCommand("status long mode", reply), 0);
  EXPECT_EQ(reply, "playing");
  EXPECT_EQ(Media_SendCommand("pause long", reply), 0);
  EXPECT_EQ(Media_SendCommand("status long mode", reply), 0);
  EXPECT_EQ(reply, "paused");
  EXPECT_EQ(Media_SendCommand("close long", reply), 0);
}

// A short piece ends by itself: once its last buffer has played the stream reads as stopped,
// and play starts it again from the beginning.
TEST_F(LoopbackMusic, ShortMidiEndsAndPlaysAgain) {
  ASSERT_TRUE(WriteBytes(folder_ / "theme.mid", OneNoteMidi()));
  std::string reply;
  ASSERT_EQ(Media_SendCommand("open \"" + folder_ / "theme.mid" + "\" alias tune", reply), 0);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(Media_SendCommand("play tune", reply), 0);
    ASSERT_TRUE(TickUntilQueued("tune"));
    std::vector<int16_t> mix(2 * 4410);
    bool heard = false;
    for (int i = 0; i < 400 && reply != "stopped"; ++i) {
      device_->RenderMix(mix.data(), 4410);
      heard = heard || Peak(mix) > 200;
      ASSERT_EQ(Media_SendCommand("status tune mode", reply), 0);
      if (reply != "stopped") std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(heard);
    EXPECT_EQ(reply, "stopped");
  }
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
  ASSERT_TRUE(TickUntilQueued("tune"));
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
