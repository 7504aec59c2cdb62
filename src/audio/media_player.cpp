#include "audio/media_player.h"

#include <fluidsynth.h>
#include <mpg123.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

#include "audio/audio_device.h"

namespace {

enum MediaError : int32_t {
  kOk = 0,
  kUnknownCommand = 261,
  kCannotOpen = 275,
  kNotOpen = 263,
  kBadParameter = 274,
};

constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int32_t kMidiRate = 44100;
constexpr int64_t kMidiMaxFrames = int64_t{kMidiRate} * 60 * 10;  // ten minutes at most

struct MediaDevice {
  uint32_t buffer = 0;
  uint32_t source = 0;
  bool repeat = false;
};

std::map<std::string, MediaDevice>& Devices() {
  static std::map<std::string, MediaDevice> devices;
  return devices;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Splits a command into words; a word in double quotes keeps its spaces.
std::vector<std::string> Words(const std::string& command) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < command.size()) {
    while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i]))) ++i;
    if (i >= command.size()) break;
    if (command[i] == '"') {
      const size_t end = command.find('"', i + 1);
      words.push_back(command.substr(i + 1, (end == std::string::npos ? command.size() : end) - i - 1));
      i = end == std::string::npos ? command.size() : end + 1;
    } else {
      size_t end = i;
      while (end < command.size() && !std::isspace(static_cast<unsigned char>(command[end]))) ++end;
      words.push_back(command.substr(i, end - i));
      i = end;
    }
  }
  return words;
}

bool DecodeMp3(const std::string& path, std::vector<int16_t>& pcm, int32_t& channels, int32_t& rate) {
  mpg123_handle* h = mpg123_new(nullptr, nullptr);
  if (h == nullptr) return false;
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(h);
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  bool ok = false;
  if (mpg123_open(h, path.c_str()) == MPG123_OK) {
    long r = 0;
    int ch = 0, enc = 0;
    if (mpg123_getformat(h, &r, &ch, &enc) == MPG123_OK) {
      std::vector<unsigned char> chunk(16384);
      size_t done = 0;
      int status;
      do {
        status = mpg123_read(h, chunk.data(), chunk.size(), &done);
        const size_t samples = done / 2;
        const size_t old = pcm.size();
        pcm.resize(old + samples);
        std::copy_n(reinterpret_cast<const int16_t*>(chunk.data()), samples, pcm.data() + old);
      } while (status == MPG123_OK || status == MPG123_NEW_FORMAT);
      channels = ch;
      rate = static_cast<int32_t>(r);
      ok = status == MPG123_DONE && !pcm.empty() && (ch == 1 || ch == 2);
    }
    mpg123_close(h);
  }
  mpg123_delete(h);
  return ok;
}

void QuietFluid(int, const char*, void*) {}

bool RenderMidi(const std::string& path, std::vector<int16_t>& pcm) {
  if (!std::filesystem::exists(kSoundFont)) return false;
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, QuietFluid, nullptr);
  }
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kMidiRate);
  fluid_synth_t* synth = new_fluid_synth(settings);
  bool ok = false;
  if (synth != nullptr && fluid_synth_sfload(synth, kSoundFont, 1) != FLUID_FAILED) {
    fluid_player_t* player = new_fluid_player(synth);
    if (player != nullptr && fluid_player_add(player, path.c_str()) == FLUID_OK && fluid_player_play(player) == FLUID_OK) {
      constexpr int kBlock = 1024;
      int16_t block[kBlock * 2];
      int64_t frames = 0;
      while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING && frames < kMidiMaxFrames) {
        fluid_synth_write_s16(synth, kBlock, block, 0, 2, block, 1, 2);
        pcm.insert(pcm.end(), block, block + kBlock * 2);
        frames += kBlock;
      }
      ok = !pcm.empty();
    }
    if (player != nullptr) {
      fluid_player_stop(player);
      delete_fluid_player(player);
    }
  }
  if (synth != nullptr) delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  return ok;
}

void Close(MediaDevice& device) {
  AudioDevice& audio = Audio_Device();
  if (device.source != 0) audio.DeleteSources({device.source});
  audio.DeleteBuffer(device.buffer);
  device = {};
}

int32_t Open(const std::vector<std::string>& w) {
  // open <file> [type <t>] alias <name>
  if (w.size() < 2) return kBadParameter;
  std::string alias;
  for (size_t i = 2; i + 1 < w.size(); ++i) {
    if (Lower(w[i]) == "alias") alias = w[i + 1];
  }
  if (alias.empty()) alias = w[1];
  const std::string& path = w[1];
  if (!std::filesystem::is_regular_file(path)) return kCannotOpen;
  std::vector<int16_t> pcm;
  int32_t channels = 2, rate = kMidiRate;
  const std::string lower = Lower(path);
  const bool midi = lower.ends_with(".mid") || lower.ends_with(".midi");
  if (!(midi ? RenderMidi(path, pcm) : DecodeMp3(path, pcm, channels, rate))) return kCannotOpen;
  auto existing = Devices().find(alias);
  if (existing != Devices().end()) Close(existing->second);
  AudioDevice& audio = Audio_Device();
  MediaDevice device;
  device.buffer = audio.CreateBufferFromPcm(pcm, channels, rate);
  std::vector<uint32_t> sources = audio.GenSources(1);
  if (!sources.empty()) {
    device.source = sources[0];
    audio.SetRelative(device.source, true);
    if (device.buffer != 0) audio.SetBuffer(device.source, device.buffer);
  }
  Devices()[alias] = device;
  return kOk;
}

}  // namespace

int32_t Media_SendCommand(const std::string& command, std::string& reply) {
  reply.clear();
  const std::vector<std::string> w = Words(command);
  if (w.empty()) return kUnknownCommand;
  const std::string verb = Lower(w[0]);
  if (verb == "open") return Open(w);
  if (w.size() < 2) return kBadParameter;
  auto found = Devices().find(w[1]);
  if (found == Devices().end()) return verb == "close" && Lower(w[1]) == "all" ? (Media_CloseAll(), kOk) : kNotOpen;
  MediaDevice& device = found->second;
  AudioDevice& audio = Audio_Device();
  if (verb == "close") {
    Close(device);
    Devices().erase(found);
    return kOk;
  }
  if (verb == "play") {
    device.repeat = w.size() > 2 && Lower(w[2]) == "repeat";
    if (device.source != 0) {
      audio.SetLooping(device.source, device.repeat);
      audio.Play(device.source);
    }
    return kOk;
  }
  if (verb == "stop" || verb == "pause") {
    if (device.source != 0) verb == "stop" ? audio.Stop(device.source) : audio.Pause(device.source);
    return kOk;
  }
  if (verb == "seek" || verb == "set") return kOk;  // whole-file buffers: a stop rewinds already
  if (verb == "setaudio") {
    // setaudio <alias> volume to <n>, n in thousandths
    if (w.size() < 5 || Lower(w[2]) != "volume") return kBadParameter;
    int32_t value = 0;
    const char* text = w[4].data();
    const auto [end, error] = std::from_chars(text, text + w[4].size(), value);
    if (error != std::errc() || end == text) return kBadParameter;
    if (device.source != 0) {
      audio.SetParam(device.source, SourceParam::Gain, static_cast<float>(std::clamp(value, 0, 1000)) / 1000.0f);
    }
    return kOk;
  }
  if (verb == "status") {
    if (w.size() < 3 || Lower(w[2]) != "mode") return kBadParameter;
    const SourceState state = device.source != 0 ? audio.GetState(device.source) : SourceState::Stopped;
    reply = state == SourceState::Playing ? "playing" : state == SourceState::Paused ? "paused" : "stopped";
    return kOk;
  }
  return kUnknownCommand;
}

std::string Media_ErrorText(int32_t code) {
  switch (code) {
    case kUnknownCommand: return "The specified command is not recognized.";
    case kCannotOpen: return "Cannot find the specified file. Make sure the path and filename are correct.";
    case kNotOpen: return "The specified device is not open or is not recognized.";
    case kBadParameter: return "A parameter of the command is missing or not valid.";
    default: return "Unknown error.";
  }
}

void Media_CloseAll() {
  for (auto& [alias, device] : Devices()) Close(device);
  Devices().clear();
}
