#include "graphics/model_text_file.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/conversions.h"

float GR_3D_Model_Record::Float(size_t slot) const { return std::bit_cast<float>(slots[slot]); }
int32_t GR_3D_Model_Record::Integer(size_t slot) const { return std::bit_cast<int32_t>(slots[slot]); }
void GR_3D_Model_Record::SetFloat(size_t slot, float value) { slots[slot] = std::bit_cast<uint32_t>(value); }
void GR_3D_Model_Record::SetInteger(size_t slot, int32_t value) { slots[slot] = std::bit_cast<uint32_t>(value); }

bool ModelRecord_IsIntegerSlot(int32_t kind, size_t slot) {
  switch (kind) {
    case 3: return slot == 3;   // vertex with colour
    case 5: return slot == 5;   // vertex with texture and colour
    case 7: return slot == 6;   // vertex with normal and colour
    case 9: return slot == 8;   // vertex with normal, texture and colour
    case 11:                    // cylinder
    case 12: return slot == 8 || slot == 9;  // cone: closed, steps
    case 13: return slot == 8;  // ellipsoid: steps
    default: return false;
  }
}

namespace {

void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

// The next line: any run of CR, LF and NUL is skipped, and the line runs up to the next of
// them or the end. Empty when the data is used up.
std::string_view ReadLine(std::span<const uint8_t> data, size_t& position) {
  auto isBreak = [](uint8_t c) { return c == '\r' || c == '\n' || c == '\0'; };
  while (position < data.size() && isBreak(data[position])) ++position;
  const size_t start = position;
  while (position < data.size() && !isBreak(data[position])) ++position;
  return {reinterpret_cast<const char*>(data.data()) + start, position - start};
}

// A count as atoi reads it: leading blanks, a sign, digits; the rest ignored. Saturates
// instead of overflowing.
int64_t ReadCount(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  int64_t value = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (line[i] - '0'), int64_t{1} << 40);
  }
  return negative ? -value : value;
}

// Splits the line at blanks and reads the kind and up to ten slots; slots the line leaves out
// stay 0 (other tools write only the numbers a kind uses). False unless the kind is a whole
// number and every slot given is a finite number. Fields after the tenth slot are ignored.
bool ParseRecord(std::string_view line, GR_3D_Model_Record& record) {
  std::string text(line);
  const char* cursor = text.c_str();
  auto nextField = [&](std::string& field) {
    while (*cursor == ' ' || *cursor == '\t') ++cursor;
    const char* start = cursor;
    while (*cursor != '\0' && *cursor != ' ' && *cursor != '\t') ++cursor;
    field.assign(start, cursor);
    return !field.empty();
  };
  std::string field;
  if (!nextField(field)) return false;
  char* end = nullptr;
  errno = 0;
  const long kind = std::strtol(field.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || kind < INT32_MIN || kind > INT32_MAX) return false;
  record.kind = static_cast<int32_t>(kind);
  for (size_t slot = 0; slot < record.slots.size(); ++slot) {
    if (!nextField(field)) return true;
    const double value = std::strtod(field.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return false;
    if (ModelRecord_IsIntegerSlot(record.kind, slot)) {
      const int32_t whole = Conv_TruncToInt32(value);
      if (whole == kIntegerIndefinite && value != static_cast<double>(kIntegerIndefinite)) return false;
      record.SetInteger(slot, whole);
    } else {
      const float narrowed = static_cast<float>(value);
      if (!std::isfinite(narrowed)) return false;
      record.SetFloat(slot, narrowed);
    }
  }
  return true;
}

}  // namespace

std::string ModelText_Write(std::span<const GR_3D_Model_Record> records) {
  std::string out;
  AppendLine(out, std::to_string(kModelFileFormat));
  AppendLine(out, std::to_string(records.size()));
  char field[64];
  for (const GR_3D_Model_Record& record : records) {
    std::string line = std::to_string(record.kind);
    for (size_t slot = 0; slot < record.slots.size(); ++slot) {
      const double value = ModelRecord_IsIntegerSlot(record.kind, slot) ? static_cast<double>(record.Integer(slot))
                                                                        : static_cast<double>(record.Float(slot));
      std::snprintf(field, sizeof field, " %10.4f", value);
      line += field;
    }
    AppendLine(out, line);
  }
  return out;
}

std::optional<std::vector<GR_3D_Model_Record>> ModelText_Read(std::span<const uint8_t> data) {
  if (data.empty()) return std::nullopt;
  size_t position = 0;
  if (ReadLine(data, position) != "100") return std::nullopt;
  const int64_t count = ReadCount(ReadLine(data, position));
  std::vector<GR_3D_Model_Record> records;
  if (count <= 0) return records;
  // Every record takes a line of its own: a count beyond what the data can hold is refused at
  // once, and the records grow only with the lines actually read.
  if (static_cast<uint64_t>(count) > data.size() - position) return std::nullopt;
  for (int64_t i = 0; i < count; ++i) {
    const std::string_view line = ReadLine(data, position);
    GR_3D_Model_Record record;
    if (line.empty() || !ParseRecord(line, record)) return std::nullopt;
    records.push_back(record);
  }
  return records;
}
