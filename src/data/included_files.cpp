#include "data/included_files.h"

#include <unistd.h>

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "platform/stream.h"
#include "platform/temp_directory.h"
#include "script/code.h"

namespace {

std::vector<std::unique_ptr<CDataFile>>& Files() {
  static std::vector<std::unique_ptr<CDataFile>> files;
  return files;
}

std::unordered_map<int32_t, std::unique_ptr<CTrigger>>& Triggers() {
  static std::unordered_map<int32_t, std::unique_ptr<CTrigger>> triggers;
  return triggers;
}

bool PathExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

}  // namespace

// ---- CDataFile ----

CDataFile::CDataFile() = default;
CDataFile::~CDataFile() = default;

bool CDataFile::WriteTo(const std::string& path) const {
  if (!storedInGame || data == nullptr) return false;
  if (!overwrite && PathExists(path)) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const size_t size = static_cast<size_t>(data->GetSize());
  const bool written = size == 0 || std::fwrite(data->GetBuffer(), 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

std::string CDataFile::ExportPath() const {
  switch (exportMode) {
    case DataFileExport::TempFolder: {
      const std::optional<std::string> temp = File_GetTempDirectory();
      return temp ? *temp + "/" + name : std::string();
    }
    case DataFileExport::AsNamed:
      return File_NormaliseSeparators(name);
    case DataFileExport::ExportFolder:
      return File_NormaliseSeparators(exportFolder) + "/" + name;
    case DataFileExport::None:
      break;
  }
  return {};
}

bool CDataFile::Export() {
  if (!heldInMemory) return false;
  if (exportMode == DataFileExport::None) return true;
  if (exportMode == DataFileExport::ExportFolder) File_CreateDirectory(File_NormaliseSeparators(exportFolder));
  const std::string path = ExportPath();
  const bool written = !path.empty() && WriteTo(path);
  if (freeAfterExport) Discard();
  return written;
}

bool CDataFile::Remove() const {
  if (exportMode == DataFileExport::None) return true;
  const std::string path = ExportPath();
  return !path.empty() && unlink(path.c_str()) == 0;
}

void CDataFile::Discard() {
  data.reset();
  heldInMemory = false;
}

// ---- the table ----

int32_t DataFile_Count() { return static_cast<int32_t>(Files().size()); }

int32_t DataFile_Add(std::unique_ptr<CDataFile> file) {
  Files().push_back(std::move(file));
  return DataFile_Count() - 1;
}

int32_t DataFile_Find(std::string_view name) {
  for (size_t i = 0; i < Files().size(); ++i) {
    if (Files()[i]->name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

CDataFile* DataFile_Get(int32_t index) {
  if (index < 0 || index >= DataFile_Count()) return nullptr;
  return Files()[static_cast<size_t>(index)].get();
}

bool DataFile_Prepare() {
  for (const std::unique_ptr<CDataFile>& file : Files()) file->Export();
  return true;
}

bool DataFile_RemoveAll() {
  // Only files marked for it: an export the game keeps must outlive the game.
  for (const std::unique_ptr<CDataFile>& file : Files()) {
    if (file->removeAtEnd) file->Remove();
  }
  return true;
}

void DataFile_Clear() { Files().clear(); }

// ---- triggers ----

CTrigger::CTrigger() = default;
CTrigger::~CTrigger() = default;

bool CTrigger::Compile() {
  code = std::make_unique<CCode>(condition, true);
  return code->Compile("Trigger." + name);
}

int32_t Trigger_Count() { return static_cast<int32_t>(Triggers().size()); }

void Trigger_Add(std::unique_ptr<CTrigger> trigger) {
  const int32_t index = trigger->index;
  Triggers()[index] = std::move(trigger);
}

CTrigger* Trigger_Get(int32_t index) {
  auto it = Triggers().find(index);
  return it == Triggers().end() ? nullptr : it->second.get();
}

void Trigger_Clear() { Triggers().clear(); }
