// The room of the benchmarks played beside Love2D: 640x480, black, at a room speed no frame can
// reach (so that a frame costs only its own work), holding one instance of the first object,
// which keeps time.
#pragma once

#include <string>

#include "data/game_data_writer.h"

inline constexpr int kTimedRoomWidth = 640, kTimedRoomHeight = 480;

// Sets the game's window to the room's size and adds the room.
inline void AddTimedRoom(GameDataWriter& game, const std::string& name) {
  game.header.windowWidth = kTimedRoomWidth;
  game.header.windowHeight = kTimedRoomHeight;
  game.header.lastInstanceId = 100001;
  gamedata::Room room;
  room.name = name;
  room.width = kTimedRoomWidth;
  room.height = kTimedRoomHeight;
  room.speed = 1000000;
  room.colour = 0x000000;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
}
