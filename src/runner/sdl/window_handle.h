// The main window's handle as games see it (window_handle): the SDL window id, 0 without a
// window.
#pragma once

#include <cstdint>

uint32_t Window_Handle();
