#include "runner/event_names.h"

#include "data/objects.h"

namespace {

const char* FixedKeyName(int32_t key) {
  switch (key) {
    case 0: return "<no key>";
    case 1: return "<any key>";
    case 8: return "<Backspace>";
    case 9: return "<Tab>";
    case 13: return "<Enter>";
    case 16: return "<Shift>";
    case 17: return "<Ctrl>";
    case 18: return "<Alt>";
    case 27: return "<Escape>";
    case 32: return "<Space>";
    case 33: return "<Page Up>";
    case 34: return "<Page Down>";
    case 35: return "<End>";
    case 36: return "<Home>";
    case 37: return "<Left>";
    case 38: return "<Up>";
    case 39: return "<Right>";
    case 40: return "<Down>";
    case 45: return "<Insert>";
    case 46: return "<Delete>";
    case 106: return "Keypad *";
    case 107: return "Keypad +";
    case 109: return "Keypad -";
    case 110: return "Keypad .";
    case 111: return "Keypad /";
    default: return nullptr;
  }
}

const char* FixedMouseName(int32_t number) {
  switch (number) {
    case 0: return "Left Button";
    case 1: return "Right Button";
    case 2: return "Middle Button";
    case 3: return "No Button";
    case 4: return "Left Pressed";
    case 5: return "Right Pressed";
    case 6: return "Middle Pressed";
    case 7: return "Left Released";
    case 8: return "Right Released";
    case 9: return "Middle Released";
    case 10: return "Mouse Enter";
    case 11: return "Mouse Leave";
    case 16: return "Joystick 1 Left";
    case 17: return "Joystick 1 Right";
    case 18: return "Joystick 1 Up";
    case 19: return "Joystick 1 Down";
    case 31: return "Joystick 2 Left";
    case 32: return "Joystick 2 Right";
    case 33: return "Joystick 2 Up";
    case 34: return "Joystick 2 Down";
    case 50: return "Glob Left Button";
    case 51: return "Glob Right Button";
    case 52: return "Glob Middle Button";
    case 53: return "Glob Left Pressed";
    case 54: return "Glob Right Pressed";
    case 55: return "Glob Middle Pressed";
    case 56: return "Glob Left Released";
    case 57: return "Glob Right Released";
    case 58: return "Glob Middle Released";
    case 60: return "Mouse Wheel Up";
    case 61: return "Mouse Wheel Down";
    default: return nullptr;
  }
}

const char* FixedOtherName(int32_t number) {
  switch (number) {
    case 0: return "Outside Room";
    case 1: return "Intersect Boundary";
    case 2: return "Game Start";
    case 3: return "Game End";
    case 4: return "Room Start";
    case 5: return "Room End";
    case 6: return "No More Lives";
    case 7: return "Animation End";
    case 8: return "End Of Path";
    case 9: return "No More Health";
    case 30: return "Close Button";
    default: return nullptr;
  }
}

}  // namespace

std::string Event_KeyName(int32_t key) {
  if (const char* name = FixedKeyName(key)) return name;
  if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90)) {
    return std::string(1, static_cast<char>(key)) + "-key";
  }
  if (key >= 96 && key <= 105) return "Keypad-" + std::to_string(key - 96);
  if (key >= 112 && key <= 123) return "F" + std::to_string(key - 111);
  return "<unknown>";
}

std::string Event_MouseName(int32_t number) {
  if (const char* name = FixedMouseName(number)) return name;
  if (number >= 21 && number <= 28) return "Joystick 1 Button " + std::to_string(number - 20);
  if (number >= 36 && number <= 43) return "Joystick 2 Button " + std::to_string(number - 35);
  return "<unknown>";
}

std::string Event_OtherName(int32_t number) {
  if (const char* name = FixedOtherName(number)) return name;
  if (number >= 10 && number <= 25) return "User Defined " + std::to_string(number - 10);
  if (number >= 40 && number <= 47) return "Outside View " + std::to_string(number - 40);
  if (number >= 50 && number <= 57) return "Boundary View " + std::to_string(number - 50);
  return "<unknown>";
}

std::string Event_AsyncName(int32_t number) {
  if (number == OtherEvent::ImageLoaded) return "Image Loaded";
  if (number == OtherEvent::SoundLoaded) return "Sound Loaded";
  return "<unknown>";
}

std::string Event_GetShortName(int32_t type, int32_t number) {
  switch (type) {
    case EventType::Create: return "Create";
    case EventType::Destroy: return "Destroy";
    case EventType::Alarm: return "Alarm " + std::to_string(number);
    case EventType::Step:
      return std::string(number == StepEvent::Begin ? "Begin"
                         : number == StepEvent::End ? "End"
                                                    : "") +
             "Step";
    case EventType::Collision: return Object_Name(number);
    case EventType::Keyboard: return Event_KeyName(number);
    case EventType::Mouse: return Event_MouseName(number);
    case EventType::Other:
      return number >= OtherEvent::ImageLoaded ? Event_AsyncName(number) : Event_OtherName(number);
    case EventType::Draw: return "Draw";
    case EventType::KeyPress: return "press " + Event_KeyName(number);
    case EventType::KeyRelease: return "release " + Event_KeyName(number);
    default: return "<Unknown Event>";
  }
}

std::string Event_GetFullName(int32_t type, int32_t number) {
  switch (type) {
    case EventType::Create: return "Create Event";
    case EventType::Destroy: return "Destroy Event";
    case EventType::Alarm: return "Alarm Event for alarm " + std::to_string(number);
    // Collision events are named as step events, as error texts have always read.
    case EventType::Step: return " Step Event" + std::to_string(number);
    case EventType::Collision: return " Step Event" + Object_Name(number);
    case EventType::Keyboard: return "Keyboard Event for " + Event_KeyName(number) + " Key";
    case EventType::Mouse: return "Mouse Event for " + Event_MouseName(number);
    case EventType::Other:
      if (number >= OtherEvent::ImageLoaded) return "Web Event: " + Event_AsyncName(number);
      return "Other Event: " + Event_OtherName(number);
    case EventType::Draw: return "Draw Event";
    case EventType::KeyPress: return "Key Press Event for " + Event_KeyName(number) + " Key";
    case EventType::KeyRelease: return "Key Release Event for " + Event_KeyName(number) + " Key";
    default: return "<Unknown Event>";
  }
}
