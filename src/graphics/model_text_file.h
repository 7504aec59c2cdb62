// The model text file: the format number 100, the record count, then one line per record of
// its kind and its ten slots, each printed " %10.4f". Lines end with CR LF.
//
// Slots that hold an integer (colours, the closed flag, steps) are written as that integer's
// value, so they come back exactly; files written with those slots as 0.0000 load too.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One drawing request of a model: its kind and ten 32-bit slots, each a float's bits or, in
// the integer slots of its kind, an integer's bits.
struct GR_3D_Model_Record {
  int32_t kind = 0;
  std::array<uint32_t, 10> slots{};

  float Float(size_t slot) const;
  int32_t Integer(size_t slot) const;
  void SetFloat(size_t slot, float value);
  void SetInteger(size_t slot, int32_t value);
};

// Whether the slot of a record of this kind holds an integer.
bool ModelRecord_IsIntegerSlot(int32_t kind, size_t slot);

inline constexpr int kModelFileFormat = 100;

std::string ModelText_Write(std::span<const GR_3D_Model_Record> records);
// The records of a model file; absent when the file is refused: no data, a first line other
// than exactly "100", fewer record lines than the count, or a record line whose kind is not a
// whole number or with a field that is not a finite number. Slots a line leaves out are 0. A
// count of 0 or less gives no records.
std::optional<std::vector<GR_3D_Model_Record>> ModelText_Read(std::span<const uint8_t> data);
