// Whether the process can show anything on a screen.
#pragma once

// False under SDL's offscreen or dummy video driver, or when neither an X11 nor a
// Wayland display is named in the environment.
bool Platform_HasDisplay();
