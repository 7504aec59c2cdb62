// The 32x32 sprite the drawing benchmarks draw (and bench/love/frame and bench/love/sprites
// draw beside them): one 64x64 texture page of a colour ramp with a checker of alpha.
#pragma once

#include <cstdint>
#include <vector>

#include "data/game_data_writer.h"

// Adds the page, its entry and the sprite "spr_ball" (origin at its centre) to the game.
inline void AddBenchSprite(GameDataWriter& game) {
  std::vector<uint8_t> page(64 * 64 * 4);
  for (size_t i = 0; i < page.size(); i += 4) {
    const size_t p = i / 4;
    page[i] = static_cast<uint8_t>(p * 7);
    page[i + 1] = static_cast<uint8_t>(p * 13);
    page[i + 2] = static_cast<uint8_t>(p * 3);
    page[i + 3] = ((p % 64) / 8 + (p / 64) / 8) % 2 == 0 ? 255 : 128;
  }
  game.textures.push_back(gamedata::RawImage(64, 64, page));
  game.texturePageEntries.push_back({0, 0, 32, 32, 0, 0, 32, 32, 32, 32, 0});
  gamedata::Sprite sprite;
  sprite.name = "spr_ball";
  sprite.width = sprite.height = 32;
  sprite.bboxRight = sprite.bboxBottom = 31;
  sprite.xorigin = sprite.yorigin = 16;
  sprite.frames = {0};
  game.sprites.push_back(sprite);
}
