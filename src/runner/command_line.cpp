#include "runner/command_line.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "runner/pending_subsystems.h"
#include "runner/physics_world.h"
#include "runner/run_options.h"
#include "script/vm/vm.h"

namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

std::string& Copy() {
  static std::string copy;
  return copy;
}

bool NeedsQuotes(const std::string& argument) {
  return argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
}

// atoi's reading of a decimal number: leading white space, an optional sign, the digits
// that follow; anything else stops it. Saturates instead of overflowing.
int ReadDecimal(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = (*text++ == '-');
  int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<int>(value);
}

}  // namespace

void CommandLine_Keep(int argc, const char* const* argv) {
  auto& arguments = Arguments();
  arguments.clear();
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");

  std::string& copy = Copy();
  copy.clear();
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) copy += ' ';
    if (NeedsQuotes(arguments[i])) {
      copy += '"';
      copy += arguments[i];
      copy += '"';
    } else {
      copy += arguments[i];
    }
  }
}

const std::vector<std::string>& CommandLine_Arguments() { return Arguments(); }

const std::string& CommandLine_Copy() { return Copy(); }

void CommandLine_SplitBreakpoint(const std::string& argument, std::string& codeName, int& line) {
  size_t at = argument.find('@');
  if (at == std::string::npos) {
    codeName = argument;
    line = 0;
    return;
  }
  codeName = argument.substr(0, at);
  line = ReadDecimal(argument.c_str() + at + 1);
}

void ParseCommandLine(const std::vector<std::string>& tokens) {
  RunOptions& o = g_RunOptions;
  o.debugMode = false;
  o.externalCallsDisabled = false;
  o.recordInput = false;
  o.playbackInput = false;
  o.useVM = true;
  o.noAudio = false;
  o.forceWindowed = false;
  o.debugOverlayMode = 0;

  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string& token = tokens[i];
    auto argument = [&]() -> std::string { return i + 1 < tokens.size() ? tokens[++i] : std::string(); };
    if (token == "-debug") {
      o.debugMode = true;
      o.debugOverlayMode = 2;
      Physics_InstallAssertHandler();
    } else if (token == "-trace") {
      o.scriptTrace = true;
    } else if (token == "-ext") {
      o.externalCallsDisabled = true;
    } else if (token == "-oldexec") {
      o.useVM = false;
    } else if (token == "-noaudio") {
      o.noAudio = true;
    } else if (token == "-inawindow") {
      o.forceWindowed = true;
    } else if (token == "-game") {
      std::string path = argument();
      if (!o.gameFileName) o.gameFileName = path;
    } else if (token == "-record") {
      o.recordInput = true;
      o.inputRecordFileName = argument();
    } else if (token == "-playback") {
      o.playbackInput = true;
      o.inputRecordFileName = argument();
    } else if (token == "-bp") {
      RunBreakpoint bp;
      CommandLine_SplitBreakpoint(argument(), bp.codeName, bp.line);
      VM_Breakpoint_Add(bp.codeName, bp.line);
      o.breakpoints.push_back(std::move(bp));
    }
  }
}
