#include "platform/cd_audio.h"

#include <cstdlib>

#include "audio/audio_device.h"
#include "platform/cdio/cdio_device.h"

namespace {

class NullCdDevice final : public CdDevice {
 public:
  int32_t Send(const std::string& command, std::string& reply) override {
    reply = command == "status cdaudio media present" ? "false" : "";
    return 0;
  }
};

std::unique_ptr<CdDevice>& Slot() {
  // The sound device is made first so that it outlives the CD device at exit.
  Audio_Device();
  static std::unique_ptr<CdDevice> device;
  return device;
}

CdDevice& Device() {
  auto& device = Slot();
  if (!device) {
    const char* source = std::getenv("KILNFORGE_CD_DEVICE");
    device = CdioDevice_Make(source != nullptr ? source : "");
  }
  return *device;
}

std::string Reply(const std::string& command) {
  std::string reply;
  Mci_Send(command, reply);
  return reply;
}

int32_t Number(const std::string& text) { return std::atoi(text.c_str()); }

// Field n (0 the first) of a "t:m:s:f" reply as a number.
int32_t TmsfField(const std::string& text, int32_t n) {
  size_t start = 0;
  for (int32_t i = 0; i < n; ++i) {
    start = text.find(':', start);
    if (start == std::string::npos) return 0;
    ++start;
  }
  return Number(text.substr(start));
}

}  // namespace

std::unique_ptr<CdDevice> CdDevice_MakeNull() { return std::make_unique<NullCdDevice>(); }

void CdAudio_UseDevice(std::unique_ptr<CdDevice> device) { Slot() = std::move(device); }

void CdAudio_Shutdown() { Slot().reset(); }

int32_t Mci_Send(const std::string& command, std::string& reply) {
  const int32_t result = Device().Send(command, reply);
  if (reply.size() > 19) reply.resize(19);
  return result;
}

int32_t CD_Init() {
  std::string reply;
  Mci_Send("close cdaudio", reply);
  return Mci_Send("open cdaudio", reply);
}

bool CD_Open() {
  Reply("open cdaudio");
  return Reply("status cdaudio media present") == "true";
}

int32_t CD_NumberOfTracks() {
  if (!CD_Open()) return 0;
  return Number(Reply("status cdaudio number of tracks"));
}

bool CD_Mode() {
  if (!CD_Open()) return false;
  return Reply("status cdaudio mode") == "playing";
}

bool CD_IsPaused() {
  if (!CD_Open()) return false;
  const std::string mode = Reply("status cdaudio mode");
  return mode == "paused" || mode == "stopped";
}

int32_t CD_CurrentTrack() {
  if (!CD_Open()) return 0;
  Reply("set cdaudio time format tmsf wait");
  return TmsfField(Reply("status cdaudio position"), 0);
}

int32_t CD_Length() {
  Reply("open cdaudio");
  Reply("set cdaudio time format ms wait");
  const std::string length = Reply("status cdaudio length wait");
  Reply("set cdaudio time format tmsf wait");
  return Number(length);
}

int32_t CD_TrackLength(int32_t track) {
  if (track < 1 || track > CD_NumberOfTracks()) return 0;
  Reply("open cdaudio");
  Reply("set cdaudio time format milliseconds wait");
  const std::string length = Reply("status cdaudio length track " + std::to_string(track));
  Reply("set cdaudio time format tmsf wait");
  return Number(length);
}

int32_t CD_Position() {
  Reply("open cdaudio");
  Reply("set cdaudio time format milliseconds wait");
  const std::string position = Reply("status cdaudio position");
  Reply("set cdaudio time format tmsf wait");
  return Number(position);
}

int32_t CD_TrackPosition() {
  if (!CD_Open()) return 0;
  Reply("set cdaudio time format tmsf wait");
  const std::string position = Reply("status cdaudio position");
  return (TmsfField(position, 1) * 60 + TmsfField(position, 2)) * 1000;
}

void CD_Play(int32_t first, int32_t last) {
  if (!CD_Open()) return;
  Reply("set cdaudio time format tmsf wait");
  if (last < first) return;
  if (first < 1) first = 1;
  if (last >= CD_NumberOfTracks()) Reply("play cdaudio from " + std::to_string(first));
  else Reply("play cdaudio from " + std::to_string(first) + " to " + std::to_string(last + 1));
}

void CD_Stop() {
  if (CD_Open()) Reply("stop cdaudio");
}

void CD_Pause() {
  if (CD_Open()) Reply("pause cdaudio");
}

void CD_Resume() {
  if (CD_Open()) Reply("play cdaudio");
}

void CD_SetPosition(int32_t ms) {
  if (!CD_Open()) return;
  Reply("set cdaudio time format milliseconds wait");
  if (CD_Mode()) Reply("play cdaudio from " + std::to_string(ms));
  else Reply("seek cdaudio to " + std::to_string(ms));
  Reply("set cdaudio time format tmsf");
}

void CD_SetTrackPosition(int32_t ms) {
  if (!CD_Open()) return;
  const int32_t track = CD_CurrentTrack();
  if (track <= 0) return;
  const std::string at =
      std::to_string(track) + ":" + std::to_string(ms / 60000) + ":" + std::to_string((ms % 60000) / 1000);
  Reply("set cdaudio time format tmsf wait");
  if (CD_Mode()) Reply("play cdaudio from " + at);
  else Reply("seek cdaudio to " + at);
  Reply("set cdaudio time format tmsf");
}

void CD_OpenDoor() {
  Reply("open cdaudio");
  Reply("set cdaudio door open");
}

void CD_CloseDoor() {
  Reply("open cdaudio");
  Reply("set cdaudio door closed");
}
