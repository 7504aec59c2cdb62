#include "audio/media_player.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <map>
#include <vector>

#include "audio/music_stream.h"

namespace {

enum MediaError : int32_t {
  kOk = 0,
  kUnknownCommand = 261,
  kCannotOpen = 275,
  kNotOpen = 263,
  kBadParameter = 274,
};

using MediaDevice = std::unique_ptr<CMusicStream>;

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

int32_t Open(const std::vector<std::string>& w) {
  // open <file> [type <t>] alias <name>
  if (w.size() < 2) return kBadParameter;
  std::string alias;
  for (size_t i = 2; i + 1 < w.size(); ++i) {
    if (Lower(w[i]) == "alias") alias = w[i + 1];
  }
  if (alias.empty()) alias = w[1];
  const std::string& path = w[1];
  if (!MusicDecoder_CanOpen(path)) return kCannotOpen;
  // The music is decoded on the stream's own thread as it plays.
  Devices()[alias] = std::make_unique<CMusicStream>(path);
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
  CMusicStream& device = *found->second;
  if (verb == "close") {
    Devices().erase(found);
    return kOk;
  }
  if (verb == "play") {
    device.Play(w.size() > 2 && Lower(w[2]) == "repeat");
    return kOk;
  }
  if (verb == "stop" || verb == "pause") {
    verb == "stop" ? device.Stop() : device.Pause();
    return kOk;
  }
  if (verb == "seek" || verb == "set") return kOk;  // a stop rewinds already
  if (verb == "setaudio") {
    // setaudio <alias> volume to <n>, n in thousandths
    if (w.size() < 5 || Lower(w[2]) != "volume") return kBadParameter;
    int32_t value = 0;
    const char* text = w[4].data();
    const auto [end, error] = std::from_chars(text, text + w[4].size(), value);
    if (error != std::errc() || end == text) return kBadParameter;
    device.SetGain(static_cast<float>(std::clamp(value, 0, 1000)) / 1000.0f);
    return kOk;
  }
  if (verb == "status") {
    if (w.size() < 3 || Lower(w[2]) != "mode") return kBadParameter;
    device.Service();
    reply = device.Mode();
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

void Media_CloseAll() { Devices().clear(); }

void Media_Tick() {
  for (auto& [alias, device] : Devices()) device->Service();
}

bool Media_StreamInfo(const std::string& alias, MusicStreamInfo& info) {
  auto found = Devices().find(alias);
  if (found == Devices().end()) return false;
  info = found->second->Info();
  return true;
}
