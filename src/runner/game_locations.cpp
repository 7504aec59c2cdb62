#include "runner/game_locations.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "runner/run_options.h"

namespace {

struct Locations {
  std::optional<std::string> gameDirectory;
  std::optional<std::string> saveDirectory;
  std::optional<std::string> executablePath;
  std::string gameName;
};

Locations& State() {
  static Locations state;
  return state;
}

const std::string& Empty() {
  static const std::string empty;
  return empty;
}

std::string DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  std::string base = home;
  if (base.back() != '/') base += '/';
  return base + ".local/share";
}

}  // namespace

const std::string& GetGameDirectory() {
  Locations& s = State();
  if (!s.gameDirectory) {
    const std::string name = g_RunOptions.gameFileName.value_or(std::string());
    size_t cut = name.rfind('/');
    if (cut == std::string::npos) cut = name.rfind('\\');
    s.gameDirectory = cut == std::string::npos ? std::string("./") : name.substr(0, cut) + "/";
  }
  return *s.gameDirectory;
}

std::string SaveFolderNameFor(const std::string& gameName) {
  if (gameName.empty()) return "Kilnforge";
  if (gameName == "." || gameName == "..") return "_";
  std::string folder = gameName;
  for (char& c : folder) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) c = '_';
  }
  return folder;
}

const std::string& GetSaveDirectory() {
  Locations& s = State();
  if (!s.saveDirectory) {
    std::string base = DataHome();
    if (base.empty()) return Empty();
    std::string folder = base + "/" + SaveFolderNameFor(s.gameName);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) return Empty();
    s.saveDirectory = folder + "/";
  }
  return *s.saveDirectory;
}

const std::string& GetExecutablePath() {
  Locations& s = State();
  if (!s.executablePath) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return Empty();
    s.executablePath = path.string();
  }
  return *s.executablePath;
}

void Run_SetGameName(const std::string& name) {
  Locations& s = State();
  s.gameName = name;
  s.saveDirectory.reset();
}

const std::string& Run_GameName() { return State().gameName; }

void GameLocations_Reset() {
  Locations& s = State();
  s.gameDirectory.reset();
  s.saveDirectory.reset();
  s.executablePath.reset();
}
