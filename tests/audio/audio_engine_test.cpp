// The audio engine on a loopback device: voice ids, the source pool's priorities, lengths,
// emitters, falloff models and the master gain.
#include <gtest/gtest.h>

#include "audio/audio_engine.h"
#include "audio_support.h"
#include "support/console_capture.h"

namespace {

constexpr int32_t kRate = 44100;

TEST(AudioEngine, PlaysGiveVoiceIdsAndSound) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.5)}, true));
  ASSERT_TRUE(sound.ok());
  EXPECT_EQ(Audio_PlaySound(0, 1.0f, 0), kFirstVoiceId);
  EXPECT_EQ(Audio_PlaySound(0, 1.0f, 0), kFirstVoiceId + 1);
  EXPECT_EQ(Audio_PlaySound(7, 1.0f, 0), -1) << "no such asset";
  const std::vector<int16_t> mix = sound.Render(kRate / 4);
  EXPECT_NEAR(Frequency(mix, kRate), 440.0, 3.0);
  EXPECT_TRUE(Audio_IsPlaying(kFirstVoiceId));
  EXPECT_TRUE(Audio_IsPlaying(0)) << "an asset index: any voice of it";
  Audio_StopSound(kFirstVoiceId);
  EXPECT_FALSE(Audio_IsPlaying(kFirstVoiceId));
  EXPECT_TRUE(Audio_IsPlaying(kFirstVoiceId + 1)) << "a voice id stops only that voice";
  Audio_StopSound(0);
  EXPECT_FALSE(Audio_IsPlaying(0));
}

TEST(AudioEngine, FullPoolGivesWayOnlyToHigherPriority) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.5), ToneWave(660.0, 0.5)}, true));
  ASSERT_TRUE(sound.ok());
  Audio_SetChannelNum(2);
  const int32_t a = Audio_PlaySound(0, 5.0f, 1);
  const int32_t b = Audio_PlaySound(1, 5.0f, 1);
  ASSERT_GE(a, kFirstVoiceId);
  ASSERT_GE(b, kFirstVoiceId);
  EXPECT_EQ(Audio_PlaySound(0, 5.0f, 0), -1) << "no voice is strictly weaker";
  EXPECT_EQ(Audio_PlaySound(9, 10.0f, 0), -1);
  EXPECT_TRUE(Audio_IsPlaying(a) && Audio_IsPlaying(b)) << "a play of a missing sound stops nothing";
  const int32_t c = Audio_PlaySound(1, 6.0f, 0);
  EXPECT_EQ(c, b + 1);
  EXPECT_FALSE(Audio_IsPlaying(a)) << "the first voice in table order gave up its source";
  EXPECT_TRUE(Audio_IsPlaying(b));
  EXPECT_TRUE(Audio_IsPlaying(c));
  Audio_StopSound(a);  // a replaced voice: nothing of the new play is stopped
  EXPECT_TRUE(Audio_IsPlaying(c));
}

TEST(AudioEngine, ChannelCountChangeForgetsOldVoices) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.5)}, true));
  ASSERT_TRUE(sound.ok());
  const int32_t old = Audio_PlaySound(0, 1.0f, 1);
  Audio_SetChannelNum(1);
  EXPECT_FALSE(Audio_IsPlaying(old));
  const int32_t fresh = Audio_PlaySound(0, 1.0f, 1);
  Audio_StopSound(old);
  EXPECT_TRUE(Audio_IsPlaying(fresh));
  Audio_SetChannelNum(0);  // refused
  EXPECT_EQ(Audio_ChannelCount(), 1);
  EXPECT_TRUE(Audio_IsPlaying(fresh));
}

TEST(AudioEngine, SoundLengthInSeconds) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 1.0, 44100, 2), ToneWave(440.0, 0.5, 22050, 1)}, true));
  ASSERT_TRUE(sound.ok());
  EXPECT_FLOAT_EQ(Audio_SoundLength(0), 1.0f);
  EXPECT_FLOAT_EQ(Audio_SoundLength(1), 0.5f);
  const int32_t voice = Audio_PlaySound(1, 1.0f, 0);
  EXPECT_FLOAT_EQ(Audio_SoundLength(voice), 0.5f);
  EXPECT_FLOAT_EQ(Audio_SoundLength(5), -1.0f);
  EXPECT_EQ(Audio_GetType(0), 0);
  EXPECT_EQ(Audio_GetType(5), -1);
}

TEST(AudioEngine, EmittersGrowByEightAndAreReused) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.5)}, true));
  ASSERT_TRUE(sound.ok());
  for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(Audio_EmitterCreate(), i);
  EXPECT_EQ(Audio_EmitterTableLength(), 8);
  EXPECT_EQ(Audio_EmitterCreate(), 8);
  EXPECT_EQ(Audio_EmitterTableLength(), 16);
  Audio_EmitterFree(3);
  EXPECT_TRUE(Audio_EmitterExists(3));
  EXPECT_FALSE(Audio_EmitterExists(9)) << "an entry never filled";
  ConsoleCapture console;
  EXPECT_EQ(Audio_PlaySoundOn(3, 0, 0, 1.0f), -1);
  EXPECT_TRUE(console.Contains("Audio_PlaySound Attempting to play sound on inactive emitter 3\n"));
  EXPECT_EQ(Audio_EmitterCreate(), 3);
  const int32_t voice = Audio_PlaySoundOn(3, 0, 1, 1.0f);
  EXPECT_GE(voice, kFirstVoiceId);
  Audio_EmitterPosition(3, 50.0f, 0.0f, 0.0f);
  Audio_Update();
  sound.Render(1000);
  EXPECT_TRUE(Audio_IsPlaying(voice));
}

TEST(AudioEngine, UnknownFalloffModelIsLogged) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.5)}, true));
  ConsoleCapture console;
  Audio_FalloffSetModel(7);
  Audio_FalloffSetModel(-1);
  Audio_FalloffSetModel(6);
  size_t count = 0;
  for (size_t at = 0; (at = console.Text().find("Attempting to set audio falloff to unknown model\n", at)) != std::string::npos;
       ++at) {
    ++count;
  }
  EXPECT_EQ(count, 2u);
}

TEST(AudioEngine, MasterGainZeroSilencesTheMix) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.5)}, true));
  ASSERT_TRUE(sound.ok());
  Audio_PlaySound(0, 1.0f, 1);
  EXPECT_GT(Peak(sound.Render(4000)), 5000);
  Audio_MasterGain(0.0);
  sound.Render(4096);  // past the library's gain ramp
  EXPECT_LE(Peak(sound.Render(4000)), kDither);
  Audio_MasterGain(-3.0);  // below zero counts as zero
  EXPECT_LE(Peak(sound.Render(4000)), kDither);
  Audio_MasterGain(1.0);
  sound.Render(4096);
  EXPECT_GT(Peak(sound.Render(4000)), 5000);
}

TEST(AudioEngine, SwitchOffAnswersEmpty) {
  LoopbackSound sound(SoundGame({ToneWave(440.0, 0.5)}, false));
  ASSERT_TRUE(sound.ok());
  EXPECT_EQ(Audio_PlaySound(0, 1.0f, 0), -1);
  EXPECT_FLOAT_EQ(Audio_SoundLength(0), -1.0f);
  EXPECT_EQ(Audio_EmitterCreate(), -1);
  EXPECT_FALSE(Audio_IsPlaying(0));
}

}  // namespace
