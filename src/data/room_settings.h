// What a room holds besides its instances' code and tiles: its size, speed, caption, colour,
// eight background layers, eight views, and its two instance lists. The room model builds on
// these; the built-in variables read and write them in the current room.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "runner/instance_list.h"

inline constexpr int32_t kRoomBackgroundCount = 8;
inline constexpr int32_t kRoomViewCount = 8;

struct RoomBackground {
  bool visible = false;
  bool foreground = false;
  int32_t index = -1;  // the background resource shown
  float x = 0.0f;
  float y = 0.0f;
  bool htiled = true;
  bool vtiled = true;
  float hspeed = 0.0f;
  float vspeed = 0.0f;
  float xscale = 1.0f;
  float yscale = 1.0f;
  uint32_t blend = 0xFFFFFF;
  float alpha = 1.0f;
};

struct RoomView {
  bool visible = false;
  int32_t xview = 0, yview = 0, wview = 640, hview = 480;
  int32_t xport = 0, yport = 0, wport = 640, hport = 480;
  float angle = 0.0f;  // degrees
  int32_t hborder = 32, vborder = 32;
  int32_t hspeed = -1, vspeed = -1;  // -1: unlimited
  int32_t object = -1;               // an object index, or an instance id from 100000
  int32_t surface = -1;              // -1: the screen
};

struct RoomSettings {
  std::string caption;
  int32_t speed = 30;
  int32_t width = 640;
  int32_t height = 480;
  bool persistent = false;
  uint32_t colour = 0xC0C0C0;  // 0x00BBGGRR
  bool showColour = true;
  std::array<RoomBackground, kRoomBackgroundCount> backgrounds;
  bool enableViews = false;
  std::array<RoomView, kRoomViewCount> views;
  InstanceList active;       // live, active instances by depth
  InstanceList deactivated;  // live, deactivated instances

  void SetCaption(std::string_view text) { caption.assign(text); }
};
