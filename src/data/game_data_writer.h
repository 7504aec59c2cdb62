// Writing game data files: the model of a game (header, options, strings, scripts, objects
// with events, time lines, rooms with instances, stored bytecode with its variable and function
// references, and any other chunk as raw bytes) and its encoding in the format the loader
// reads. Used by the tests and by the packer.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Appends little-endian fields to a growing file image, with labels for forward references
// (u32 file offsets patched when the image is finished).
class DataFileBuilder {
 public:
  using Label = uint32_t;

  uint32_t Pos() const { return static_cast<uint32_t>(bytes_.size()); }
  void U32(uint32_t v);
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F32(float v);
  void Bytes(const void* data, size_t size);

  Label NewLabel();
  void Place(Label label);
  // A u32 word that will hold the label's file offset.
  void Ref(Label label);
  // A u32 word that will hold the offset of the characters of an interned string.
  void StringRef(const std::string& text);
  // Index of a string in the string table (interned on first use).
  uint32_t StringIndex(const std::string& text);

  void BeginChunk(const char (&id)[5]);
  void EndChunk();
  // A STRG chunk holding every interned string, in index order.
  void StringTableChunk();

  // Patches every reference and the container's size word; the builder is spent.
  std::vector<uint8_t> Finish();

  std::vector<uint8_t>& Raw() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_ = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
  std::vector<int64_t> labels_;  // placed position, -1 while unplaced
  std::vector<std::pair<uint32_t, Label>> fixups_;
  std::vector<std::string> strings_;
  std::map<std::string, uint32_t> stringIndex_;
  std::vector<Label> stringLabels_;
  uint32_t chunkStart_ = 0;
};

namespace gamedata {

// Code attached to a script, event, room or instance: source text (text mode) or the index
// of a stored code entry (bytecode mode, used when the game has stored code).
struct CodeRef {
  std::string source;
  int32_t stored = -1;
};

struct Header {
  uint32_t flags = 1;           // bit 0 set: debug_mode is 0
  uint32_t dataVersion = 8;
  std::string name = "Game";
  std::string configName = "Default";
  uint32_t lastInstanceId = 100000;
  uint32_t lastTileId = 10000000;
  int32_t gameId = 0;
  uint64_t value1 = 0, value2 = 0;
  std::string gameName = "Game";
  int32_t windowWidth = 640, windowHeight = 480;
  uint32_t windowFlags = 0;
  std::vector<int32_t> roomOrder;  // empty: every room in index order
  const char* id = "GEN8";
};

struct Options {
  bool fullScreen = false, newAudio = false, showCursor = true;
  int32_t windowColour = 0xFFFFFF;
  bool changeDisplayMode = false;
  int32_t depthChoice = 0, resolutionChoice = 0, frequencyChoice = 0;
  bool altEnter = true, freezeWhenInactive = false, showProgressBar = true;
  int32_t splashEntry = -1;  // index into the texture-page entries; -1: none
  bool showErrors = false;  // tests run without dialogs
  bool abortOnErrors = false, unsetVariables = false, createEventFirst = false;
  std::vector<std::pair<std::string, std::string>> constants;
};

// A texture-page entry: where a frame lies on a texture page and where it sits in its frame.
struct TexturePageEntry {
  int16_t x = 0, y = 0, width = 0, height = 0;  // rectangle on the page
  int16_t xoffset = 0, yoffset = 0;             // position inside the full frame
  int16_t cropWidth = 0, cropHeight = 0;
  int16_t fullWidth = 0, fullHeight = 0;
  int16_t texture = 0;                          // index of the texture page (TXTR entry)
};

// A "RAW " image block: 32-bit pixels stored R, G, B, A, rows top-down.
std::vector<uint8_t> RawImage(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba);

struct Background {
  std::string name;
  bool transparent = false, smooth = false, preload = true;
  int32_t entry = -1;  // texture-page entry index; -1: none
};

struct Sprite {
  std::string name;
  int32_t width = 0, height = 0;
  int32_t bboxLeft = 0, bboxRight = 0, bboxBottom = 0, bboxTop = 0;
  bool transparent = false, smooth = false, preload = true;
  int32_t bboxMode = 0;  // 0 automatic, 1 full image, 2 manual
  bool precise = false;
  int32_t xorigin = 0, yorigin = 0;
  std::vector<int32_t> frames;  // texture-page entry indices
  // Collision masks: height rows of (width + 7) / 8 bytes each, the leftmost pixel in the top
  // bit, 1 = solid. None, one shared by every frame, or one per frame.
  std::vector<std::vector<uint8_t>> masks;
};

// A font resource: its glyphs lie on the page entry's rectangle.
struct FontGlyph {
  uint16_t code = 0;
  int16_t x = 0, y = 0, width = 0, height = 0, shift = 0, offset = 0;
};
struct Font {
  std::string name;
  std::string face = "Arial";
  int32_t size = 12;
  bool bold = false, italic = false;
  uint32_t firstWord = 32;  // bits 0-15 first character, 16-23 attribute A, 24-31 attribute B + 1
  int32_t last = 127;
  int32_t entry = -1;  // texture-page entry index; -1: none
  float xscale = 1, yscale = 1;
  std::vector<FontGlyph> glyphs;  // ascending codes
};

struct PathPoint {
  float x = 0, y = 0, speed = 100;
};

struct Path {
  std::string name;
  int32_t kind = 0;  // 0 straight, 1 smooth
  bool closed = false;
  int32_t precision = 4;
  std::vector<PathPoint> points;
};

struct Script {
  std::string name;
  CodeRef code;
};

struct Event {
  int32_t type = 0;    // 0 create .. 11
  int32_t number = 0;  // sub-event
  CodeRef code;
};

struct Object {
  std::string name;
  int32_t sprite = -1;
  bool visible = true, solid = false;
  int32_t depth = 0;
  bool persistent = false;
  int32_t parent = -1, mask = -1;
  // Physics block (data version 6 and later).
  bool physics = false, sensor = false;
  int32_t shape = 1;
  float density = 0.5f, restitution = 0.1f;
  int32_t group = 0;
  float linearDamping = 0.1f, angularDamping = 0.1f;
  std::vector<std::pair<float, float>> points;
  std::vector<Event> events;
};

struct Moment {
  int32_t step = 0;
  CodeRef code;
};

struct TimeLine {
  std::string name;
  std::vector<Moment> moments;  // strictly ascending steps
};

struct Instance {
  int32_t x = 0, y = 0, object = 0, id = 100001;
  CodeRef creationCode;
  float xscale = 1, yscale = 1;
  uint32_t colour = 0xFFFFFFFF;
  float rotation = 0;
};

struct Tile {
  int32_t x = 0, y = 0, background = 0, left = 0, top = 0, width = 0, height = 0, depth = 0;
  int32_t id = 10000001;
  float xscale = 1, yscale = 1;
  uint32_t colour = 0xFFFFFFFF;
};

struct Room {
  std::string name;
  std::string caption;
  int32_t width = 640, height = 480, speed = 30;
  bool persistent = false;
  uint32_t colour = 0xC0C0C0;
  bool showColour = true;
  CodeRef creationCode;
  bool enableViews = false;
  bool physicsWorld = false;
  float gravityX = 0, gravityY = 10, pixelsToMetres = 0.1f;
  std::vector<std::array<int32_t, 10>> backgrounds;  // visible, foreground, index, x, y, htiled, vtiled, hspeed, vspeed, stretch
  std::vector<std::array<int32_t, 14>> views;        // visible, xview .. vborder, hspeed, vspeed, object
  std::vector<Instance> instances;
  std::vector<Tile> tiles;
};

// One stored code entry: bytecode words, and where its variables and functions are used
// (byte offsets of the using instructions within this entry). The writer chains the uses of
// one name across all entries and writes VARI and FUNC. The source text and the table of
// {bytecode offset, source position} pairs go into the debug side file when any entry has them.
struct StoredCode {
  std::string name;
  std::vector<uint32_t> words;
  std::vector<std::pair<std::string, std::vector<uint32_t>>> variableUses;
  std::vector<std::pair<std::string, std::vector<uint32_t>>> functionUses;
  std::string source;
  std::vector<std::pair<int32_t, int32_t>> positions;
};

// A sound record (SOND) and the index of its WAVE image in the sample table (AUDO).
struct Sound {
  std::string name;
  int32_t kind = 0;  // 0 normal, 1 background music, 2 3D, 3 multimedia
  std::string extension = ".wav";
  std::string fileName;
  int32_t effects = 0;
  float volume = 1.0f, pan = 0.0f;
  bool preload = true;
  int32_t dataIndex = -1;
};

// Extension packages (EXTN): packages hold files, files hold functions.
struct ExtensionFunction {
  std::string name;
  int32_t id = 0;
  int32_t kind = 12;       // 12 cdecl, else stdcall
  int32_t resultType = 2;  // 1 string, 2 real
  std::string externalName;
  std::vector<int32_t> argTypes;  // 1 string, 2 real; the count is their number
};

struct ExtensionFile {
  std::string fileName;
  std::string finalFunction;
  std::string initFunction;
  int32_t kind = 1;  // 1 library, 2 script functions
  std::vector<ExtensionFunction> functions;
};

struct ExtensionPackage {
  std::string folderName;
  std::string name;
  std::vector<ExtensionFile> files;
};

struct RawChunk {
  std::string id;  // four characters
  std::vector<uint8_t> body;
};

}  // namespace gamedata

class GameDataWriter {
 public:
  gamedata::Header header;
  bool writeOptions = true;
  gamedata::Options options;
  std::vector<gamedata::Sound> sounds;             // SOND, written after OPTN when not empty
  std::vector<std::vector<uint8_t>> samples;        // AUDO: one WAVE file image per entry
  std::vector<gamedata::ExtensionPackage> extensions;  // EXTN is written when not empty
  std::vector<gamedata::Sprite> sprites;
  std::vector<gamedata::Background> backgrounds;
  std::vector<gamedata::Path> paths;
  std::vector<gamedata::Font> fonts;
  std::vector<uint16_t> fontCodePage;  // the FONT chunk's 256 codes; empty: code i is i
  std::vector<gamedata::Script> scripts;
  std::vector<gamedata::TimeLine> timeLines;
  std::vector<gamedata::Object> objects;
  std::vector<gamedata::Room> rooms;
  std::vector<gamedata::TexturePageEntry> texturePageEntries;
  std::vector<std::vector<uint8_t>> textures;  // image blocks: RawImage or an encoded image file
  std::vector<gamedata::StoredCode> code;      // non-empty: the game runs stored bytecode
  std::vector<std::string> globalVariables;    // GLOB: names the stored code declared globalvar
  std::vector<gamedata::RawChunk> rawChunks;   // written after TXTR, before CODE, in order

  // Puts a text into the string table; the index is what a `.s` operand holds.
  uint32_t AddString(const std::string& text);

  std::vector<uint8_t> Build() const;
  // The debug side file of the stored code (STRG, DBGI, SCPT); empty when no stored entry has
  // a source text or positions.
  std::vector<uint8_t> BuildDebugFile() const;
  // Writes the game file, and beside it the debug side file (".qkdebug" in place of the
  // file's extension) when there is one; a side file left there by an earlier write goes.
  bool WriteFile(const std::string& path) const;

 private:
  std::vector<std::string> strings_;
};
