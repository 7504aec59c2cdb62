#include "platform/file_locations.h"

#include <strings.h>

#include <filesystem>
#include <vector>

#include "platform/files.h"

namespace {

std::string g_GameFolder;
std::string g_SaveArea;
std::string g_WorkingDirectory;
std::vector<std::string> g_OpenDialogPaths;
std::vector<std::string> g_SaveDialogPaths;

std::string AsFolder(std::string_view folder) {
  if (folder.empty()) return {};
  std::string full = FileLocations_FullPath(folder);
  if (full.empty() || full.back() != '/') full += '/';
  return full;
}

bool ContainsIgnoringCase(const std::vector<std::string>& paths, std::string_view fullPath) {
  std::string wanted(fullPath);
  for (const std::string& path : paths) {
    if (strcasecmp(path.c_str(), wanted.c_str()) == 0) return true;
  }
  return false;
}

}  // namespace

std::string FileLocations_FullPath(std::string_view name) {
  if (name.empty()) return {};
  std::filesystem::path path(File_NormaliseSeparators(name));
  if (path.is_relative()) path = std::filesystem::path(File_CurrentDirectory()) / path;
  std::string full = path.lexically_normal().string();
  return full;
}

void FileLocations_SetGameFolder(std::string_view folder) { g_GameFolder = AsFolder(folder); }
void FileLocations_SetSaveArea(std::string_view folder) { g_SaveArea = AsFolder(folder); }
void FileLocations_SetWorkingDirectory(std::string_view folder) {
  g_WorkingDirectory = AsFolder(folder);
}

std::string FileLocations_GameFolder() {
  return g_GameFolder.empty() ? AsFolder(File_CurrentDirectory()) : g_GameFolder;
}

std::string FileLocations_SaveArea() {
  return g_SaveArea.empty() ? FileLocations_GameFolder() : g_SaveArea;
}

std::string FileLocations_WorkingDirectory() {
  return g_WorkingDirectory.empty() ? FileLocations_GameFolder() : g_WorkingDirectory;
}

void FileLocations_AddOpenDialogPath(std::string_view path) {
  g_OpenDialogPaths.push_back(FileLocations_FullPath(path));
}

void FileLocations_AddSaveDialogPath(std::string_view path) {
  g_SaveDialogPaths.push_back(FileLocations_FullPath(path));
}

bool FileLocations_IsOpenDialogPath(std::string_view fullPath) {
  return ContainsIgnoringCase(g_OpenDialogPaths, fullPath);
}

bool FileLocations_IsSaveDialogPath(std::string_view fullPath) {
  return ContainsIgnoringCase(g_SaveDialogPaths, fullPath);
}

void FileLocations_Reset() {
  g_GameFolder.clear();
  g_SaveArea.clear();
  g_WorkingDirectory.clear();
  g_OpenDialogPaths.clear();
  g_SaveDialogPaths.clear();
}
