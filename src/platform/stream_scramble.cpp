// The byte permutation with which parts of the game data and extension files are stored.
#include <algorithm>
#include <array>
#include <utility>

#include "platform/stream.h"

namespace {
std::array<uint8_t, 256> g_ScrambleTable;
std::array<uint8_t, 256> g_ScrambleInverse;
}  // namespace

void Scramble_BuildTables(int32_t seed) {
  int64_t q = seed / 250;
  int64_t s = seed % 250 + 6;
  if (q < 0) q += 256;
  if (s < 0) s += 256;
  for (int i = 0; i < 256; ++i) {
    g_ScrambleTable[i] = static_cast<uint8_t>(i);
    g_ScrambleInverse[i] = static_cast<uint8_t>(i);
  }
  // Entry 0 never moves (j + 1 is at least 1).
  int64_t k = q + s;
  for (int round = 0; round < 10000; ++round) {
    int64_t j = k % 254;
    std::swap(g_ScrambleTable[j + 1], g_ScrambleTable[j + 2]);
    k += s;
  }
  for (int v = 1; v < 256; ++v) g_ScrambleInverse[g_ScrambleTable[v]] = static_cast<uint8_t>(v);
}

const uint8_t* Scramble_Table() { return g_ScrambleTable.data(); }
const uint8_t* Scramble_Inverse() { return g_ScrambleInverse.data(); }

void CStream::Descramble(int32_t seed, int64_t start, int64_t length) {
  Scramble_BuildTables(seed);
  uint8_t* data = GetBuffer();
  int64_t size = GetSize();
  if (data == nullptr || start < 0 || start >= size) return;
  int64_t end = length < 1 ? size : std::min(size, start + length);
  for (int64_t i = start; i < end; ++i) data[i] = g_ScrambleInverse[data[i]];
}
