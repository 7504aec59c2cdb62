// CD audio over a disc image the test writes: a CUE sheet and a BIN file of five two-second
// tracks of tone (support/cd_disc_image). The commands the layer sends are recorded on their way to the libcdio device;
// the sound device records the samples it is given.
#include "platform/cd_audio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "audio/null/null_device.h"
#include "platform/cdio/cdio_device.h"
#include "support/cd_disc_image.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFramesPerTrack = kDiscFramesPerTrack;
constexpr int kSamplesPerFrame = kDiscSamplesPerFrame;

class RecordingDevice final : public CdDevice {
 public:
  explicit RecordingDevice(std::unique_ptr<CdDevice> inner, std::vector<std::string>& log)
      : inner_(std::move(inner)), log_(log) {}
  int32_t Send(const std::string& command, std::string& reply) override {
    log_.push_back(command);
    return inner_->Send(command, reply);
  }

 private:
  std::unique_ptr<CdDevice> inner_;
  std::vector<std::string>& log_;
};

// A sound device that keeps the samples of the last buffer and the state of its one source.
class CapturingAudio final : public NullAudioDevice {
 public:
  std::vector<int16_t> last;
  SourceState state = SourceState::Initial;
  bool IsNull() const override { return false; }
  uint32_t CreateBufferFromPcm(std::span<const int16_t> s, int32_t, int32_t) override {
    last.assign(s.begin(), s.end());
    return 1;
  }
  void Play(uint32_t) override { state = SourceState::Playing; }
  void Stop(uint32_t) override { state = SourceState::Stopped; }
  void Pause(uint32_t) override { state = SourceState::Paused; }
  SourceState GetState(uint32_t) override { return state; }
};

class CdAudio : public testing::Test {
 protected:
  void Use(const std::string& source) {
    CdAudio_UseDevice(std::make_unique<RecordingDevice>(CdioDevice_Make(source, [this] { return now; }), log));
  }
  void UseDisc() {
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    Use(WriteDiscImage((fs::path(testing::TempDir()) / ("kf_cd_" + name)).string(), 5));
  }
  void SetUp() override {
    auto device = std::make_unique<CapturingAudio>();
    audio = device.get();
    AudioDevice_Use(std::move(device));
  }
  void TearDown() override {
    CdAudio_Shutdown();
    AudioDevice_Use(nullptr);
  }
  // Everything sent since the last call.
  std::vector<std::string> Sent() { return std::exchange(log, {}); }

  int64_t now = 1000;
  std::vector<std::string> log;
  CapturingAudio* audio = nullptr;
};

using Commands = std::vector<std::string>;

TEST_F(CdAudio, WithoutADiscEverythingAnswersNothing) {
  const fs::path dir = fs::path(testing::TempDir()) / "kf_cd_broken";
  fs::create_directories(dir);
  std::ofstream(dir / "damaged.cue") << "FILE \"disc.bin\" BINARY\n  TRACK 99 NONSENSE\n    INDEX xx\n\x01\x02";
  std::ofstream(dir / "nobin.cue") << "FILE \"absent.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
  for (const fs::path& source : {dir / "missing.cue", dir / "damaged.cue", dir / "nobin.cue"}) {
    SCOPED_TRACE(source.filename().string());
    Use(source.string());
    EXPECT_FALSE(CD_Open());
    EXPECT_EQ(CD_NumberOfTracks(), 0);
    EXPECT_FALSE(CD_Mode());
    EXPECT_EQ(CD_TrackLength(1), 0);
    Sent();
    CD_Play(1, 3);
    EXPECT_EQ(Sent(), (Commands{"open cdaudio", "status cdaudio media present"}));
  }
  CdAudio_UseDevice(CdDevice_MakeNull());
  EXPECT_FALSE(CD_Open());
  EXPECT_EQ(CD_CurrentTrack(), 0);
}

TEST_F(CdAudio, TableOfContents) {
  UseDisc();
  EXPECT_TRUE(CD_Open());
  EXPECT_EQ(CD_NumberOfTracks(), 5);
  EXPECT_EQ(CD_Length(), 10000);
  for (int t = 1; t <= 5; ++t) EXPECT_EQ(CD_TrackLength(t), 2000) << t;
  EXPECT_EQ(CD_TrackLength(0), 0);
  EXPECT_EQ(CD_TrackLength(6), 0);
  Sent();
  CD_TrackLength(3);
  EXPECT_EQ(Sent(), (Commands{"open cdaudio", "status cdaudio media present", "status cdaudio number of tracks",
                              "open cdaudio", "set cdaudio time format milliseconds wait",
                              "status cdaudio length track 3", "set cdaudio time format tmsf wait"}));
}

TEST_F(CdAudio, PlayingOneTrackPlaysOnlyThatTrack) {
  UseDisc();
  Sent();
  CD_Play(2, 2);
  const Commands sent = Sent();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[2], "set cdaudio time format tmsf wait");
  EXPECT_EQ(sent.back(), "play cdaudio from 2 to 3");
  // Track 2's two seconds, and nothing else.
  ASSERT_EQ(audio->last.size(), size_t(kFramesPerTrack * kSamplesPerFrame));
  EXPECT_EQ(audio->last[1], 200);
  EXPECT_EQ(audio->last.back(), 200);
  EXPECT_EQ(audio->last[2], DiscSample(2, 2));
  EXPECT_TRUE(CD_Mode());
  EXPECT_EQ(CD_CurrentTrack(), 2);
  now += 1520;  // 114 frames of 1/75 s
  EXPECT_EQ(CD_Position(), 3520);
  EXPECT_EQ(CD_TrackPosition(), 1000);
  now += 1000;  // past the end of track 2: stopped there
  EXPECT_FALSE(CD_Mode());
  EXPECT_TRUE(CD_IsPaused());
  EXPECT_EQ(CD_Position(), 4000);
  EXPECT_EQ(audio->state, SourceState::Stopped);
}

TEST_F(CdAudio, PlayCommandsForTrackRanges) {
  UseDisc();
  struct Case {
    int first, last;
    std::string play;  // empty: no play command
  } cases[] = {{3, 2, ""}, {0, 2, "play cdaudio from 1 to 3"}, {4, 5, "play cdaudio from 4"}, {2, 9, "play cdaudio from 2"}};
  for (const Case& c : cases) {
    CD_Stop();
    Sent();
    CD_Play(c.first, c.last);
    const Commands sent = Sent();
    SCOPED_TRACE(std::to_string(c.first) + "," + std::to_string(c.last));
    if (c.play.empty()) {
      EXPECT_EQ(sent, (Commands{"open cdaudio", "status cdaudio media present", "set cdaudio time format tmsf wait"}));
      EXPECT_FALSE(CD_Mode());
    } else {
      EXPECT_EQ(sent.back(), c.play);
      EXPECT_TRUE(CD_Mode());
    }
  }
  // From track 4 to the end of the disc: track 5 follows track 4.
  CD_Stop();
  CD_Play(4, 5);
  now += 2100;
  EXPECT_EQ(CD_CurrentTrack(), 5);
  EXPECT_EQ(audio->last[1], 500);
}

TEST_F(CdAudio, PauseResumeSeekAndDoor) {
  UseDisc();
  CD_Play(1, 5);
  now += 520;  // 39 frames
  CD_Pause();
  EXPECT_TRUE(CD_IsPaused());
  now += 5000;
  EXPECT_EQ(CD_Position(), 520);
  CD_Resume();
  now += 240;
  EXPECT_EQ(CD_Position(), 760);
  CD_Stop();
  Sent();
  CD_SetPosition(3000);
  EXPECT_EQ(Sent().back(), "set cdaudio time format tmsf");
  EXPECT_EQ(CD_CurrentTrack(), 2);
  EXPECT_EQ(CD_TrackPosition(), 1000);
  CD_SetTrackPosition(1500);  // stays on track 2, seconds only
  EXPECT_EQ(CD_Position(), 3000);
  CD_Play(1, 5);
  Sent();
  CD_SetTrackPosition(61000);  // past the track's end: refused, playing on
  const Commands sent = Sent();
  EXPECT_NE(std::find(sent.begin(), sent.end(), "play cdaudio from 1:1:1"), sent.end());
  EXPECT_TRUE(CD_Mode());
  CD_OpenDoor();
  EXPECT_FALSE(CD_Open());
  EXPECT_EQ(CD_NumberOfTracks(), 0);
  CD_CloseDoor();
  EXPECT_TRUE(CD_Open());
  EXPECT_EQ(CD_NumberOfTracks(), 5);
}

}  // namespace
