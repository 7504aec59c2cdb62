// Runs the real runner binary as a child process and collects what it printed.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

struct RunnerResult {
  int exitCode = -1;       // the process's exit status; 128 + signal when it was killed
  bool timedOut = false;
  std::string output;      // standard output and standard error, interleaved as written
  double secondsAfterSignal = -1.0;  // from the signal of RunnerOptions to the end; -1: none sent
};

struct RunnerOptions {
  std::string workingDirectory;                 // empty: the current one
  std::map<std::string, std::string> environment;  // added to (or replacing) the inherited one
  double timeoutSeconds = 60.0;
  size_t addressSpaceLimit = 0;                 // bytes of address space the child may hold; 0: no limit
  // When the output first holds this text, the child is sent `signal` (once).
  std::string signalAfterOutput;
  int signal = 0;
};

// Runs `program` (the runner by default) with the given arguments.
RunnerResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                        const RunnerOptions& options = {});

RunnerResult RunRunner(const std::vector<std::string>& args, const RunnerOptions& options = {});

// The lines of the output that start with "@" (what test games report), without the "@".
std::vector<std::string> SaidLines(const std::string& output);
// The numbers of a reported line after its first word ("fall 51.67 0" gives 51.67, 0).
std::vector<double> SaidNumbers(const std::string& line);

// A fresh empty folder under the test build folder, removed when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};
