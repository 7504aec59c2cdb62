#include "data/chunk_container.h"

bool Container_HasMagic(const GameDataReader& reader) {
  if (!reader.Contains(0, 4)) return false;
  const uint32_t magic = reader.U32(0);
  return magic == ChunkId("FORM") || magic == ChunkId("MROF");
}

std::vector<ChunkRecord> Container_Chunks(const GameDataReader& reader) {
  const uint64_t size = reader.Size();
  if (size <= 8) throw GameDataError("the file is too short to hold a chunk");
  if (reader.U32(4) != size - 8) throw GameDataError("the size word does not match the file size");
  std::vector<ChunkRecord> chunks;
  uint64_t offset = 8;
  do {
    if (!reader.Contains(offset, 8)) throw GameDataError("a chunk header runs past the end of the file");
    ChunkRecord chunk;
    chunk.id = reader.U32(offset);
    const uint32_t length = reader.U32(offset + 4);
    offset += 8;
    if (!reader.Contains(offset, length)) throw GameDataError("a chunk body runs past the end of the file");
    chunk.body = {static_cast<uint32_t>(offset), length};
    chunks.push_back(chunk);
    offset += length;
  } while (offset < size);
  return chunks;
}
