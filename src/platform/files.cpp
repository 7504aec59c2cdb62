#include "platform/files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

bool PathEntryExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals name ignoring ASCII case; the smallest such name when
// several do, so the choice does not depend on the folder's order. Empty when none does.
std::string FindCaseInsensitive(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return {};
  std::string best;
  while (dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) != 0) continue;
    if (best.empty() || best > entry->d_name) best = entry->d_name;
  }
  closedir(dir);
  return best;
}

size_t LastSeparator(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (File_IsSeparator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

bool StatPath(std::string_view path, struct stat& info) {
  std::string resolved = File_ResolvePath(path);
  return !resolved.empty() && stat(resolved.c_str(), &info) == 0;
}

}  // namespace

std::string File_NormaliseSeparators(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::string File_ResolvePath(std::string_view path) {
  std::string normal = File_NormaliseSeparators(path);
  if (normal.empty() || PathEntryExists(normal)) return normal;

  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= normal.size()) {
    size_t end = normal.find('/', start);
    if (end == std::string::npos) end = normal.size();
    parts.emplace_back(normal.substr(start, end - start));
    start = end + 1;
  }

  std::string current = normal[0] == '/' ? "/" : "";
  bool matching = true;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty()) continue;  // leading, doubled or trailing separator
    std::string candidate = current + part;
    if (matching && part != "." && part != ".." && !PathEntryExists(candidate)) {
      std::string match = FindCaseInsensitive(current, part);
      if (match.empty()) {
        matching = false;
      } else {
        candidate = current + match;
      }
    }
    current = candidate;
    if (i + 1 < parts.size()) current += '/';
  }
  return current;
}

bool File_Exists(std::string_view path) {
  struct stat info {};
  if (!StatPath(path, info)) return false;
  return !S_ISDIR(info.st_mode) && !S_ISCHR(info.st_mode) && !S_ISBLK(info.st_mode);
}

bool File_DirectoryExists(std::string_view path) {
  struct stat info {};
  return StatPath(path, info) && S_ISDIR(info.st_mode);
}

std::string File_FilePath(std::string_view path) {
  size_t at = LastSeparator(path);
  if (at == std::string_view::npos || at == 0) return {};
  return std::string(path.substr(0, at));
}

std::string File_FileName(std::string_view path) {
  size_t at = LastSeparator(path);
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string File_FileExt(std::string_view path) {
  size_t at = LastSeparator(path);
  std::string_view name = at == std::string_view::npos ? path : path.substr(at + 1);
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string File_FileDrive(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    return std::string(path.substr(0, 2));
  }
  return {};
}

std::string File_CurrentDirectory() {
  std::error_code ec;
  std::filesystem::path current = std::filesystem::current_path(ec);
  return ec ? std::string() : current.string();
}

bool File_IsBackslashAt(std::string_view path, int i) {
  return i >= 1 && static_cast<size_t>(i) < path.size() && File_IsSeparator(path[i]);
}

void File_TrimTrailingSlash(std::string& path) {
  if (!path.empty() && File_IsSeparator(path.back())) path.pop_back();
}

bool File_CreateDirectory(std::string_view path) {
  std::string folder = File_ResolvePath(path);
  File_TrimTrailingSlash(folder);
  if (folder.empty()) return false;
  // Each component from the first separator on, so "/a/b/c" makes /a, /a/b and /a/b/c.
  for (size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    std::string prefix = folder.substr(0, i);
    mkdir(prefix.c_str(), 0755);  // an existing or unmakeable component: the test below decides
  }
  struct stat info {};
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void File_EnsureDirectory(std::string_view filePath) {
  size_t at = LastSeparator(filePath);
  if (at == std::string_view::npos || at == 0) return;
  File_CreateDirectory(filePath.substr(0, at));
}

void File_DeleteDirectory(std::string_view path) {
  std::string folder = File_ResolvePath(path);
  File_TrimTrailingSlash(folder);
  if (folder.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}
