// Software decoders for block-compressed texture data the device cannot take directly: PVRTC
// (4 and 2 bits a pixel) and ETC1, expanded into 32-bit pixels 0xAARRGGBB (bytes B, G, R, A in
// memory, the device's own order). Nothing in the runner feeds them yet; they follow the
// published format descriptions.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Decodes PVRTC data of 4 bits a pixel (twoBit false, 4 x 4 blocks) or 2 bits a pixel (8 x 4
// blocks) of a power-of-two image. Blocks are 64-bit little-endian words (modulation word first,
// colour word second) in twiddled order. False, and out untouched, when the size is not a power
// of two or data is too short.
bool DecompressPVRTC(std::span<const uint8_t> data, bool twoBit, int32_t width, int32_t height,
                     std::vector<uint32_t>& out);

// Decodes ETC1 blocks (4 x 4 pixels, 8 big-endian bytes each, left to right then top to bottom)
// into opaque pixels. Sizes that are not multiples of 4 are decoded padded and cropped. False,
// and out untouched, for a size below 1 or too little data.
bool DecompressETC1(std::span<const uint8_t> data, int32_t width, int32_t height, std::vector<uint32_t>& out);

// 0 is not a power of two.
bool IsPowerOfTwo(uint32_t value);
// The index of block (x, y) of a blocksX x blocksY grid (both powers of two) in twiddled order:
// the bits of y and x interleaved (y in the lower bit) up to the smaller dimension, the rest of
// the longer coordinate above them.
uint32_t TwiddleIndex(uint32_t blocksX, uint32_t blocksY, uint32_t x, uint32_t y);
// The inverse: the block position of a twiddled index.
void UntwiddleIndex(uint32_t blocksX, uint32_t blocksY, uint32_t index, uint32_t& x, uint32_t& y);
// Bytes of mip level `level` (0 the full size) of a chain: each level halves width and height
// (at least 1), and the size is rounded up to whole blocks of at least the minimum block grid.
uint32_t MipLevelSize(int32_t width, int32_t height, int32_t level, int32_t blockWidth, int32_t blockHeight,
                      int32_t bytesPerBlock, int32_t minBlocks);
