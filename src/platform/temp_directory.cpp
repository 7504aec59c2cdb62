#include "platform/temp_directory.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "platform/files.h"
#include "platform/random.h"

namespace {

std::string g_TempBaseDirectory;
std::optional<std::string> g_TempDirectory;

// Gives up after this many draws that all name existing folders (or fail to be made).
constexpr int kMaxDraws = 100000;

}  // namespace

void File_InitTempDirectory() {
  const char* base = std::getenv("TMPDIR");
  g_TempBaseDirectory = (base != nullptr && *base != '\0') ? base : "/tmp";
  File_TrimTrailingSlash(g_TempBaseDirectory);
  File_MakeTempDirectory();
}

void File_MakeTempDirectory() {
  g_TempDirectory.reset();
  for (int draw = 0; draw < kMaxDraws; ++draw) {
    std::string candidate =
        g_TempBaseDirectory + "/kf_ttt_" + std::to_string(Random_Below(100000));
    if (mkdir(candidate.c_str(), 0700) == 0) {
      g_TempDirectory = candidate;
      return;
    }
    if (errno != EEXIST) return;
  }
}

std::optional<std::string> File_GetTempDirectory() { return g_TempDirectory; }

std::optional<std::string> File_MakeTempFileName(std::string_view extension) {
  if (!g_TempDirectory) return std::nullopt;
  for (int draw = 0; draw < kMaxDraws; ++draw) {
    std::string name = *g_TempDirectory + "/a" + std::to_string(Random_Below(100000)) +
                       std::string(extension);
    if (!File_Exists(name)) return name;
  }
  return std::nullopt;
}

void File_ClearTempDirectory() {
  if (!g_TempDirectory) return;
  File_DeleteDirectory(*g_TempDirectory);
  mkdir(g_TempDirectory->c_str(), 0700);
}

void File_RemoveTempDirectory() {
  if (!g_TempDirectory) return;
  File_DeleteDirectory(*g_TempDirectory);
  g_TempDirectory.reset();
}
