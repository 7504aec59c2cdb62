#include "support/runner_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>

RunnerResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                        const RunnerOptions& options) {
  RunnerResult result;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    dup2(pipeFds[1], STDERR_FILENO);
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) _exit(126);
    for (const auto& [key, value] : options.environment) setenv(key.c_str(), value.c_str(), 1);
    if (options.addressSpaceLimit != 0) {
      const rlimit limit{options.addressSpaceLimit, options.addressSpaceLimit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(125);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);

  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(static_cast<long long>(options.timeoutSeconds * 1000));
  char buffer[4096];
  std::chrono::steady_clock::time_point signalled;
  bool signalSent = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    pollfd p{pipeFds[0], POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left));
    if (ready <= 0) continue;
    ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    result.output.append(buffer, static_cast<size_t>(n));
    if (options.signal != 0 && !signalSent && result.output.find(options.signalAfterOutput) != std::string::npos) {
      kill(pid, options.signal);
      signalSent = true;
      signalled = std::chrono::steady_clock::now();
    }
  }
  close(pipeFds[0]);

  int status = 0;
  waitpid(pid, &status, 0);
  if (signalSent) {
    result.secondsAfterSignal =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
  return result;
}

RunnerResult RunRunner(const std::vector<std::string>& args, const RunnerOptions& options) {
  RunnerOptions withDefaults = options;
  withDefaults.environment.emplace("SDL_VIDEODRIVER", "offscreen");
  withDefaults.environment.emplace("ALSOFT_DRIVERS", "null");
  withDefaults.environment.emplace("EGL_PLATFORM", "surfaceless");
  // llvmpipe draws on the calling thread: the same pixels, and no rasteriser threads for the
  // leak checker to stop.
  withDefaults.environment.emplace("LP_NUM_THREADS", "0");
  withDefaults.environment.emplace("MESA_SHADER_CACHE_DISABLE", "true");
  // In the sanitizer build the leak checker's stop of the runner's library threads (window,
  // sound, drawing) at process exit sometimes crashes on its own. The runner's memory errors
  // and undefined behaviour are still reported; leaks are checked by the in-process tests.
  withDefaults.environment.emplace("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=0");
  return RunProcess(KILNFORGE_BINARY, args, withDefaults);
}

TempFolder::TempFolder() {
  std::random_device rd;
  auto base = std::filesystem::path(KF_TEST_BINARY_DIR) / "tmp";
  std::filesystem::create_directories(base);
  for (;;) {
    auto candidate = base / ("t" + std::to_string(getpid()) + "_" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> SaidLines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '@') lines.push_back(line.substr(1));
  }
  return lines;
}

std::vector<double> SaidNumbers(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  std::vector<double> numbers;
  for (double v; in >> v;) numbers.push_back(v);
  return numbers;
}
