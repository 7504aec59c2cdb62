#include "platform/load_save.h"

#include <locale.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_locations.h"
#include "platform/files.h"

namespace {

// The part of fullPath after folder (which ends in '/') when fullPath lies in it, compared
// ignoring case; absent otherwise. The folder itself gives an empty rest.
std::optional<std::string> RestUnder(const std::string& fullPath, const std::string& folder) {
  if (folder.empty()) return std::nullopt;
  std::string bare = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
  if (strcasecmp(fullPath.c_str(), bare.c_str()) == 0) return std::string();
  if (fullPath.size() < folder.size()) return std::nullopt;
  if (strncasecmp(fullPath.c_str(), folder.c_str(), folder.size()) != 0) return std::nullopt;
  return fullPath.substr(folder.size());
}

std::string FolderOf(const std::string& directory) {
  if (directory.empty() || directory.back() == '/') return directory;
  return directory + '/';
}

std::optional<std::vector<uint8_t>> LoadIfResolved(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return LoadSave_LoadFile(path);
}

bool OpensForReading(const std::string& path) {
  if (path.empty()) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

locale_t CLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return locale;
}

bool IsNumberCharacter(uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' ||
         c == '-' || c == '.';
}

}  // namespace

std::string LoadSave_BundlePath(std::string_view name) {
  if (name.empty()) return {};
  std::string full = FileLocations_FullPath(name);
  std::optional<std::string> rest = RestUnder(full, FolderOf(File_CurrentDirectory()));
  if (!rest) rest = RestUnder(full, FileLocations_WorkingDirectory());
  if (rest) return File_ResolvePath(FileLocations_GameFolder() + *rest);
  return FileLocations_IsOpenDialogPath(full) ? full : std::string();
}

std::string LoadSave_SavePath(std::string_view name) {
  if (name.empty()) return {};
  std::string full = FileLocations_FullPath(name);
  // A name already in the save area stays there, also when the save area lies inside the
  // current folder.
  std::optional<std::string> rest = RestUnder(full, FileLocations_SaveArea());
  if (!rest) rest = RestUnder(full, FolderOf(File_CurrentDirectory()));
  if (!rest) rest = RestUnder(full, FileLocations_WorkingDirectory());
  if (rest) return File_ResolvePath(FileLocations_SaveArea() + *rest);
  return FileLocations_IsSaveDialogPath(full) ? full : std::string();
}

std::optional<std::vector<uint8_t>> LoadSave_LoadFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::vector<uint8_t> data;
  uint8_t piece[32768];
  bool tooLarge = false;
  for (;;) {
    size_t got = std::fread(piece, 1, sizeof piece, file);
    if (got == 0) break;
    if (data.size() + got > 0x7FFFFFFFu) {
      tooLarge = true;
      break;
    }
    data.insert(data.end(), piece, piece + got);
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || tooLarge) return std::nullopt;
  return data;
}

std::optional<std::vector<uint8_t>> LoadSave_ReadBundleFile(std::string_view name) {
  return LoadIfResolved(LoadSave_BundlePath(name));
}

std::optional<std::vector<uint8_t>> LoadSave_ReadSaveFile(std::string_view name) {
  return LoadIfResolved(LoadSave_SavePath(name));
}

bool LoadSave_WriteFile(std::string_view name, const void* data, size_t length) {
  std::string path = LoadSave_SavePath(name);
  if (path.empty()) return false;
  File_EnsureDirectory(path);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  if (length > 0 && data != nullptr) std::fwrite(data, 1, length, file);
  std::fclose(file);
  return true;
}

bool LoadSave_BundleFileExists(std::string_view name) {
  return OpensForReading(LoadSave_BundlePath(name));
}

bool LoadSave_SaveFileExists(std::string_view name) {
  return OpensForReading(LoadSave_SavePath(name));
}

std::string LoadSave_ExistingPath(std::string_view name) {
  if (LoadSave_SaveFileExists(name)) return LoadSave_SavePath(name);
  if (LoadSave_BundleFileExists(name)) return LoadSave_BundlePath(name);
  return {};
}

std::unique_ptr<LoadSaveBuffer> LoadSave_ReadFile(std::string_view name) {
  std::optional<std::vector<uint8_t>> data = LoadSave_ReadBundleFile(name);
  if (!data) data = LoadSave_ReadSaveFile(name);
  if (!data) return nullptr;
  auto buffer = std::make_unique<LoadSaveBuffer>();
  buffer->size = static_cast<int32_t>(data->size());
  buffer->data = std::move(*data);
  return buffer;
}

int32_t LoadSave_Tell(const LoadSaveBuffer& buffer) { return buffer.position; }

void LoadSave_Seek(LoadSaveBuffer& buffer, int32_t offset, int mode) {
  int64_t position;
  switch (mode) {
    case 0: position = offset; break;
    case 1: position = static_cast<int64_t>(buffer.position) + offset; break;
    case 2: position = static_cast<int64_t>(buffer.size) - offset; break;
    default: return;
  }
  // Positions stay 32-bit; one that would overflow stops at the limit (past the end either way).
  if (position > INT32_MAX) position = INT32_MAX;
  if (position < INT32_MIN) position = INT32_MIN;
  buffer.position = static_cast<int32_t>(position);
}

bool LoadSave_Eof(const LoadSaveBuffer& buffer) { return buffer.position >= buffer.size; }

int LoadSave_GetChar(LoadSaveBuffer& buffer) {
  int32_t at = buffer.position;
  if (buffer.position < INT32_MAX) ++buffer.position;
  if (at < 0 || at >= buffer.size) return -1;
  return static_cast<int8_t>(buffer.data[static_cast<size_t>(at)]);
}

double LoadSave_ReadReal(LoadSaveBuffer& buffer) {
  if (buffer.position < 0) return 0.0;
  size_t at = static_cast<size_t>(buffer.position);
  const size_t end = static_cast<size_t>(buffer.size);
  auto isSpace = [](uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (at < end && isSpace(buffer.data[at])) ++at;
  // Copy the run of characters a number can be made of, so the conversion sees a terminated text
  // that ends inside the buffer.
  size_t runEnd = at;
  while (runEnd < end && IsNumberCharacter(buffer.data[runEnd])) ++runEnd;
  std::string text(buffer.data.begin() + static_cast<ptrdiff_t>(at),
                   buffer.data.begin() + static_cast<ptrdiff_t>(runEnd));
  char* stop = nullptr;
  double value = strtod_l(text.c_str(), &stop, CLocale());
  buffer.position = static_cast<int32_t>(at + static_cast<size_t>(stop - text.c_str()));
  return value;
}

int32_t LoadSave_Read(void* destination, int32_t size, int32_t count, LoadSaveBuffer& buffer) {
  if (destination == nullptr || size <= 0 || count <= 0) return 0;
  if (buffer.position < 0 || buffer.position >= buffer.size) return 0;
  int64_t wanted = static_cast<int64_t>(size) * count;
  int64_t left = static_cast<int64_t>(buffer.size) - buffer.position;
  int32_t copied = static_cast<int32_t>(wanted < left ? wanted : left);
  std::memcpy(destination, buffer.data.data() + buffer.position, static_cast<size_t>(copied));
  buffer.position += copied;
  return copied;
}

void LoadSave_Init() {}
