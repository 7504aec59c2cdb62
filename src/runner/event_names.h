// The names of events: short names go into code names ("Object.obj.Create.0"), full names
// into runtime-error texts ("Alarm Event for alarm 3").
#pragma once

#include <cstdint>
#include <string>

// Event types (the number is the sub-event within the type).
namespace EventType {
inline constexpr int32_t Create = 0;
inline constexpr int32_t Destroy = 1;
inline constexpr int32_t Alarm = 2;
inline constexpr int32_t Step = 3;
inline constexpr int32_t Collision = 4;  // the number is the other object's index
inline constexpr int32_t Keyboard = 5;
inline constexpr int32_t Mouse = 6;
inline constexpr int32_t Other = 7;
inline constexpr int32_t Draw = 8;
inline constexpr int32_t KeyPress = 9;
inline constexpr int32_t KeyRelease = 10;
inline constexpr int32_t Count = 12;  // slots per object: types 0 to 11
}  // namespace EventType

namespace StepEvent {
inline constexpr int32_t Normal = 0;
inline constexpr int32_t Begin = 1;
inline constexpr int32_t End = 2;
}  // namespace StepEvent

namespace OtherEvent {
inline constexpr int32_t OutsideRoom = 0;
inline constexpr int32_t Boundary = 1;
inline constexpr int32_t GameStart = 2;
inline constexpr int32_t GameEnd = 3;
inline constexpr int32_t RoomStart = 4;
inline constexpr int32_t RoomEnd = 5;
inline constexpr int32_t NoMoreLives = 6;
inline constexpr int32_t AnimationEnd = 7;
inline constexpr int32_t EndOfPath = 8;
inline constexpr int32_t NoMoreHealth = 9;
inline constexpr int32_t User0 = 10;  // user events 0 to 15: 10 to 25
inline constexpr int32_t CloseButton = 30;
inline constexpr int32_t OutsideView0 = 40;
inline constexpr int32_t BoundaryView0 = 50;
inline constexpr int32_t ImageLoaded = 60;
inline constexpr int32_t SoundLoaded = 61;
inline constexpr int32_t HttpResult = 62;
inline constexpr int32_t DialogResult = 63;
}  // namespace OtherEvent

// Draw event number raised after every view has been drawn (the interface layer).
inline constexpr int32_t kDrawEventGui = 64;

std::string Event_KeyName(int32_t key);
std::string Event_MouseName(int32_t number);
std::string Event_OtherName(int32_t number);
std::string Event_AsyncName(int32_t number);

std::string Event_GetShortName(int32_t type, int32_t number);
std::string Event_GetFullName(int32_t type, int32_t number);
