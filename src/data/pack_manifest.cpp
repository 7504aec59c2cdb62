#include "data/pack_manifest.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

struct ManifestError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '\\' && i + 1 < line.size()) {
        const char next = line[++i];
        word += next == 'n' ? '\n' : next;
      } else if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) throw ManifestError("a quoted word is not closed");
  if (inWord) words.push_back(std::move(word));
  return words;
}

int64_t Integer(const std::string& text, const std::string& what) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || errno != 0 || v < INT32_MIN || v > UINT32_MAX) {
    throw ManifestError(what + ": \"" + text + "\" is not a 32-bit number");
  }
  return v;
}

float Real(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const float v = std::strtof(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(v)) {
    throw ManifestError(what + ": \"" + text + "\" is not a number");
  }
  return v;
}

bool Flag(const std::string& text, const std::string& what) {
  const int64_t v = Integer(text, what);
  if (v != 0 && v != 1) throw ManifestError(what + " is 0 or 1");
  return v == 1;
}

int32_t EventType(const std::string& text) {
  static const std::map<std::string, int32_t> names = {
      {"create", 0},  {"destroy", 1}, {"alarm", 2},   {"step", 3},     {"collision", 4},   {"keyboard", 5},
      {"mouse", 6},   {"other", 7},   {"draw", 8},    {"keypress", 9}, {"keyrelease", 10}, {"trigger", 11}};
  const auto it = names.find(text);
  if (it != names.end()) return it->second;
  const int64_t v = Integer(text, "event type");
  if (v < 0 || v > 11) throw ManifestError("event type " + text + " is not 0 to 11");
  return static_cast<int32_t>(v);
}

// key=value words after the positional ones.
class Settings {
 public:
  Settings(const std::vector<std::string>& words, size_t first) {
    for (size_t i = first; i < words.size(); ++i) {
      const auto equals = words[i].find('=');
      if (equals == std::string::npos || equals == 0) {
        throw ManifestError("\"" + words[i] + "\" is not a key=value setting");
      }
      values_[words[i].substr(0, equals)] = words[i].substr(equals + 1);
    }
  }
  std::optional<std::string> Take(const std::string& key) {
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    std::string v = it->second;
    values_.erase(it);
    return v;
  }
  void Int(const std::string& key, int32_t& out) {
    if (auto v = Take(key)) out = static_cast<int32_t>(Integer(*v, key));
  }
  void UInt(const std::string& key, uint32_t& out) {
    if (auto v = Take(key)) out = static_cast<uint32_t>(Integer(*v, key));
  }
  void Bool(const std::string& key, bool& out) {
    if (auto v = Take(key)) out = Flag(*v, key);
  }
  void Float(const std::string& key, float& out) {
    if (auto v = Take(key)) out = Real(*v, key);
  }
  void Text(const std::string& key, std::string& out) {
    if (auto v = Take(key)) out = *v;
  }
  // Every setting must have been taken: an unknown key is a mistake.
  void Done() const {
    if (!values_.empty()) throw ManifestError("unknown setting \"" + values_.begin()->first + "\"");
  }

 private:
  std::map<std::string, std::string> values_;
};

class ManifestReader {
 public:
  ManifestReader(const std::string& folder, GameDataWriter& game) : folder_(folder), game_(game) {}

  void Line(const std::vector<std::string>& w) {
    const std::string& keyword = w[0];
    if (keyword == "game") Game(w);
    else if (keyword == "option") Option(w);
    else if (keyword == "constant") {
      Need(w, 3, "constant NAME VALUE");
      game_.options.constants.emplace_back(w[1], w[2]);
    } else if (keyword == "script") {
      Need(w, 3, "script NAME FILE");
      game_.scripts.push_back({w[1], {Source(w[2])}});
    } else if (keyword == "object") Object(w);
    else if (keyword == "event") Event(w);
    else if (keyword == "timeline") {
      Need(w, 2, "timeline NAME");
      game_.timeLines.push_back({w[1], {}});
    } else if (keyword == "moment") Moment(w);
    else if (keyword == "room") Room(w);
    else if (keyword == "instance") Instance(w);
    else if (keyword == "texture") {
      Need(w, 2, "texture FILE");
      const std::string image = Source(w[1]);
      game_.textures.emplace_back(image.begin(), image.end());
    } else if (keyword == "sprite") Sprite(w);
    else if (keyword == "background") Background(w);
    else if (keyword == "layer") Layer(w);
    else if (keyword == "view") View(w);
    else if (keyword == "tile") Tile(w);
    else if (keyword == "sound") Sound(w);
    else if (keyword == "chunk") {
      Need(w, 3, "chunk ID FILE");
      if (w[1].size() != 4) throw ManifestError("a chunk id has four characters");
      const std::string body = Source(w[2]);
      game_.rawChunks.push_back({w[1], std::vector<uint8_t>(body.begin(), body.end())});
    } else {
      throw ManifestError("unknown keyword \"" + keyword + "\"");
    }
  }

  // Object names (which may be declared further down) are resolved at the end.
  void Finish() {
    for (const ObjectName& ref : objectRefs_) {
      int32_t index = 0;
      const std::string& name = ref.name;
      if (!name.empty() && (name[0] == '-' || (name[0] >= '0' && name[0] <= '9'))) {
        index = static_cast<int32_t>(Integer(name, "object"));
      } else {
        const auto it = objectIndex_.find(name);
        if (it == objectIndex_.end()) {
          throw ManifestError("line " + std::to_string(ref.line) + ": no object named \"" + name + "\"");
        }
        index = it->second;
      }
      if (ref.room == -2) game_.objects[ref.index].events[ref.event].number = index;
      else if (ref.room < 0) game_.objects[ref.index].parent = index;
      else if (ref.view) game_.rooms[static_cast<size_t>(ref.room)].views[ref.index][13] = index;
      else game_.rooms[static_cast<size_t>(ref.room)].instances[ref.index].object = index;
    }
    uint32_t lastId = game_.header.lastInstanceId;
    for (const auto& room : game_.rooms) {
      for (const auto& instance : room.instances) lastId = std::max(lastId, static_cast<uint32_t>(instance.id));
    }
    game_.header.lastInstanceId = lastId;
  }

  int lineNumber = 0;

 private:
  static void Need(const std::vector<std::string>& w, size_t count, const char* form) {
    if (w.size() < count) throw ManifestError(std::string("expected: ") + form);
  }

  std::string Source(const std::string& file) const {
    const std::string path = folder_.empty() ? file : folder_ + "/" + file;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ManifestError("cannot read \"" + path + "\"");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  void Game(const std::vector<std::string>& w) {
    Settings s(w, 1);
    auto& h = game_.header;
    s.Text("name", h.name);
    s.Text("config", h.configName);
    s.Text("game_name", h.gameName);
    s.Int("id", h.gameId);
    s.UInt("version", h.dataVersion);
    if (h.dataVersion < 8 || h.dataVersion > 255) throw ManifestError("version is 8 to 255");
    s.Int("width", h.windowWidth);
    s.Int("height", h.windowHeight);
    s.UInt("window_flags", h.windowFlags);
    s.UInt("last_instance_id", h.lastInstanceId);
    s.UInt("last_tile_id", h.lastTileId);
    bool debug = (h.flags & 1) == 0;
    s.Bool("debug", debug);
    h.flags = debug ? (h.flags & ~1u) : (h.flags | 1u);
    if (auto order = s.Take("room_order")) {
      h.roomOrder.clear();
      std::stringstream list(*order);
      std::string item;
      while (std::getline(list, item, ',')) h.roomOrder.push_back(static_cast<int32_t>(Integer(item, "room_order")));
    }
    s.Done();
  }

  void Option(const std::vector<std::string>& w) {
    Settings s(w, 1);
    auto& o = game_.options;
    s.Bool("full_screen", o.fullScreen);
    s.Bool("new_audio", o.newAudio);
    s.Bool("show_cursor", o.showCursor);
    s.Int("window_colour", o.windowColour);
    s.Bool("change_display_mode", o.changeDisplayMode);
    s.Int("depth", o.depthChoice);
    s.Int("resolution", o.resolutionChoice);
    s.Int("frequency", o.frequencyChoice);
    s.Bool("alt_enter", o.altEnter);
    s.Bool("freeze_when_inactive", o.freezeWhenInactive);
    s.Bool("show_progress_bar", o.showProgressBar);
    s.Bool("show_errors", o.showErrors);
    s.Bool("abort_on_errors", o.abortOnErrors);
    s.Bool("unset_variables", o.unsetVariables);
    s.Bool("create_event_first", o.createEventFirst);
    s.Done();
  }

  void Object(const std::vector<std::string>& w) {
    Need(w, 2, "object NAME [settings]");
    if (objectIndex_.count(w[1])) throw ManifestError("a second object named \"" + w[1] + "\"");
    objectIndex_[w[1]] = static_cast<int32_t>(game_.objects.size());
    game_.objects.emplace_back();
    auto& o = game_.objects.back();
    o.name = w[1];
    Settings s(w, 2);
    s.Int("sprite", o.sprite);
    s.Bool("visible", o.visible);
    s.Bool("solid", o.solid);
    s.Int("depth", o.depth);
    s.Bool("persistent", o.persistent);
    s.Int("mask", o.mask);
    s.Bool("physics", o.physics);
    if (auto parent = s.Take("parent")) objectRefs_.push_back({lineNumber, *parent, -1, game_.objects.size() - 1});
    s.Done();
  }

  void Event(const std::vector<std::string>& w) {
    Need(w, 4, "event TYPE NUMBER FILE");
    if (game_.objects.empty()) throw ManifestError("an event before any object");
    gamedata::Event e;
    e.type = EventType(w[1]);
    const bool named = e.type == 4 && !w[2].empty() && w[2][0] != '-' && (w[2][0] < '0' || w[2][0] > '9');
    if (named) {
      // A collision event may name the other object, declared before or after.
      objectRefs_.push_back({lineNumber, w[2], -2, game_.objects.size() - 1, false, game_.objects.back().events.size()});
    } else {
      e.number = static_cast<int32_t>(Integer(w[2], "event number"));
    }
    e.code.source = Source(w[3]);
    game_.objects.back().events.push_back(std::move(e));
  }

  void Moment(const std::vector<std::string>& w) {
    Need(w, 3, "moment STEP FILE");
    if (game_.timeLines.empty()) throw ManifestError("a moment before any time line");
    auto& moments = game_.timeLines.back().moments;
    const auto step = static_cast<int32_t>(Integer(w[1], "moment step"));
    if (!moments.empty() && moments.back().step >= step) throw ManifestError("moment steps must rise");
    moments.push_back({step, {Source(w[2])}});
  }

  void Room(const std::vector<std::string>& w) {
    Need(w, 2, "room NAME [settings]");
    game_.rooms.emplace_back();
    auto& r = game_.rooms.back();
    r.name = w[1];
    Settings s(w, 2);
    s.Text("caption", r.caption);
    s.Int("width", r.width);
    s.Int("height", r.height);
    s.Int("speed", r.speed);
    s.Bool("persistent", r.persistent);
    s.UInt("colour", r.colour);
    s.Bool("show_colour", r.showColour);
    s.Bool("views", r.enableViews);
    if (auto file = s.Take("code")) r.creationCode.source = Source(*file);
    s.Done();
  }

  void Instance(const std::vector<std::string>& w) {
    Need(w, 4, "instance OBJECT X Y [settings]");
    if (game_.rooms.empty()) throw ManifestError("an instance before any room");
    auto& r = game_.rooms.back();
    r.instances.emplace_back();
    auto& n = r.instances.back();
    n.x = static_cast<int32_t>(Integer(w[2], "x"));
    n.y = static_cast<int32_t>(Integer(w[3], "y"));
    n.id = static_cast<int32_t>(++nextInstanceId_);
    Settings s(w, 4);
    s.Int("id", n.id);
    s.Float("xscale", n.xscale);
    s.Float("yscale", n.yscale);
    s.UInt("colour", n.colour);
    s.Float("rotation", n.rotation);
    if (auto file = s.Take("code")) n.creationCode.source = Source(*file);
    s.Done();
    objectRefs_.push_back({lineNumber, w[1], static_cast<int64_t>(game_.rooms.size() - 1), r.instances.size() - 1});
  }

  // A texture-page entry of the rectangle (x, y, w, h) of a texture; its index.
  int32_t PageEntry(const std::vector<std::string>& w, size_t first) {
    const auto texture = Integer(w[first], "texture");
    if (texture < 0 || texture >= static_cast<int64_t>(game_.textures.size())) {
      throw ManifestError("no texture " + w[first] + " (textures count from 0 in their order)");
    }
    gamedata::TexturePageEntry e;
    e.texture = static_cast<int16_t>(texture);
    e.x = static_cast<int16_t>(Integer(w[first + 1], "x"));
    e.y = static_cast<int16_t>(Integer(w[first + 2], "y"));
    e.width = e.cropWidth = e.fullWidth = static_cast<int16_t>(Integer(w[first + 3], "width"));
    e.height = e.cropHeight = e.fullHeight = static_cast<int16_t>(Integer(w[first + 4], "height"));
    if (e.width < 1 || e.height < 1) throw ManifestError("a texture rectangle is at least 1 x 1");
    game_.texturePageEntries.push_back(e);
    return static_cast<int32_t>(game_.texturePageEntries.size() - 1);
  }

  // sprite NAME TEXTURE X Y W H [frames=N xorigin= yorigin=]: frames side by side.
  void Sprite(const std::vector<std::string>& w) {
    Need(w, 7, "sprite NAME TEXTURE X Y W H [settings]");
    gamedata::Sprite sprite;
    sprite.name = w[1];
    Settings s(w, 7);
    int32_t frames = 1;
    s.Int("frames", frames);
    s.Int("xorigin", sprite.xorigin);
    s.Int("yorigin", sprite.yorigin);
    s.Done();
    if (frames < 1 || frames > 256) throw ManifestError("frames is 1 to 256");
    std::vector<std::string> rect(w.begin() + 2, w.begin() + 7);
    const int64_t x = Integer(rect[1], "x");
    const int64_t width = Integer(rect[3], "width");
    for (int32_t f = 0; f < frames; ++f) {
      rect[1] = std::to_string(x + f * width);
      sprite.frames.push_back(PageEntry(rect, 0));
    }
    sprite.width = static_cast<int32_t>(width);
    sprite.height = static_cast<int32_t>(Integer(rect[4], "height"));
    sprite.bboxRight = sprite.width - 1;
    sprite.bboxBottom = sprite.height - 1;
    sprite.bboxMode = 1;
    game_.sprites.push_back(std::move(sprite));
  }

  void Background(const std::vector<std::string>& w) {
    Need(w, 7, "background NAME TEXTURE X Y W H");
    gamedata::Background background;
    background.name = w[1];
    background.entry = PageEntry(w, 2);
    game_.backgrounds.push_back(std::move(background));
  }

  // layer BACKGROUND [settings]: the next background layer of the last room.
  void Layer(const std::vector<std::string>& w) {
    Need(w, 2, "layer BACKGROUND [settings]");
    if (game_.rooms.empty()) throw ManifestError("a layer before any room");
    auto& r = game_.rooms.back();
    if (r.backgrounds.size() >= 8) throw ManifestError("a room has at most 8 layers");
    std::array<int32_t, 10> b{1, 0, static_cast<int32_t>(Integer(w[1], "background")), 0, 0, 1, 1, 0, 0, 0};
    Settings s(w, 2);
    bool visible = true, foreground = false, htiled = true, vtiled = true, stretch = false;
    s.Bool("visible", visible);
    s.Bool("foreground", foreground);
    s.Int("x", b[3]);
    s.Int("y", b[4]);
    s.Bool("htiled", htiled);
    s.Bool("vtiled", vtiled);
    s.Int("hspeed", b[7]);
    s.Int("vspeed", b[8]);
    s.Bool("stretch", stretch);
    s.Done();
    b[0] = visible, b[1] = foreground, b[5] = htiled, b[6] = vtiled, b[9] = stretch;
    r.backgrounds.push_back(b);
  }

  // view [settings]: the next view of the last room; object= names the followed object.
  void View(const std::vector<std::string>& w) {
    if (game_.rooms.empty()) throw ManifestError("a view before any room");
    auto& r = game_.rooms.back();
    if (r.views.size() >= 8) throw ManifestError("a room has at most 8 views");
    std::array<int32_t, 14> v{1, 0, 0, 640, 480, 0, 0, 640, 480, 32, 32, -1, -1, -1};
    Settings s(w, 1);
    bool visible = true;
    s.Bool("visible", visible);
    const char* keys[] = {"xview", "yview", "wview", "hview", "xport", "yport", "wport", "hport",
                          "hborder", "vborder", "hspeed", "vspeed"};
    for (size_t k = 0; k < std::size(keys); ++k) s.Int(keys[k], v[k + 1]);
    v[0] = visible;
    const auto object = s.Take("object");
    s.Done();
    r.views.push_back(v);
    if (object) objectRefs_.push_back({lineNumber, *object, static_cast<int64_t>(game_.rooms.size() - 1), r.views.size() - 1, true});
  }

  // tile BACKGROUND X Y LEFT TOP WIDTH HEIGHT [settings]: a tile of the last room, the
  // rectangle (LEFT, TOP, WIDTH, HEIGHT) of a background placed at (X, Y).
  void Tile(const std::vector<std::string>& w) {
    Need(w, 8, "tile BACKGROUND X Y LEFT TOP WIDTH HEIGHT [settings]");
    if (game_.rooms.empty()) throw ManifestError("a tile before any room");
    auto& r = game_.rooms.back();
    gamedata::Tile t;
    t.background = static_cast<int32_t>(Integer(w[1], "background"));
    if (t.background < 0 || t.background >= static_cast<int32_t>(game_.backgrounds.size())) {
      throw ManifestError("no background " + w[1] + " (backgrounds count from 0 in their order)");
    }
    t.x = static_cast<int32_t>(Integer(w[2], "x"));
    t.y = static_cast<int32_t>(Integer(w[3], "y"));
    t.left = static_cast<int32_t>(Integer(w[4], "left"));
    t.top = static_cast<int32_t>(Integer(w[5], "top"));
    t.width = static_cast<int32_t>(Integer(w[6], "width"));
    t.height = static_cast<int32_t>(Integer(w[7], "height"));
    if (t.width < 1 || t.height < 1) throw ManifestError("a tile is at least 1 x 1");
    t.id = static_cast<int32_t>(++nextTileId_);
    Settings s(w, 8);
    s.Int("depth", t.depth);
    s.Int("id", t.id);
    s.Float("xscale", t.xscale);
    s.Float("yscale", t.yscale);
    s.UInt("colour", t.colour);
    s.Done();
    r.tiles.push_back(t);
    game_.header.lastTileId = std::max(game_.header.lastTileId, static_cast<uint32_t>(t.id));
  }

  // sound NAME FILE [settings]: a sound whose file (a WAVE, MIDI or MP3 file) is stored in
  // the game data as it stands.
  void Sound(const std::vector<std::string>& w) {
    Need(w, 3, "sound NAME FILE [settings]");
    gamedata::Sound sound;
    sound.name = w[1];
    const auto slash = w[2].find_last_of('/');
    sound.fileName = slash == std::string::npos ? w[2] : w[2].substr(slash + 1);
    const auto dot = sound.fileName.find_last_of('.');
    sound.extension = dot == std::string::npos ? std::string() : sound.fileName.substr(dot);
    Settings s(w, 3);
    s.Int("kind", sound.kind);
    if (sound.kind < 0 || sound.kind > 3) throw ManifestError("kind is 0 to 3");
    s.Float("volume", sound.volume);
    s.Float("pan", sound.pan);
    s.Bool("preload", sound.preload);
    s.Done();
    const std::string bytes = Source(w[2]);
    sound.dataIndex = static_cast<int32_t>(game_.samples.size());
    game_.samples.emplace_back(bytes.begin(), bytes.end());
    game_.sounds.push_back(std::move(sound));
  }

  // An object named by a parent setting (room -1), by a collision event (room -2, `event` its
  // place among the object's events), by an instance of a room, or by a view.
  struct ObjectName {
    int line;
    std::string name;
    int64_t room;
    size_t index;
    bool view = false;
    size_t event = 0;
  };

  std::string folder_;
  GameDataWriter& game_;
  std::map<std::string, int32_t> objectIndex_;
  std::vector<ObjectName> objectRefs_;
  uint32_t nextInstanceId_ = 100000;
  uint32_t nextTileId_ = 10000000;
};

}  // namespace

bool PackManifest_ReadText(std::string_view text, const std::string& folder, GameDataWriter& game,
                           std::string& error) {
  ManifestReader reader(folder, game);
  try {
    while (!text.empty()) {
      ++reader.lineNumber;
      const auto end = text.find('\n');
      const std::string_view line = text.substr(0, end);
      text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
      const auto words = Words(line);
      if (words.empty() || words[0][0] == '#') continue;
      reader.Line(words);
    }
    reader.Finish();
  } catch (const ManifestError& e) {
    const std::string what = e.what();
    error = what.rfind("line ", 0) == 0 ? what : "line " + std::to_string(reader.lineNumber) + ": " + what;
    return false;
  }
  return true;
}

bool PackManifest_Read(const std::string& manifestPath, GameDataWriter& game, std::string& error) {
  std::ifstream in(manifestPath, std::ios::binary);
  if (!in) {
    error = "cannot read \"" + manifestPath + "\"";
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto slash = manifestPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : manifestPath.substr(0, slash);
  return PackManifest_ReadText(text, folder, game, error);
}
