#include "data/tpage_record.h"

bool TPageRecord_Read(std::span<const uint8_t> image, uint32_t offset, TPageRecord& record) {
  record = TPageRecord{};
  if (offset == 0) return true;
  if (uint64_t{offset} + kTPageRecordSize > image.size()) return false;
  int16_t fields[11];
  for (int i = 0; i < 11; ++i) {
    const uint8_t* p = image.data() + offset + 2 * i;
    fields[i] = static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
  }
  record.offset = offset;
  record.x = fields[0];
  record.y = fields[1];
  record.width = fields[2];
  record.height = fields[3];
  record.xOffset = fields[4];
  record.yOffset = fields[5];
  record.cropWidth = fields[6];
  record.cropHeight = fields[7];
  record.fullWidth = fields[8];
  record.fullHeight = fields[9];
  record.texture = fields[10];
  return true;
}
