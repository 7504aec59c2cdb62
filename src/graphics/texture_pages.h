// The texture pages of the game file (TXTR) made into textures once the device exists.
#pragma once

// Reads every kept TXTR chunk: one texture per image block, in order; the page index of a
// texture-page entry names them. False when a block list is damaged (nothing is kept then).
bool GR_Texture_Pages_Load();
