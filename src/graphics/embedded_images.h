// The images compiled into the runner, available before any game data: a table of encoded
// images, each drawn by our own code the first time it is asked for.
// Slots 1 to 14 are the particle shapes (64 x 64), slot 15 the built-in font's sheet (256 x 128);
// slots 0 and 16 are empty in this build (size 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

struct HardwareTexture;

inline constexpr int kEmbeddedImageCount = 17;
inline constexpr int kEmbeddedDebugFont = 15;

// Readies the table (once); the first step of start-up. It draws no image.
void SetEmbeddedImageTable();
// The bytes of image i; empty for an index outside the table or an empty slot.
std::span<const uint8_t> EmbeddedImage_Data(int index);
size_t EmbeddedImage_Size(int index);
// The device texture of image i; null when the slot is empty or cannot be decoded.
std::unique_ptr<HardwareTexture> LoadTextureFromEmbedded(int index);
