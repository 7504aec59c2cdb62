#include "audio/audio_device.h"

#include "audio/media_player.h"
#include "audio/null/null_device.h"
#include "audio/openal/openal_device.h"
#include "platform/console.h"

namespace {

std::unique_ptr<AudioDevice>& Current() {
  static std::unique_ptr<AudioDevice> device = std::make_unique<NullAudioDevice>();
  return device;
}

}  // namespace

AudioDevice& Audio_Device() { return *Current(); }

bool AudioDevice_Start(bool soundOff) {
  if (soundOff) return false;
  if (!Current()->IsNull()) return true;  // a device handed in by the caller
  std::unique_ptr<OpenALDevice> device = OpenALDevice::OpenDefault();
  if (!device) {
    g_DebugConsole->Output("No sound device could be opened: running without sound\n");
    return false;
  }
  Current() = std::move(device);
  return true;
}

// Music streams own sources and buffers of the device they were made on: they go first.
void AudioDevice_Use(std::unique_ptr<AudioDevice> device) {
  Media_CloseAll();
  Current() = device ? std::move(device) : std::make_unique<NullAudioDevice>();
}

void AudioDevice_Stop() {
  Media_CloseAll();
  Current() = std::make_unique<NullAudioDevice>();
}
