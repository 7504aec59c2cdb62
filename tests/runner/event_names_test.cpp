#include <gtest/gtest.h>

#include "runner/event_names.h"

namespace {

TEST(EventNames, ShortAndFullNames) {
  struct Case {
    int32_t type, number;
    const char* shortName;
    const char* fullName;
  };
  const Case cases[] = {
      {0, 0, "Create", "Create Event"},
      {1, 0, "Destroy", "Destroy Event"},
      {2, 3, "Alarm 3", "Alarm Event for alarm 3"},
      {3, 0, "Step", " Step Event0"},
      {3, 1, "BeginStep", " Step Event1"},
      {3, 2, "EndStep", " Step Event2"},
      {4, 7, "<undefined>", " Step Event<undefined>"},
      {5, 112, "F1", "Keyboard Event for F1 Key"},
      {5, 0, "<no key>", "Keyboard Event for <no key> Key"},
      {5, 98, "Keypad-2", "Keyboard Event for Keypad-2 Key"},
      {5, 200, "<unknown>", "Keyboard Event for <unknown> Key"},
      {9, 65, "press A-key", "Key Press Event for A-key Key"},
      {10, 48, "release 0-key", "Key Release Event for 0-key Key"},
      {6, 24, "Joystick 1 Button 4", "Mouse Event for Joystick 1 Button 4"},
      {6, 43, "Joystick 2 Button 8", "Mouse Event for Joystick 2 Button 8"},
      {6, 12, "<unknown>", "Mouse Event for <unknown>"},
      {6, 61, "Mouse Wheel Down", "Mouse Event for Mouse Wheel Down"},
      {7, 4, "Room Start", "Other Event: Room Start"},
      {7, 25, "User Defined 15", "Other Event: User Defined 15"},
      {7, 47, "Outside View 7", "Other Event: Outside View 7"},
      {7, 50, "Boundary View 0", "Other Event: Boundary View 0"},
      {7, 60, "Image Loaded", "Web Event: Image Loaded"},
      {7, 62, "<unknown>", "Web Event: <unknown>"},
      {8, 0, "Draw", "Draw Event"},
      {11, 0, "<Unknown Event>", "<Unknown Event>"},
      {-1, 0, "<Unknown Event>", "<Unknown Event>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Event_GetShortName(c.type, c.number), c.shortName) << c.type << "," << c.number;
    EXPECT_EQ(Event_GetFullName(c.type, c.number), c.fullName) << c.type << "," << c.number;
  }
}

}  // namespace
