#include "runner/highscore.h"

#include <array>
#include <fstream>
#include <iterator>

#include "runner/game_locations.h"

namespace {

constexpr char kFileName[] = "hiscore.dat";
constexpr char kNobody[] = "<nobody>";

struct Entry {
  std::string name;
  int32_t score = 0;
};

std::array<Entry, kHighScorePlaces>& Table() {
  static std::array<Entry, kHighScorePlaces> table;
  return table;
}

// Set once the table has been looked for in the save area: a run that never loaded a game
// has no save area of its own and writes nothing.
bool g_Loaded = false;

bool ValidPlace(int place) { return place >= 1 && place <= kHighScorePlaces; }

void PutI32(std::vector<uint8_t>& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

// Each 0x0A becomes 0x0D 0x0A, as a text-mode write stores it.
std::vector<uint8_t> ToStored(const std::vector<uint8_t>& stream) {
  std::vector<uint8_t> stored;
  stored.reserve(stream.size() + stream.size() / 8);
  for (uint8_t byte : stream) {
    if (byte == 0x0A) stored.push_back(0x0D);
    stored.push_back(byte);
  }
  return stored;
}

// Each 0x0D 0x0A becomes 0x0A, as a text-mode read gives it.
std::vector<uint8_t> FromStored(const std::vector<uint8_t>& stored) {
  std::vector<uint8_t> stream;
  stream.reserve(stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == 0x0D && i + 1 < stored.size() && stored[i + 1] == 0x0A) continue;
    stream.push_back(stored[i]);
  }
  return stream;
}

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool I32(int32_t& value) {
    if (bytes_.size() - position_ < 4) return false;
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= uint32_t{bytes_[position_ + i]} << (8 * i);
    position_ += 4;
    value = static_cast<int32_t>(bits);
    return true;
  }
  bool Text(int32_t length, std::string& text) {
    if (length < 0 || static_cast<size_t>(length) > bytes_.size() - position_) return false;
    text.assign(reinterpret_cast<const char*>(bytes_.data() + position_), static_cast<size_t>(length));
    position_ += static_cast<size_t>(length);
    return true;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t position_ = 0;
};

std::string FilePath() {
  const std::string& folder = GetSaveDirectory();
  return folder.empty() ? std::string() : folder + kFileName;
}

}  // namespace

void HighScore_Clear() {
  for (int place = 1; place <= kHighScorePlaces; ++place) HighScore_Set(place, kNobody, 0);
}

void HighScore_Set(int place, const std::string& name, int32_t score) {
  if (!ValidPlace(place)) return;
  Table()[place - 1] = {name, score};
}

int32_t HighScore_GetValue(int place) { return ValidPlace(place) ? Table()[place - 1].score : 0; }

std::string HighScore_GetName(int place) { return ValidPlace(place) ? Table()[place - 1].name : std::string(); }

void HighScore_Add(const std::string& name, int32_t score) {
  auto& table = Table();
  int index = 0;
  while (index < kHighScorePlaces && table[index].score >= score) ++index;
  if (index == kHighScorePlaces) return;
  for (int k = kHighScorePlaces - 1; k > index; --k) table[k] = table[k - 1];
  table[index] = {name, score};
}

std::vector<uint8_t> HighScore_Encode() {
  std::vector<uint8_t> entries;
  for (const Entry& entry : Table()) {
    PutI32(entries, static_cast<int32_t>(entry.name.size()));
    entries.insert(entries.end(), entry.name.begin(), entry.name.end());
    PutI32(entries, entry.score);
  }
  const std::vector<uint8_t> storedEntries = ToStored(entries);
  // The stored length counts the length field as four bytes; when the field itself holds a
  // 0x0A byte its stored form is one byte longer (the reader never uses the field).
  std::vector<uint8_t> field;
  PutI32(field, static_cast<int32_t>(8 + storedEntries.size()));
  field = ToStored(field);
  std::vector<uint8_t> stored;
  stored.reserve(4 + field.size() + storedEntries.size());
  for (char c : {'H', 'I', 'S', 'C'}) stored.push_back(static_cast<uint8_t>(c));
  stored.insert(stored.end(), field.begin(), field.end());
  stored.insert(stored.end(), storedEntries.begin(), storedEntries.end());
  return stored;
}

void HighScore_Decode(const std::vector<uint8_t>& bytes) {
  const std::vector<uint8_t> stream = FromStored(bytes);
  if (stream.size() < 4 || stream[0] != 'H' || stream[1] != 'I' || stream[2] != 'S' || stream[3] != 'C') return;
  Reader reader(stream);
  int32_t ignored = 0;
  reader.I32(ignored);  // the magic
  reader.I32(ignored);  // the stored length
  auto& table = Table();
  bool whole = true;
  for (Entry& entry : table) {
    int32_t length = 0;
    std::string name;
    int32_t score = 0;
    // A place the file does not hold whole gets an empty name and keeps its score.
    if (whole) whole = reader.I32(length) && reader.Text(length, name) && reader.I32(score);
    entry.name = whole ? name : std::string();
    if (whole) entry.score = score;
  }
}

void HighScore_Load() {
  g_Loaded = true;
  const std::string path = FilePath();
  if (path.empty()) return;
  std::ifstream file(path, std::ios::binary);
  if (!file) return;
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  HighScore_Decode(bytes);
}

void HighScore_Save() {
  if (!g_Loaded) return;
  const std::string path = FilePath();
  if (path.empty()) return;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return;
  const std::vector<uint8_t> bytes = HighScore_Encode();
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

HighScoreDisplaySettings& HighScore_Display() {
  static HighScoreDisplaySettings settings;
  return settings;
}
