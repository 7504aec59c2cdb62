// The older engine's sounds played through a loopback device: what is heard, looping, stopping,
// volume and fades, and a WAVE image that lies about its size.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/sound_hardware.h"
#include "audio/sound_resources.h"
#include "audio_support.h"
#include "runner/main_loop.h"
#include "support/console_capture.h"

namespace {

constexpr int32_t kRate = 44100;

int32_t Play(int32_t index, bool loop) {
  CSound* sound = Sound_Data(index);
  const int32_t id = sound->GetSoundId();
  Sound_Play(sound->fileName, id, loop);
  return id;
}

TEST(SoundPlayback, ToneIsHeardAtItsPitch) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.5)}, false));
  ASSERT_TRUE(sound.ok());
  EXPECT_LE(Peak(sound.Render(2000)), kDither);  // nothing before the play
  const int32_t id = Play(0, false);
  EXPECT_TRUE(Sound_IsPlaying(Sound_Data(0)->fileName, id));
  const std::vector<int16_t> mix = sound.Render(kRate / 4);
  EXPECT_NEAR(Frequency(mix, kRate), 440.0, 3.0);
  EXPECT_GT(Peak(mix), 8000);
  EXPECT_LT(Peak(mix), 17000);
}

TEST(SoundPlayback, LoopGoesOnUntilStopped) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.05)}, false));
  ASSERT_TRUE(sound.ok());
  const int32_t once = Play(0, false);
  std::vector<int16_t> mix = sound.Render(kRate / 5);
  EXPECT_GT(Peak(mix, 0, 1000), 1000);
  EXPECT_LE(Peak(mix, mix.size() - 2000), kDither) << "a single play ends with its data";
  EXPECT_FALSE(Sound_IsPlaying(Sound_Data(0)->fileName, once));

  Play(0, true);
  mix = sound.Render(kRate / 5);
  EXPECT_GT(Peak(mix, mix.size() - 2000), 1000) << "a loop is still heard after its data ran out";
  Sound_Stop(Sound_Data(0)->fileName, once);
  sound.Render(256);
  EXPECT_LE(Peak(sound.Render(2000)), kDither);
  EXPECT_FALSE(Sound_IsPlaying(Sound_Data(0)->fileName, once));
}

TEST(SoundPlayback, VolumeReachesPlayingSourcesAtTheNextTick) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 1.0)}, false));
  ASSERT_TRUE(sound.ok());
  const int32_t id = Play(0, false);
  const int32_t full = Peak(sound.Render(4410));
  Sound_SetVolume(id, 0.5, 0);
  EXPECT_NEAR(Peak(sound.Render(4410)), full, full * 0.05) << "no change before the tick";
  Sound_Tick();
  sound.Render(512);  // past the library's gain ramp
  EXPECT_NEAR(Peak(sound.Render(4410)), full / 2, full * 0.05);
  Sound_SetGlobalVolume(0.0);
  Play(0, false);  // a new play takes the master volume
  Sound_Stop(Sound_Data(0)->fileName, id);
  Play(0, false);
  sound.Render(512);
  EXPECT_LE(Peak(sound.Render(2000)), kDither);
  Sound_SetGlobalVolume(1.0);
}

TEST(SoundPlayback, FadeFramesFollowTheRoomSpeed) {
  MainLoopHooks& hooks = MainLoop_Hooks();
  const auto saved = hooks.currentRoomSpeed;
  static int32_t speed = 30;
  hooks.currentRoomSpeed = [] { return &speed; };
  struct Case {
    int32_t speed, time, frames;
  };
  for (const Case& c : {Case{30, 500, 15}, Case{60, 500, 31}, Case{30, 1000, 30}, Case{30, 0, 1}, Case{30, 20, 1},
                        Case{2000, 500, 500}, Case{0, 500, 500}}) {
    speed = c.speed;
    EXPECT_EQ(Sound_FadeFrames(c.time), c.frames) << "speed " << c.speed << ", " << c.time << " ms";
  }
  hooks.currentRoomSpeed = nullptr;
  EXPECT_EQ(Sound_FadeFrames(500), 15) << "no room: speed 30";
  hooks.currentRoomSpeed = saved;
}

TEST(SoundPlayback, FadeMovesTheVolumeFrameByFrame) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 1.0)}, false));
  ASSERT_TRUE(sound.ok());
  const int32_t id = Sound_Data(0)->GetSoundId();
  Sound_Tick();  // the preparation's volume
  Sound_SetVolume(id, 0.5, 1000);  // 30 frames at speed 30
  for (int i = 0; i < 15; ++i) Sound_Tick();
  EXPECT_NEAR(Sound_HardwareSound(id)->volume, 0.75, 1e-4);
  for (int i = 0; i < 20; ++i) Sound_Tick();
  EXPECT_NEAR(Sound_HardwareSound(id)->volume, 0.5, 1e-4);
  EXPECT_EQ(Sound_HardwareSound(id)->fadeFrames, 0);
}

TEST(SoundPlayback, FifthPlayRestartsTheFirstSource) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 1.0)}, false));
  ASSERT_TRUE(sound.ok());
  const int32_t id = Sound_Data(0)->GetSoundId();
  for (int i = 0; i < 5; ++i) Sound_Play(std::nullopt, id, false);
  EXPECT_EQ(Sound_HardwareSound(id)->nextSource, 1);
}

TEST(SoundPlayback, LyingWaveHeaderLeavesTheSoundSilent) {
  std::vector<uint8_t> wave = ToneWave(440.0, 0.1);
  const uint32_t huge = 0x7FFFFFF0u;
  std::memcpy(wave.data() + 40, &huge, 4);  // the data chunk claims far more than is there
  ConsoleCapture console;
  LoopbackSound sound(SoundGame({wave, std::vector<uint8_t>{'R', 'I', 'F'}}, false));
  ASSERT_TRUE(sound.ok());
  EXPECT_TRUE(console.Contains("ALUT error on load"));
  for (int32_t index : {0, 1}) {
    const int32_t id = Play(index, true);
    EXPECT_GE(id, 0) << "the slot is taken even when the load failed";
    EXPECT_EQ(Sound_HardwareSound(id), nullptr);
    EXPECT_FALSE(Sound_IsPlaying(Sound_Data(index)->fileName, id));
  }
  EXPECT_LE(Peak(sound.Render(4000)), kDither);
}

TEST(SoundPlayback, DiscardAndRestoreReuseTheirSlot) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.1), ToneWave(220.0, 0.1)}, false));
  ASSERT_TRUE(sound.ok());
  const int32_t slots = Sound_SlotCount();
  for (int i = 0; i < 200; ++i) {
    Sound_Data(0)->Discard();
    Sound_Data(0)->Restore();
  }
  EXPECT_EQ(Sound_SlotCount(), slots);
  // A looping sound that is discarded stops with it.
  const int32_t id = Play(1, true);
  sound.Render(1000);
  Sound_Data(1)->Discard();
  sound.Render(256);
  EXPECT_LE(Peak(sound.Render(2000)), kDither);
  EXPECT_EQ(Sound_HardwareSound(id), nullptr);
}

}  // namespace
