#include "data/game_data_writer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "data/debug_file.h"

void DataFileBuilder::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void DataFileBuilder::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  U32(bits);
}

void DataFileBuilder::Bytes(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
}

DataFileBuilder::Label DataFileBuilder::NewLabel() {
  labels_.push_back(-1);
  return static_cast<Label>(labels_.size() - 1);
}

void DataFileBuilder::Place(Label label) { labels_.at(label) = Pos(); }

void DataFileBuilder::Ref(Label label) {
  fixups_.emplace_back(Pos(), label);
  U32(0);
}

uint32_t DataFileBuilder::StringIndex(const std::string& text) {
  const auto [it, added] = stringIndex_.emplace(text, static_cast<uint32_t>(strings_.size()));
  if (added) {
    strings_.push_back(text);
    stringLabels_.push_back(NewLabel());
  }
  return it->second;
}

void DataFileBuilder::StringRef(const std::string& text) { Ref(stringLabels_[StringIndex(text)]); }

void DataFileBuilder::BeginChunk(const char (&id)[5]) {
  Bytes(id, 4);
  chunkStart_ = Pos();
  U32(0);
}

void DataFileBuilder::EndChunk() {
  const uint32_t length = Pos() - chunkStart_ - 4;
  std::memcpy(bytes_.data() + chunkStart_, &length, 4);
}

void DataFileBuilder::StringTableChunk() {
  BeginChunk("STRG");
  const size_t count = strings_.size();
  std::vector<Label> records(count);
  U32(static_cast<uint32_t>(count));
  for (size_t i = 0; i < count; ++i) {
    records[i] = NewLabel();
    Ref(records[i]);
  }
  for (size_t i = 0; i < count; ++i) {
    Place(records[i]);
    U32(static_cast<uint32_t>(strings_[i].size()));
    Place(stringLabels_[i]);
    Bytes(strings_[i].data(), strings_[i].size());
    bytes_.push_back(0);
  }
  EndChunk();
}

std::vector<uint8_t> DataFileBuilder::Finish() {
  for (const auto& [at, label] : fixups_) {
    if (labels_.at(label) < 0) throw std::logic_error("a reference to a label that was never placed");
    const auto value = static_cast<uint32_t>(labels_[label]);
    std::memcpy(bytes_.data() + at, &value, 4);
  }
  const auto size = static_cast<uint32_t>(bytes_.size() - 8);
  std::memcpy(bytes_.data() + 4, &size, 4);
  return std::move(bytes_);
}

namespace {

using Label = DataFileBuilder::Label;

class Encoder {
 public:
  Encoder(const GameDataWriter& game, const std::vector<std::string>& strings) : g_(game) {
    for (const auto& s : strings) b_.StringIndex(s);
  }

  std::vector<uint8_t> Run() {
    for (size_t i = 0; i < g_.texturePageEntries.size(); ++i) entryLabels_.push_back(b_.NewLabel());
    Header();
    if (g_.writeOptions) Options();
    if (!g_.sounds.empty()) Sounds();
    if (!g_.samples.empty()) Samples();
    if (!g_.extensions.empty()) Extensions();
    if (!g_.sprites.empty()) Sprites();
    if (!g_.backgrounds.empty()) Backgrounds();
    if (!g_.paths.empty()) Paths();
    Scripts();
    if (!g_.fonts.empty()) Fonts();
    TimeLines();
    Objects();
    Rooms();
    if (!g_.texturePageEntries.empty()) TexturePages();
    if (!g_.textures.empty()) Textures();
    for (const auto& raw : g_.rawChunks) {
      if (raw.id.size() != 4) throw std::invalid_argument("a chunk id has four characters");
      b_.Bytes(raw.id.data(), 4);
      b_.U32(static_cast<uint32_t>(raw.body.size()));
      b_.Bytes(raw.body.data(), raw.body.size());
    }
    if (!g_.code.empty()) Code();
    b_.StringTableChunk();
    return b_.Finish();
  }

 private:
  bool Bytecode() const { return !g_.code.empty(); }

  // A reference to a texture-page entry by index; -1 (none) is written as 0.
  void EntryRef(int32_t index) {
    if (index < 0) {
      b_.U32(0);
      return;
    }
    if (static_cast<size_t>(index) >= entryLabels_.size()) {
      throw std::invalid_argument("a texture-page entry index outside the entries");
    }
    b_.Ref(entryLabels_[static_cast<size_t>(index)]);
  }

  void Sounds() {
    b_.BeginChunk("SOND");
    auto records = List(g_.sounds.size());
    for (size_t i = 0; i < g_.sounds.size(); ++i) {
      const auto& s = g_.sounds[i];
      b_.Place(records[i]);
      b_.StringRef(s.name);
      b_.I32(s.kind);
      b_.StringRef(s.extension);
      b_.StringRef(s.fileName);
      b_.I32(s.effects);
      b_.F32(s.volume);
      b_.F32(s.pan);
      b_.U32(s.preload ? 1 : 0);
      b_.I32(s.dataIndex);
    }
    b_.EndChunk();
  }

  void Samples() {
    b_.BeginChunk("AUDO");
    auto entries = List(g_.samples.size());
    for (size_t i = 0; i < g_.samples.size(); ++i) {
      b_.Place(entries[i]);
      b_.U32(static_cast<uint32_t>(g_.samples[i].size()));
      b_.Bytes(g_.samples[i].data(), g_.samples[i].size());
    }
    b_.EndChunk();
  }

  void Sprites() {
    b_.BeginChunk("SPRT");
    auto records = List(g_.sprites.size());
    for (size_t i = 0; i < g_.sprites.size(); ++i) {
      const auto& s = g_.sprites[i];
      b_.Place(records[i]);
      b_.StringRef(s.name);
      for (int32_t v : {s.width, s.height, s.bboxLeft, s.bboxRight, s.bboxBottom, s.bboxTop}) b_.I32(v);
      b_.U32(s.transparent);
      b_.U32(s.smooth);
      b_.U32(s.preload);
      b_.I32(s.bboxMode);
      b_.U32(s.precise);
      b_.I32(s.xorigin);
      b_.I32(s.yorigin);
      b_.U32(static_cast<uint32_t>(s.frames.size()));
      for (int32_t frame : s.frames) EntryRef(frame);
      b_.U32(static_cast<uint32_t>(s.masks.size()));
      for (const auto& mask : s.masks) b_.Bytes(mask.data(), mask.size());
    }
    b_.EndChunk();
  }

  void Backgrounds() {
    b_.BeginChunk("BGND");
    auto records = List(g_.backgrounds.size());
    for (size_t i = 0; i < g_.backgrounds.size(); ++i) {
      const auto& bg = g_.backgrounds[i];
      b_.Place(records[i]);
      b_.StringRef(bg.name);
      b_.U32(bg.transparent);
      b_.U32(bg.smooth);
      b_.U32(bg.preload);
      EntryRef(bg.entry);
    }
    b_.EndChunk();
  }

  void Paths() {
    b_.BeginChunk("PATH");
    auto records = List(g_.paths.size());
    for (size_t i = 0; i < g_.paths.size(); ++i) {
      const auto& p = g_.paths[i];
      b_.Place(records[i]);
      b_.StringRef(p.name);
      b_.I32(p.kind);
      b_.U32(p.closed);
      b_.I32(p.precision);
      b_.U32(static_cast<uint32_t>(p.points.size()));
      for (const auto& point : p.points) {
        b_.F32(point.x);
        b_.F32(point.y);
        b_.F32(point.speed);
      }
    }
    b_.EndChunk();
  }

  void Fonts() {
    b_.BeginChunk("FONT");
    auto records = List(g_.fonts.size());
    for (size_t i = 0; i < g_.fonts.size(); ++i) {
      const auto& f = g_.fonts[i];
      b_.Place(records[i]);
      b_.StringRef(f.name);
      b_.StringRef(f.face);
      b_.I32(f.size);
      b_.U32(f.bold);
      b_.U32(f.italic);
      b_.U32(f.firstWord);
      b_.I32(f.last);
      EntryRef(f.entry);
      b_.F32(f.xscale);
      b_.F32(f.yscale);
      auto glyphs = List(f.glyphs.size());
      for (size_t g = 0; g < f.glyphs.size(); ++g) {
        const auto& glyph = f.glyphs[g];
        b_.Place(glyphs[g]);
        const int16_t code = static_cast<int16_t>(glyph.code);
        for (int16_t v : {code, glyph.x, glyph.y, glyph.width, glyph.height, glyph.shift, glyph.offset}) {
          b_.Bytes(&v, 2);
        }
      }
    }
    for (uint32_t c = 0; c < 256; ++c) {
      const uint16_t code = c < g_.fontCodePage.size() ? g_.fontCodePage[c] : static_cast<uint16_t>(c);
      b_.Bytes(&code, 2);
    }
    b_.EndChunk();
  }

  void TexturePages() {
    b_.BeginChunk("TPAG");
    b_.U32(static_cast<uint32_t>(g_.texturePageEntries.size()));
    for (Label l : entryLabels_) b_.Ref(l);
    for (size_t i = 0; i < g_.texturePageEntries.size(); ++i) {
      const auto& e = g_.texturePageEntries[i];
      b_.Place(entryLabels_[i]);
      for (int16_t v : {e.x, e.y, e.width, e.height, e.xoffset, e.yoffset, e.cropWidth, e.cropHeight, e.fullWidth,
                        e.fullHeight, e.texture}) {
        b_.Bytes(&v, 2);
      }
    }
    b_.EndChunk();
  }

  void Textures() {
    b_.BeginChunk("TXTR");
    auto blocks = List(g_.textures.size());
    for (size_t i = 0; i < g_.textures.size(); ++i) {
      b_.Place(blocks[i]);
      b_.Bytes(g_.textures[i].data(), g_.textures[i].size());
    }
    b_.EndChunk();
  }

  void CodeWord(const gamedata::CodeRef& code) {
    if (Bytecode()) b_.I32(code.stored);
    else b_.StringRef(code.source);
  }

  // A counted list of labels, placed later by the caller.
  std::vector<Label> List(size_t count) {
    std::vector<Label> labels(count);
    b_.U32(static_cast<uint32_t>(count));
    for (auto& l : labels) {
      l = b_.NewLabel();
      b_.Ref(l);
    }
    return labels;
  }

  void Header() {
    const auto& h = g_.header;
    char id[5] = {};
    std::memcpy(id, h.id, 4);
    b_.BeginChunk(reinterpret_cast<const char(&)[5]>(id));
    b_.U32((h.flags & 0xFF) | (h.dataVersion & 0xFF) << 8);
    b_.StringRef(h.name);
    b_.StringRef(h.configName);
    b_.U32(h.lastInstanceId);
    b_.U32(h.lastTileId);
    b_.I32(h.gameId);
    b_.U32(static_cast<uint32_t>(h.value1));
    b_.U32(static_cast<uint32_t>(h.value1 >> 32));
    b_.U32(static_cast<uint32_t>(h.value2));
    b_.U32(static_cast<uint32_t>(h.value2 >> 32));
    b_.StringRef(h.gameName);
    for (int i = 11; i <= 14; ++i) b_.U32(0);
    b_.I32(h.windowWidth);
    b_.I32(h.windowHeight);
    b_.U32(h.windowFlags);
    for (int i = 18; i <= 24; ++i) b_.U32(0);
    if (h.roomOrder.empty()) {
      b_.U32(static_cast<uint32_t>(g_.rooms.size()));
      for (size_t i = 0; i < g_.rooms.size(); ++i) b_.U32(static_cast<uint32_t>(i));
    } else {
      b_.U32(static_cast<uint32_t>(h.roomOrder.size()));
      for (int32_t r : h.roomOrder) b_.I32(r);
    }
    b_.EndChunk();
  }

  void Options() {
    const auto& o = g_.options;
    b_.BeginChunk("OPTN");
    const uint32_t words[35] = {
        o.fullScreen, 0, o.newAudio, 0, o.showCursor, 100, 0, 0,
        static_cast<uint32_t>(o.windowColour), o.changeDisplayMode,
        static_cast<uint32_t>(o.depthChoice), static_cast<uint32_t>(o.resolutionChoice),
        static_cast<uint32_t>(o.frequencyChoice), 0, 0, o.altEnter, 1, 1, 1, 1, 1, 0,
        o.freezeWhenInactive, o.showProgressBar, 0, 0, 0, 0, 1, 1,
        o.showErrors, 0, o.abortOnErrors, o.unsetVariables, o.createEventFirst};
    for (size_t i = 0; i < 35; ++i) {
      if (i == 26) EntryRef(o.splashEntry);
      else b_.U32(words[i]);
    }
    b_.U32(static_cast<uint32_t>(o.constants.size()));
    for (const auto& [name, value] : o.constants) {
      b_.StringRef(name);
      b_.StringRef(value);
    }
    b_.EndChunk();
  }

  void Extensions() {
    b_.BeginChunk("EXTN");
    auto packages = List(g_.extensions.size());
    for (size_t p = 0; p < g_.extensions.size(); ++p) {
      const auto& package = g_.extensions[p];
      b_.Place(packages[p]);
      b_.StringRef(package.folderName);
      b_.StringRef(package.name);
      auto files = List(package.files.size());
      for (size_t f = 0; f < package.files.size(); ++f) {
        const auto& file = package.files[f];
        b_.Place(files[f]);
        b_.StringRef(file.fileName);
        b_.StringRef(file.finalFunction);
        b_.StringRef(file.initFunction);
        b_.I32(file.kind);
        auto functions = List(file.functions.size());
        for (size_t n = 0; n < file.functions.size(); ++n) {
          const auto& function = file.functions[n];
          b_.Place(functions[n]);
          b_.StringRef(function.name);
          b_.I32(function.id);
          b_.I32(function.kind);
          b_.I32(function.resultType);
          b_.StringRef(function.externalName);
          b_.I32(static_cast<int32_t>(function.argTypes.size()));
          for (int32_t type : function.argTypes) b_.I32(type);
        }
      }
    }
    b_.EndChunk();
  }

  void Scripts() {
    b_.BeginChunk("SCPT");
    auto records = List(g_.scripts.size());
    for (size_t i = 0; i < g_.scripts.size(); ++i) {
      b_.Place(records[i]);
      b_.StringRef(g_.scripts[i].name);
      CodeWord(g_.scripts[i].code);
    }
    b_.EndChunk();
  }

  void EventRecord(Label at, int32_t number, const gamedata::CodeRef& code) {
    b_.Place(at);
    b_.I32(number);
    CodeWord(code);
  }

  void TimeLines() {
    b_.BeginChunk("TMLN");
    auto records = List(g_.timeLines.size());
    for (size_t i = 0; i < g_.timeLines.size(); ++i) {
      const auto& t = g_.timeLines[i];
      b_.Place(records[i]);
      b_.StringRef(t.name);
      b_.U32(static_cast<uint32_t>(t.moments.size()));
      std::vector<Label> events;
      for (const auto& m : t.moments) {
        b_.I32(m.step);
        events.push_back(b_.NewLabel());
        b_.Ref(events.back());
      }
      for (size_t k = 0; k < t.moments.size(); ++k) EventRecord(events[k], 0, t.moments[k].code);
    }
    b_.EndChunk();
  }

  void Objects() {
    b_.BeginChunk("OBJT");
    auto records = List(g_.objects.size());
    for (size_t i = 0; i < g_.objects.size(); ++i) {
      const auto& o = g_.objects[i];
      b_.Place(records[i]);
      b_.StringRef(o.name);
      b_.I32(o.sprite);
      b_.U32(o.visible);
      b_.U32(o.solid);
      b_.I32(o.depth);
      b_.U32(o.persistent);
      b_.I32(o.parent);
      b_.I32(o.mask);
      if (g_.header.dataVersion >= 6) {
        b_.U32(o.physics);
        b_.U32(o.sensor);
        b_.I32(o.shape);
        b_.F32(o.density);
        b_.F32(o.restitution);
        b_.I32(o.group);
        b_.F32(o.linearDamping);
        b_.F32(o.angularDamping);
        b_.U32(static_cast<uint32_t>(o.points.size()));
        for (const auto& [x, y] : o.points) {
          b_.F32(x);
          b_.F32(y);
        }
      }
      // One list per event type up to the last one used; each holds that type's events.
      int32_t types = 0;
      for (const auto& e : o.events) types = std::max(types, e.type + 1);
      auto typeLists = List(static_cast<size_t>(types));
      for (int32_t type = 0; type < types; ++type) {
        b_.Place(typeLists[static_cast<size_t>(type)]);
        std::vector<const gamedata::Event*> ofType;
        for (const auto& e : o.events) {
          if (e.type == type) ofType.push_back(&e);
        }
        auto events = List(ofType.size());
        for (size_t k = 0; k < ofType.size(); ++k) EventRecord(events[k], ofType[k]->number, ofType[k]->code);
      }
    }
    b_.EndChunk();
  }

  void Rooms() {
    b_.BeginChunk("ROOM");
    auto records = List(g_.rooms.size());
    for (size_t i = 0; i < g_.rooms.size(); ++i) {
      const auto& r = g_.rooms[i];
      b_.Place(records[i]);
      b_.StringRef(r.name);
      b_.StringRef(r.caption);
      b_.I32(r.width);
      b_.I32(r.height);
      b_.I32(r.speed);
      b_.U32(r.persistent);
      b_.U32(r.colour);
      b_.U32(r.showColour);
      CodeWord(r.creationCode);
      b_.U32(r.enableViews);
      Label lists[4] = {b_.NewLabel(), b_.NewLabel(), b_.NewLabel(), b_.NewLabel()};
      for (Label l : lists) b_.Ref(l);
      b_.U32(r.physicsWorld);
      for (int w = 15; w <= 18; ++w) b_.U32(0);
      b_.F32(r.gravityX);
      b_.F32(r.gravityY);
      b_.F32(r.pixelsToMetres);

      b_.Place(lists[0]);
      auto backgrounds = List(r.backgrounds.size());
      for (size_t k = 0; k < r.backgrounds.size(); ++k) {
        b_.Place(backgrounds[k]);
        for (int32_t v : r.backgrounds[k]) b_.I32(v);
      }
      b_.Place(lists[1]);
      auto views = List(r.views.size());
      for (size_t k = 0; k < r.views.size(); ++k) {
        b_.Place(views[k]);
        for (int32_t v : r.views[k]) b_.I32(v);
      }
      b_.Place(lists[2]);
      auto instances = List(r.instances.size());
      for (size_t k = 0; k < r.instances.size(); ++k) {
        const auto& n = r.instances[k];
        b_.Place(instances[k]);
        b_.I32(n.x);
        b_.I32(n.y);
        b_.I32(n.object);
        b_.I32(n.id);
        CodeWord(n.creationCode);
        b_.F32(n.xscale);
        b_.F32(n.yscale);
        b_.U32(n.colour);
        b_.F32(n.rotation);
      }
      b_.Place(lists[3]);
      auto tiles = List(r.tiles.size());
      for (size_t k = 0; k < r.tiles.size(); ++k) {
        const auto& t = r.tiles[k];
        b_.Place(tiles[k]);
        for (int32_t v : {t.x, t.y, t.background, t.left, t.top, t.width, t.height, t.depth, t.id}) b_.I32(v);
        b_.F32(t.xscale);
        b_.F32(t.yscale);
        b_.U32(t.colour);
      }
    }
    b_.EndChunk();
  }

  // CODE, then VARI and FUNC with the uses of each name chained in file order.
  void Code() {
    b_.BeginChunk("CODE");
    auto entries = List(g_.code.size());
    std::vector<uint32_t> starts;
    for (size_t i = 0; i < g_.code.size(); ++i) {
      const auto& c = g_.code[i];
      b_.Place(entries[i]);
      b_.StringRef(c.name);
      b_.U32(static_cast<uint32_t>(c.words.size() * 4));
      starts.push_back(b_.Pos());
      for (uint32_t w : c.words) b_.U32(w);
    }
    b_.EndChunk();
    References("VARI", starts, &gamedata::StoredCode::variableUses, true);
    References("FUNC", starts, &gamedata::StoredCode::functionUses, false);
    if (!g_.globalVariables.empty()) {
      b_.BeginChunk("GLOB");
      for (const std::string& name : g_.globalVariables) b_.StringRef(name);
      b_.EndChunk();
    }
  }

  using Uses = std::vector<std::pair<std::string, std::vector<uint32_t>>>;

  void References(const char (&id)[5], const std::vector<uint32_t>& starts, Uses gamedata::StoredCode::*uses,
                  bool variable) {
    std::vector<std::string> order;
    std::map<std::string, std::vector<uint32_t>> positions;
    for (size_t i = 0; i < g_.code.size(); ++i) {
      for (const auto& [name, offsets] : g_.code[i].*uses) {
        if (!positions.count(name)) order.push_back(name);
        for (uint32_t off : offsets) positions[name].push_back(starts[i] + off);
      }
    }
    if (order.empty()) return;
    auto& bytes = b_.Raw();
    auto word = [&bytes](uint32_t at) -> uint32_t {
      uint32_t w;
      std::memcpy(&w, bytes.data() + at, 4);
      return w;
    };
    auto setWord = [&bytes](uint32_t at, uint32_t w) { std::memcpy(bytes.data() + at, &w, 4); };
    b_.BeginChunk(id);
    for (const auto& name : order) {
      auto& list = positions[name];
      std::sort(list.begin(), list.end());
      for (size_t k = 0; k < list.size(); ++k) {
        const uint32_t operand = list[k] + 4;
        const uint32_t distance = k + 1 < list.size() ? list[k + 1] - list[k] : 0;
        if (variable) setWord(operand, (word(operand) & 0xE0000000u) | (distance & 0x1FFFFFFFu));
        else setWord(operand, distance);
      }
      b_.StringRef(name);
      b_.U32(static_cast<uint32_t>(list.size()));
      b_.U32(list.empty() ? 0 : list.front());
    }
    b_.EndChunk();
  }

  const GameDataWriter& g_;
  DataFileBuilder b_;
  std::vector<Label> entryLabels_;
};

}  // namespace

std::vector<uint8_t> gamedata::RawImage(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba) {
  if (uint64_t{width} * height * 4 != rgba.size()) throw std::invalid_argument("RAW image size does not match");
  std::vector<uint8_t> block = {'R', 'A', 'W', ' '};
  for (uint32_t v : {width, height, 0u}) {
    for (int i = 0; i < 4; ++i) block.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  block.insert(block.end(), rgba.begin(), rgba.end());
  return block;
}

uint32_t GameDataWriter::AddString(const std::string& text) {
  const auto it = std::find(strings_.begin(), strings_.end(), text);
  if (it != strings_.end()) return static_cast<uint32_t>(it - strings_.begin());
  strings_.push_back(text);
  return static_cast<uint32_t>(strings_.size() - 1);
}

std::vector<uint8_t> GameDataWriter::Build() const { return Encoder(*this, strings_).Run(); }

std::vector<uint8_t> GameDataWriter::BuildDebugFile() const {
  const bool any = std::any_of(code.begin(), code.end(), [](const gamedata::StoredCode& c) {
    return !c.source.empty() || !c.positions.empty();
  });
  if (!any) return {};
  DataFileBuilder b;
  std::vector<DataFileBuilder::Label> sources, infos;
  b.BeginChunk("SCPT");
  b.U32(static_cast<uint32_t>(code.size()));
  for (size_t i = 0; i < code.size(); ++i) {
    sources.push_back(b.NewLabel());
    b.Ref(sources.back());
  }
  for (size_t i = 0; i < code.size(); ++i) {
    b.Place(sources[i]);
    b.StringRef(code[i].source);
  }
  b.EndChunk();
  b.BeginChunk("DBGI");
  b.U32(static_cast<uint32_t>(code.size()));
  for (size_t i = 0; i < code.size(); ++i) {
    infos.push_back(b.NewLabel());
    b.Ref(infos.back());
  }
  for (size_t i = 0; i < code.size(); ++i) {
    b.Place(infos[i]);
    b.U32(static_cast<uint32_t>(code[i].positions.size()));
    for (const auto& [offset, position] : code[i].positions) {
      b.I32(offset);
      b.I32(position);
    }
  }
  b.EndChunk();
  b.StringTableChunk();
  return b.Finish();
}

namespace {

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

bool GameDataWriter::WriteFile(const std::string& path) const {
  if (!WriteWhole(path, Build())) return false;
  const std::string debugPath = DebugFile_PathFor(path);
  if (debugPath.empty()) return true;
  const std::vector<uint8_t> debug = BuildDebugFile();
  if (debug.empty()) {
    std::error_code ignored;
    std::filesystem::remove(debugPath, ignored);
    return true;
  }
  return WriteWhole(debugPath, debug);
}
