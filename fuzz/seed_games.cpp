#include "seed_games.h"

#include "data/game_data_writer.h"

namespace {

constexpr uint32_t Instruction(uint32_t opcode, uint32_t type, uint32_t low = 0) {
  return opcode << 24 | type << 16 | (low & 0xFFFF);
}

GameDataWriter TextGame() {
  GameDataWriter g;
  g.header.name = "Seed";
  g.options.constants = {{"VersionMajor", "1"}, {"VersionMinor", "2"}, {"LIVES", "3"}};
  g.scripts.push_back({"scr_hello", {"show_message(\"hello\");"}});
  gamedata::Object o;
  o.name = "obj_a";
  o.events = {{0, 0, {"x = 1;"}}, {3, 0, {"x += 1;"}}, {7, 10, {"y = 2;"}}};
  o.points = {{0, 0}, {8, 0}, {8, 8}};
  g.objects.push_back(o);
  g.timeLines.push_back({"tl_a", {{0, {"a = 1;"}}, {5, {"a = 2;"}}}});
  gamedata::Room r;
  r.name = "rm_a";
  r.caption = "Room";
  r.instances = {{16, 16, 0, 100001, {""}}, {32, 16, 0, 100002, {"b = 1;"}}};
  r.backgrounds.push_back({1, 0, 0, 0, 0, 1, 1, 0, 0, 0});
  r.views.push_back({1, 0, 0, 320, 240, 0, 0, 320, 240, 32, 32, -1, -1, 0});
  r.tiles.push_back({});
  g.rooms.push_back(r);
  g.texturePageEntries = {{0, 0, 2, 2, 0, 0, 2, 2, 2, 2, 0}};
  g.textures = {gamedata::RawImage(2, 2, std::vector<uint8_t>(16, 200))};
  gamedata::Sprite s;
  s.name = "spr_a";
  s.width = s.height = 2;
  s.frames = {0};
  s.masks = {{0xC0, 0x40}};
  g.sprites.push_back(s);
  g.backgrounds.push_back({"bg_a", false, false, true, 0});
  g.paths.push_back({"path_a", 1, true, 4, {{0, 0, 100}, {16, 16, 100}}});
  gamedata::Font font;
  font.name = "fnt_a";
  font.entry = 0;
  font.glyphs = {{'A', 0, 0, 1, 2, 2, 0}, {'B', 1, 0, 1, 2, 2, 1}};
  g.fonts.push_back(font);
  g.options.splashEntry = 0;
  return g;
}

GameDataWriter BytecodeGame() {
  GameDataWriter g;
  const uint32_t hello = g.AddString("hello");
  gamedata::StoredCode c;
  c.name = "gml_Object_obj_a_Create_0";
  c.words = {
      Instruction(0xC0, 0x05, 0xFFFF), 0xA0000000,  // push.v self.x
      Instruction(0x41, 0x55, 0xFFFF), 0xA0000000,  // pop.v.v self.y
      Instruction(0xC0, 0x06), hello,                // push.s "hello"
      Instruction(0xDA, 0x02, 1), 0,                 // call.i show_message(1 argument)
      Instruction(0x9F, 0x05),                       // popz.v
      Instruction(0xC0, 0x00), 0, 0x3FF00000,        // push.d 1.0
      Instruction(0x41, 0x05, 0xFFFF), 0xA0000000,  // pop.v.d self.x
  };
  c.variableUses = {{"x", {0, 40}}, {"y", {8}}};
  c.functionUses = {{"show_message", {24}}};
  g.code.push_back(c);
  gamedata::StoredCode d;
  d.name = "gml_Script_scr_b";
  d.words = {Instruction(0xDA, 0x02, 0), 0, Instruction(0xDA, 0x02, 0), 0, Instruction(0x9F, 0x05)};
  d.functionUses = {{"instance_create", {0, 8}}};
  d.variableUses = {{"x", {}}};
  g.code.push_back(d);
  g.scripts.push_back({"scr_b", {"", 1}});
  gamedata::Object o;
  o.name = "obj_a";
  o.events = {{0, 0, {"", 0}}};
  g.objects.push_back(o);
  gamedata::Room r;
  r.name = "rm_a";
  r.creationCode.stored = -1;
  r.instances = {{0, 0, 0, 100001, {"", -1}}};
  g.rooms.push_back(r);
  return g;
}

// A debug side file: STRG, DBGI and SCPT, written by hand with the builder.
std::vector<uint8_t> DebugFile() {
  DataFileBuilder b;
  b.BeginChunk("DBGI");
  const auto entry = b.NewLabel();
  b.U32(1);
  b.Ref(entry);
  b.Place(entry);
  b.U32(2);
  for (int32_t v : {0, 0, 8, 4}) b.I32(v);
  b.EndChunk();
  b.BeginChunk("SCPT");
  const auto source = b.NewLabel();
  b.U32(1);
  b.Ref(source);
  b.Place(source);
  b.StringRef("x = y;");
  b.EndChunk();
  b.StringTableChunk();
  return b.Finish();
}

}  // namespace

std::vector<std::pair<std::string, std::vector<uint8_t>>> SeedGames() {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds;
  seeds.emplace_back("text_game.win", TextGame().Build());
  seeds.emplace_back("bytecode_game.win", BytecodeGame().Build());
  GameDataWriter bare;
  bare.writeOptions = false;
  seeds.emplace_back("bare.win", bare.Build());
  GameDataWriter old = TextGame();
  old.header.id = "GEN7";
  old.rawChunks.push_back({"DAFL", {0, 0, 0, 0}});
  old.rawChunks.push_back({"HELP", {1, 2, 3, 4}});
  seeds.emplace_back("old_header.win", old.Build());
  seeds.emplace_back("debug.qkdebug", DebugFile());
  return seeds;
}
