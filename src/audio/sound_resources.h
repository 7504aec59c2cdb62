// The sound resources of the older sound engine: one CSound per sound of the game data file's
// SOND chunk and per sound added from a file at run time, held by index in the sound table.
// A sound's hardware slot (sound_hardware.h) is made when the game is prepared for preloaded
// sounds, otherwise on first use. Indices are never reused: a deleted sound leaves an empty slot.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/sample_table.h"
#include "data/game_data_reader.h"

class CSound {
 public:
  CSound() { Clear(); }
  ~CSound() { Clear(); }
  CSound(const CSound&) = delete;
  CSound& operator=(const CSound&) = delete;

  void Clear();
  // Fields of a SOND record at offset (36 bytes; string offsets resolved through the reader).
  bool LoadFromChunk(const GameDataReader& reader, uint32_t offset);
  bool LoadFromFile(const std::string& path, int32_t kind, bool preload);
  void Restore();
  void Prepare();
  int32_t GetSoundId();
  int32_t Discard();

  int32_t kind = -1;
  std::optional<std::string> extension;
  std::optional<std::string> fileName;
  std::optional<std::vector<uint8_t>> data;  // the whole file, for sounds loaded from files
  bool preload = true;
  int32_t effects = 0;
  double volume = 1.0;
  double pan = 0.0;
  int32_t hardwareId = -1;
  SampleEntry sample;
  int32_t dataIndex = 0;
};

void Sound_Clear();
// SOND reader (3D audio switch off).
bool Sound_Init(const GameDataReader& reader, ChunkSpan body);
// AUDO reader (3D audio switch off).
bool Wave_Init(const std::vector<SampleEntry>& table);
bool Sound_Prepare();
int32_t Sound_Count();
bool Sound_Exists(int32_t index);
CSound* Sound_Data(int32_t index);
// The name; nullopt when the sound exists without one; "<undefined>" when it does not exist.
std::optional<std::string> Sound_GetName(int32_t index);
int32_t Sound_Find(const std::string& name);
int32_t Sound_Add(const std::string& path, int32_t kind, bool preload);
bool Sound_Replace(int32_t index, const std::string& path, int32_t kind, bool preload);
bool Sound_Delete(int32_t index);
void Sound_FreeAll();
