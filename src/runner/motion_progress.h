// Whether a move got an instance anywhere. A coordinate that is not a number stays one
// whatever is added to it, so NaN counts as the same place as NaN: a loop that ends when a
// step changes nothing ends for it too.
#pragma once

#include <cmath>

inline bool Motion_SameCoordinate(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

inline bool Motion_SamePlace(float x1, float y1, float x2, float y2) {
  return Motion_SameCoordinate(x1, x2) && Motion_SameCoordinate(y1, y2);
}
