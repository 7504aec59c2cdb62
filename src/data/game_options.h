// Game options: the OPTN chunk of the game data file and the [DEFAULT] keys of "options.ini".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_data_reader.h"

class IniFile;

// The three error-handling switches read by the error routine and the variable lists.
extern bool Option_ShowErrors;      // show errors in a dialog (else on the console only)
extern bool Option_AbortOnErrors;   // every error is fatal
extern bool Option_UnsetVariables;  // reading a variable that was never set is an error

struct UserConstant {
  std::optional<std::string> name;   // nullopt: the slot was empty (offset 0) in the file
  std::optional<std::string> value;
};

struct GameOptions {
  bool fullScreen = false;
  bool newAudio = false;             // set by start-up; OPTN word 2 overwrites it
  bool showCursor = true;
  int32_t windowColour = 0xFFFFFF;   // 0xBBGGRR
  bool changeDisplayMode = false;
  int32_t depthChoice = 0;           // 1 = 16 bits, 2 = 32 bits
  int32_t resolutionChoice = 0;      // 1..6
  int32_t frequencyChoice = 0;       // 1..5
  bool altEnterTogglesFullScreen = true;
  bool freezeWhenInactive = false;
  bool showProgressBar = true;
  uint32_t splashEntry = 0;          // offset of a texture-page entry in the file; 0: none
  bool createEventBeforeCreationCode = false;  // kept across loads when the data version is below 5
  std::vector<UserConstant> constants;
  int32_t versionMajor = 0;
  int32_t versionMinor = 0;

  // The words this system keeps but does not use, with their defaults.
  bool flag1 = false, flag3 = false, flag6 = false, flag7 = false, flag13 = false;
  int32_t number5 = 100, number14 = 0, number21 = 0;
  bool flags16to20[5] = {true, true, true, true, true};
  bool flag27 = false;
  uint8_t flag28 = 255;
  bool flag29 = true, flag31 = false;
};

// Switches taken from the [DEFAULT] section of options.ini. Start-up applies them over the
// command line ("Debug" as -debug, "Trace" as -trace); an absent key is nullopt.
struct IniSwitches {
  std::optional<bool> debug;
  std::optional<bool> trace;
  std::optional<bool> orientLandscape;
  std::optional<bool> orientPortrait;
};

GameOptions& Options_Get();
IniSwitches& Options_IniSwitches();

// Every default of the table; the new-audio switch and the creation order are left as they are.
void Options_Clear();
// The OPTN reader. dataVersion decides whether word 34 is read. Throws GameDataError on damage.
void Options_Load(const GameDataReader& reader, ChunkSpan body, uint32_t dataVersion);
// The [DEFAULT] keys of options.ini.
void Options_ReadIni(const IniFile& ini);
