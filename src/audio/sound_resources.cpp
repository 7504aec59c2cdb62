#include "audio/sound_resources.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "audio/sound_hardware.h"
#include "platform/console.h"

namespace {

std::vector<std::unique_ptr<CSound>> g_sounds;
std::vector<std::optional<std::string>> g_names;

std::optional<std::string> TextAt(const GameDataReader& reader, uint32_t offset) {
  if (offset == 0) return std::nullopt;
  return std::string(reader.Text(offset));
}

}  // namespace

void CSound::Clear() {
  kind = -1;
  extension.reset();
  fileName.reset();
  volume = 1.0;
  effects = 0;
  pan = 0.0;
  preload = true;
  data.reset();
  if (hardwareId >= 0) Sound_ReleaseHardware(hardwareId);
  hardwareId = -1;
}

bool CSound::LoadFromChunk(const GameDataReader& reader, uint32_t offset) {
  Clear();
  GameDataCursor record(reader, offset);
  record.U32();  // the name, copied by the table
  kind = record.I32();
  extension = TextAt(reader, record.U32());
  fileName = TextAt(reader, record.U32());
  effects = record.I32();
  volume = record.F32();
  pan = record.F32();
  preload = record.I32() != 0;
  dataIndex = record.I32();
  return true;
}

bool CSound::LoadFromFile(const std::string& path, int32_t newKind, bool newPreload) {
  Clear();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  const size_t cut = path.find_last_of("\\/");
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  const size_t dot = name.rfind('.');
  extension = dot == std::string::npos ? std::string() : name.substr(dot);
  fileName = name;
  std::ifstream in(path, std::ios::binary);
  data.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  kind = newKind;
  preload = newPreload;
  if (preload) Restore();
  return true;
}

void CSound::Restore() {
  // The slot held so far is given back first, so restoring never leaks one.
  if (hardwareId >= 0) {
    Sound_ReleaseHardware(hardwareId);
    hardwareId = -1;
  }
  if (kind >= 0 && kind != 3) {
    if (sample) {
      hardwareId = Sound_LoadHardwareFromData(sample, kind);
    } else if (data) {
      hardwareId = Sound_LoadHardwareFromStream(*data, kind);
    } else {
      return;
    }
  } else if (kind == 3) {
    hardwareId = Sound_LoadHardwareFromData(std::nullopt, kind);
  }
  if (hardwareId >= 0) Sound_SetVolume(hardwareId, volume, 0);
}

void CSound::Prepare() {
  if (preload) Restore();
}

int32_t CSound::GetSoundId() {
  if (hardwareId < 0) Restore();
  return hardwareId;
}

int32_t CSound::Discard() {
  const int32_t id = hardwareId;
  if (hardwareId >= 0) Sound_ReleaseHardware(hardwareId);
  hardwareId = -1;
  return id;
}

void Sound_Clear() {
  g_sounds.clear();
  g_names.clear();
}

bool Sound_Init(const GameDataReader& reader, ChunkSpan body) {
  g_DebugConsole->Output("Sound_Init()\n");
  const std::vector<uint32_t> offsets = reader.CountedList(body.offset);
  std::vector<std::unique_ptr<CSound>> sounds(offsets.size());
  std::vector<std::optional<std::string>> names(offsets.size());
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    auto sound = std::make_unique<CSound>();
    sound->LoadFromChunk(reader, offsets[i]);
    names[i] = TextAt(reader, reader.U32(offsets[i]));
    sounds[i] = std::move(sound);
  }
  g_sounds = std::move(sounds);
  g_names = std::move(names);
  return true;
}

bool Wave_Init(const std::vector<SampleEntry>& table) {
  g_DebugConsole->Output("Wave_Init()\n");
  for (auto& sound : g_sounds) {
    if (!sound) continue;
    sound->sample.reset();
    if (sound->dataIndex >= 0 && static_cast<size_t>(sound->dataIndex) < table.size()) {
      sound->sample = table[static_cast<size_t>(sound->dataIndex)];
    }
  }
  return true;
}

bool Sound_Prepare() {
  for (auto& sound : g_sounds) {
    if (sound) sound->Prepare();
  }
  return true;
}

int32_t Sound_Count() { return static_cast<int32_t>(g_sounds.size()); }

bool Sound_Exists(int32_t index) { return Sound_Data(index) != nullptr; }

CSound* Sound_Data(int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < g_sounds.size() ? g_sounds[static_cast<size_t>(index)].get() : nullptr;
}

std::optional<std::string> Sound_GetName(int32_t index) {
  if (!Sound_Exists(index)) return std::string("<undefined>");
  return g_names[static_cast<size_t>(index)];
}

int32_t Sound_Find(const std::string& name) {
  for (size_t i = 0; i < g_sounds.size(); ++i) {
    if (g_sounds[i] && g_names[i] && *g_names[i] == name) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t Sound_Add(const std::string& path, int32_t kind, bool preload) {
  const int32_t index = static_cast<int32_t>(g_sounds.size());
  g_sounds.push_back(std::make_unique<CSound>());
  g_names.push_back("__newsound" + std::to_string(index));
  return g_sounds.back()->LoadFromFile(path, kind, preload) ? index : -1;
}

bool Sound_Replace(int32_t index, const std::string& path, int32_t kind, bool preload) {
  if (index < 0 || static_cast<size_t>(index) >= g_sounds.size()) return false;
  auto& slot = g_sounds[static_cast<size_t>(index)];
  slot = std::make_unique<CSound>();
  return slot->LoadFromFile(path, kind, preload);
}

bool Sound_Delete(int32_t index) {
  if (!Sound_Exists(index)) return false;
  g_sounds[static_cast<size_t>(index)].reset();
  g_names[static_cast<size_t>(index)].reset();
  return true;
}

void Sound_FreeAll() {
  g_sounds.clear();
  g_names.clear();
}
