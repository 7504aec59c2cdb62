#include "support/xvfb_desktop.h"

#include <cstdlib>


bool Xdo(const std::string& commands, double timeoutSeconds) {
  RunnerOptions options;
  options.timeoutSeconds = timeoutSeconds;
  return RunProcess("/bin/sh", {"-c", commands}, options).exitCode == 0;
}

RunnerOptions XvfbDesktopRunnerOptions(const std::string& dataFolder, double timeoutSeconds) {
  RunnerOptions options;
  options.environment["SDL_VIDEODRIVER"] = "x11";
  options.environment["GSETTINGS_BACKEND"] = "memory";
  options.environment["XDG_DATA_HOME"] = dataFolder;
  options.timeoutSeconds = timeoutSeconds;
  return options;
}

std::string XvfbDesktopMissing() {
  if (std::getenv("KF_DIALOG_XVFB") == nullptr || std::getenv("DISPLAY") == nullptr) return "runs under xvfb-run from ctest";
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) return "xdotool is not installed";
  return {};
}
