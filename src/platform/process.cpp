#include "platform/process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/message_pump.h"

extern char** environ;

namespace {

// Children started without waiting; reaped whenever another program is started so none stays
// a zombie for long.
std::vector<pid_t> g_UnwaitedChildren;

void ReapFinishedChildren() {
  std::erase_if(g_UnwaitedChildren, [](pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) != 0;
  });
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program as the shell will find it: a name with a '/' as it stands, else along $PATH.
bool ProgramExists(const std::string& program) {
  if (program.empty()) return false;
  if (program.find('/') != std::string::npos) return IsExecutableFile(program);
  const char* searchPath = std::getenv("PATH");
  std::string paths = searchPath != nullptr ? searchPath : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= paths.size()) {
    size_t end = paths.find(':', start);
    if (end == std::string::npos) end = paths.size();
    std::string folder = end > start ? paths.substr(start, end - start) : std::string(".");
    if (IsExecutableFile(folder + "/" + program)) return true;
    start = end + 1;
  }
  return false;
}

bool Spawn(const char* path, std::vector<std::string> args, bool searchPath, pid_t& pid) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int result = searchPath ? posix_spawnp(&pid, path, nullptr, nullptr, argv.data(), environ)
                          : posix_spawn(&pid, path, nullptr, nullptr, argv.data(), environ);
  return result == 0;
}

std::string ShellQuote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

void SleepFiftyMilliseconds() {
  timespec request{0, 50 * 1000000L};
  while (nanosleep(&request, &request) != 0 && errno == EINTR) {
  }
}

// Waits for the child, pumping messages between polls; its exit status, or -1.
int WaitPumping(pid_t pid) {
  for (;;) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0 && errno != EINTR) return -1;
    Platform_PumpMessages();
    SleepFiftyMilliseconds();
  }
}

}  // namespace

bool Execute_Shell(const char* file, const char* arguments, const char* folder) {
  ReapFinishedChildren();
  if (file == nullptr || *file == '\0') return false;
  std::string target = file;
  if (folder != nullptr && *folder != '\0' && target[0] != '/' && target.find("://") == std::string::npos) {
    target = std::string(folder) + "/" + target;
  }
  // A program is started with its arguments, as opening one does; anything else goes to the
  // desktop's handler, which takes the target alone.
  if (target.find("://") == std::string::npos && IsExecutableFile(target)) {
    return Execute_Program(target.c_str(), arguments, false);
  }
  pid_t pid = 0;
  if (!Spawn("xdg-open", {"xdg-open", target}, true, pid)) return false;
  return WaitPumping(pid) == 0;
}

bool Execute_Program(const char* program, const char* arguments, bool wait) {
  ReapFinishedChildren();
  if (program == nullptr || !ProgramExists(program)) return false;
  // The program is quoted so a path with blanks stays one word; the arguments are shell text.
  std::string commandLine = ShellQuote(program) + " " + (arguments != nullptr ? arguments : "");
  pid_t pid = 0;
  if (!Spawn("/bin/sh", {"sh", "-c", commandLine}, false, pid)) return false;
  if (wait) {
    WaitPumping(pid);
  } else {
    g_UnwaitedChildren.push_back(pid);
  }
  return true;
}
