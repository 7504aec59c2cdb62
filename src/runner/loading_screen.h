// The loading screen drawn while the game is prepared: the options' splash entry centred in
// the window and, when the options ask for it, a progress bar over the bar rectangle.
#pragma once

#include "data/game_preparation.h"

// Draws one loading frame, presents it and begins the next frame.
void LoadingScreen_Present(const LoadForm& form);
// The end of loading: the input state is cleared (by the caller) and the window activated and
// shown.
void LoadingScreen_Finish();
