#include "audio/music_decoder.h"

#include <fluidsynth.h>
#include <mpg123.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/shared_library.h"

namespace {

constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int32_t kMidiRate = 44100;

bool IsMidiName(const std::string& path) {
  std::string lower = path;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.ends_with(".mid") || lower.ends_with(".midi");
}

struct Mpg123Deleter {
  void operator()(mpg123_handle* h) const {
    mpg123_close(h);
    mpg123_delete(h);
  }
};
using Mpg123Handle = std::unique_ptr<mpg123_handle, Mpg123Deleter>;

// An MP3 file opened with 16-bit output; null when it has no readable format.
Mpg123Handle OpenMp3(const std::string& path, long& rate, int& channels) {
  Mpg123Handle h(mpg123_new(nullptr, nullptr));
  if (h == nullptr) return nullptr;
  mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(h.get());
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) {
    mpg123_format(h.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  if (mpg123_open(h.get(), path.c_str()) != MPG123_OK) return nullptr;
  int encoding = 0;
  if (mpg123_getformat(h.get(), &rate, &channels, &encoding) != MPG123_OK) return nullptr;
  if (channels != 1 && channels != 2) return nullptr;
  return h;
}

class Mp3Decoder final : public MusicDecoder {
 public:
  Mp3Decoder(Mpg123Handle handle, long rate, int channels)
      : handle_(std::move(handle)), rate_(static_cast<int32_t>(rate)), channels_(channels) {}
  int32_t Channels() const override { return channels_; }
  int32_t Rate() const override { return rate_; }
  void Read(std::vector<int16_t>& out, int32_t frames) override {
    const size_t old = out.size();
    out.resize(old + static_cast<size_t>(frames) * static_cast<size_t>(channels_));
    size_t done = 0;
    // A format change inside the file keeps the first format (the output format is fixed).
    int status = MPG123_NEW_FORMAT;
    while (status == MPG123_NEW_FORMAT) {
      status = mpg123_read(handle_.get(), reinterpret_cast<unsigned char*>(out.data() + old),
                           (out.size() - old) * sizeof(int16_t), &done);
    }
    out.resize(old + done / sizeof(int16_t));
  }
  bool Rewind() override { return mpg123_seek(handle_.get(), 0, SEEK_SET) >= 0; }

 private:
  Mpg123Handle handle_;
  int32_t rate_;
  int channels_;
};

// FluidSynth, opened by the first MIDI piece: the functions the decoder uses.
#define KF_FLUID_FUNCTIONS(X)                                                                          \
  X(fluid_set_log_function) X(new_fluid_settings) X(delete_fluid_settings) X(fluid_settings_setnum)    \
  X(new_fluid_synth) X(delete_fluid_synth) X(fluid_synth_sfload) X(fluid_synth_write_s16)              \
  X(fluid_synth_system_reset) X(new_fluid_player) X(delete_fluid_player) X(fluid_player_add)           \
  X(fluid_player_play) X(fluid_player_stop) X(fluid_player_get_status) X(fluid_is_midifile)

struct FluidFunctions {
  KF_FLUID_FUNCTIONS(KF_LIBRARY_FUNCTION)
};

FluidFunctions g_Fluid;

// False when the library or one of its functions is missing: no MIDI piece opens then.
bool LoadFluid() {
  FluidFunctions& table = g_Fluid;
  static const bool loaded = SharedLibrary_Load("libfluidsynth.so.3", {KF_FLUID_FUNCTIONS(KF_LIBRARY_ENTRY)});
  return loaded;
}

// Only reached once LoadFluid succeeded.
const FluidFunctions& Fluid() { return g_Fluid; }

void QuietFluid(int, const char*, void*) {}

class MidiDecoder final : public MusicDecoder {
 public:
  explicit MidiDecoder(std::string path) : path_(std::move(path)) {}
  ~MidiDecoder() override {
    DropPlayer();
    if (synth_ != nullptr) Fluid().delete_fluid_synth(synth_);
    if (settings_ != nullptr) Fluid().delete_fluid_settings(settings_);
  }

  bool Open() {
    if (!LoadFluid()) return false;
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      Fluid().fluid_set_log_function(level, QuietFluid, nullptr);
    }
    settings_ = Fluid().new_fluid_settings();
    if (settings_ == nullptr) return false;
    Fluid().fluid_settings_setnum(settings_, "synth.sample-rate", kMidiRate);
    synth_ = Fluid().new_fluid_synth(settings_);
    if (synth_ == nullptr || Fluid().fluid_synth_sfload(synth_, kSoundFont, 1) == FLUID_FAILED) return false;
    return StartPlayer();
  }

  int32_t Channels() const override { return 2; }
  int32_t Rate() const override { return kMidiRate; }
  void Read(std::vector<int16_t>& out, int32_t frames) override {
    if (player_ == nullptr || Fluid().fluid_player_get_status(player_) != FLUID_PLAYER_PLAYING) return;
    const size_t old = out.size();
    out.resize(old + static_cast<size_t>(frames) * 2);
    Fluid().fluid_synth_write_s16(synth_, frames, out.data() + old, 0, 2, out.data() + old, 1, 2);
  }
  bool Rewind() override {
    DropPlayer();
    Fluid().fluid_synth_system_reset(synth_);
    return StartPlayer();
  }

 private:
  bool StartPlayer() {
    player_ = Fluid().new_fluid_player(synth_);
    return player_ != nullptr && Fluid().fluid_player_add(player_, path_.c_str()) == FLUID_OK &&
           Fluid().fluid_player_play(player_) == FLUID_OK;
  }
  void DropPlayer() {
    if (player_ == nullptr) return;
    Fluid().fluid_player_stop(player_);
    Fluid().delete_fluid_player(player_);
    player_ = nullptr;
  }

  std::string path_;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;
};

}  // namespace

bool MusicDecoder_CanOpen(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  if (IsMidiName(path)) {
    return std::filesystem::exists(kSoundFont, error) && LoadFluid() && Fluid().fluid_is_midifile(path.c_str());
  }
  long rate = 0;
  int channels = 0;
  return OpenMp3(path, rate, channels) != nullptr;
}

std::unique_ptr<MusicDecoder> MusicDecoder_Open(const std::string& path) {
  if (IsMidiName(path)) {
    auto midi = std::make_unique<MidiDecoder>(path);
    if (!midi->Open()) return nullptr;
    return midi;
  }
  long rate = 0;
  int channels = 0;
  Mpg123Handle handle = OpenMp3(path, rate, channels);
  if (handle == nullptr) return nullptr;
  return std::make_unique<Mp3Decoder>(std::move(handle), rate, channels);
}
