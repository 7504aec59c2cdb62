// CD audio: every operation is a short sequence of command strings sent to the device alias
// "cdaudio" ("open cdaudio", "status cdaudio mode", "play cdaudio from 2 to 3", ...), and the
// device's text reply decides the result. The device is an interface: the null device answers
// as a drive without media; cdio/ answers from a real disc or a CUE/BIN image.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CdDevice {
 public:
  virtual ~CdDevice() = default;
  // Runs one command; 0 on success, else an error code. reply receives the answer.
  virtual int32_t Send(const std::string& command, std::string& reply) = 0;
};

// Answers every command as a drive holding no disc.
std::unique_ptr<CdDevice> CdDevice_MakeNull();

// Uses a device made by the caller (a test's disc image); null goes back to the default, which
// is opened on first use: the system's CD drive (or the drive or image named by the environment
// variable "KILNFORGE_CD_DEVICE").
void CdAudio_UseDevice(std::unique_ptr<CdDevice> device);
// Stops playback and closes the device (shut-down).
void CdAudio_Shutdown();

// Sends one command with the reply cut to 19 characters, as the operations below do.
int32_t Mci_Send(const std::string& command, std::string& reply);

int32_t CD_Init();
bool CD_Open();  // media present
int32_t CD_NumberOfTracks();
bool CD_Mode();  // playing
bool CD_IsPaused();
int32_t CD_CurrentTrack();
int32_t CD_Length();  // ms
int32_t CD_TrackLength(int32_t track);
int32_t CD_Position();
int32_t CD_TrackPosition();
void CD_Play(int32_t first, int32_t last);
void CD_Stop();
void CD_Pause();
void CD_Resume();
void CD_SetPosition(int32_t ms);
void CD_SetTrackPosition(int32_t ms);
void CD_OpenDoor();
void CD_CloseDoor();
