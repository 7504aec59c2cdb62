#include "data/game_options.h"

#include <cstdlib>

#include "platform/ini_file.h"

bool Option_ShowErrors = true;
bool Option_AbortOnErrors = false;
bool Option_UnsetVariables = false;

namespace {
GameOptions g_options;
IniSwitches g_iniSwitches;

int32_t VersionNumber(const std::optional<std::string>& text) {
  if (!text) return 0;
  return static_cast<int32_t>(std::strtol(text->c_str(), nullptr, 10));
}
}  // namespace

GameOptions& Options_Get() { return g_options; }
IniSwitches& Options_IniSwitches() { return g_iniSwitches; }

void Options_Clear() {
  GameOptions defaults;
  defaults.newAudio = g_options.newAudio;
  defaults.createEventBeforeCreationCode = g_options.createEventBeforeCreationCode;
  g_options = std::move(defaults);
  Option_ShowErrors = true;
  Option_AbortOnErrors = false;
  Option_UnsetVariables = false;
}

void Options_Load(const GameDataReader& reader, ChunkSpan body, uint32_t dataVersion) {
  GameDataCursor in(reader, body.offset, body.End());
  auto flag = [&in] { return in.U32() != 0; };
  auto number = [&in] { return in.I32(); };
  GameOptions& o = g_options;
  o.fullScreen = flag();             // 0
  o.flag1 = flag();                  // 1
  o.newAudio = flag();               // 2
  o.flag3 = flag();                  // 3
  o.showCursor = flag();             // 4
  o.number5 = number();              // 5
  o.flag6 = flag();                  // 6
  o.flag7 = flag();                  // 7
  o.windowColour = number();         // 8
  o.changeDisplayMode = flag();      // 9
  o.depthChoice = number();          // 10
  o.resolutionChoice = number();     // 11
  o.frequencyChoice = number();      // 12
  o.flag13 = flag();                 // 13
  o.number14 = number();             // 14
  o.altEnterTogglesFullScreen = flag();  // 15
  for (bool& f : o.flags16to20) f = flag();  // 16-20
  o.number21 = number();             // 21
  o.freezeWhenInactive = flag();     // 22
  o.showProgressBar = flag();        // 23
  in.Skip(8);                        // 24, 25: not read
  o.splashEntry = in.U32();          // 26
  if (o.splashEntry != 0) reader.Require(o.splashEntry, 22, "splash entry");
  o.flag27 = flag();                 // 27
  o.flag28 = flag() ? 1 : 0;         // 28
  o.flag29 = flag();                 // 29
  Option_ShowErrors = flag();        // 30
  o.flag31 = flag();                 // 31
  Option_AbortOnErrors = flag();     // 32
  Option_UnsetVariables = flag();    // 33
  const bool createFirst = flag();   // 34
  if (dataVersion >= 5) o.createEventBeforeCreationCode = createFirst;

  const uint32_t count = in.U32();   // 35
  if (in.Remaining() / 8 < count) throw GameDataError("constant count runs past the chunk");
  o.constants.assign(count, UserConstant{});
  for (UserConstant& constant : o.constants) {
    const uint32_t name = in.U32();
    const uint32_t value = in.U32();
    if (name != 0) constant.name = std::string(reader.Text(name));
    if (value != 0) constant.value = std::string(reader.Text(value));
    if (!constant.name) continue;
    if (*constant.name == "VersionMajor") o.versionMajor = VersionNumber(constant.value);
    if (*constant.name == "VersionMinor") o.versionMinor = VersionNumber(constant.value);
  }
}

void Options_ReadIni(const IniFile& ini) {
  auto key = [&ini](const char* name) -> std::optional<bool> {
    if (ini.FindKey("DEFAULT", name) == nullptr) return std::nullopt;
    return ini.ReadInteger("DEFAULT", name, 0) != 0;
  };
  const auto landscape = key("OrientLandscape");
  const auto portrait = key("OrientPortrait");
  if (landscape && portrait) {
    // The orientation hook has nothing to do on this system; the values are kept.
    g_iniSwitches.orientLandscape = landscape;
    g_iniSwitches.orientPortrait = portrait;
  }
  if (auto debug = key("Debug")) g_iniSwitches.debug = debug;
  if (auto trace = key("Trace")) g_iniSwitches.trace = trace;
}
