// The runner's options: what the command line asked for. Every subsystem reads them
// through g_RunOptions; the options file of the game may change a few while it loads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RunBreakpoint {
  std::string codeName;
  int32_t line = 0;
};

struct RunOptions {
  // The game data file: "data.win" beside the executable, else the first "-game" path;
  // empty optional when neither named one (the open-file dialog then asks).
  std::optional<std::string> gameFileName;

  bool debugMode = false;              // "-debug"
  int32_t debugOverlayMode = 0;        // 2 with "-debug"
  bool scriptTrace = false;            // "-trace": the machine logs each script call
  bool externalCallsDisabled = false;  // "-ext": external library calls return at once
  bool useVM = true;                   // "-oldexec" clears it: the parse-tree interpreter runs code
  bool noAudio = false;                // "-noaudio"
  bool forceWindowed = false;          // "-inawindow"
  bool recordInput = false;            // "-record"
  bool playbackInput = false;          // "-playback"
  std::string inputRecordFileName;     // shared by "-record" and "-playback": the later one names it
  std::vector<RunBreakpoint> breakpoints;  // "-bp name@line", in command-line order
};

extern RunOptions g_RunOptions;
