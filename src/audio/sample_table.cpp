#include "audio/sample_table.h"

std::vector<SampleEntry> SampleTable_Read(const GameDataReader& reader, ChunkSpan body) {
  const std::vector<uint32_t> offsets = reader.CountedList(body.offset);
  std::vector<SampleEntry> table;
  table.reserve(offsets.size());
  for (uint32_t offset : offsets) {
    if (offset == 0) {
      table.emplace_back();
      continue;
    }
    if (offset < body.offset || uint64_t{offset} + 4 > body.End()) throw GameDataError("a sample entry lies outside its chunk");
    const uint32_t size = reader.U32(offset);
    if (uint64_t{offset} + 4 + size > body.End()) throw GameDataError("a sample runs past its chunk");
    table.emplace_back(reader.Bytes(uint64_t{offset} + 4, size));
  }
  return table;
}
