// The display options the next device Reset applies.
#include "runner/display.h"

#include "graphics/device.h"

void Display_SetAntialias(int level) {
  const bool multisample = level == 2 || level == 4 || level == 8 || level == 16;
  Graphics_SetMultisample(multisample ? level : 0);
  Graphics_SetSwapEffect(multisample ? 1 : 3);
}

void Display_SetVSync(bool on) { Graphics_SetVSync(on); }
