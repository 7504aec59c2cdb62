// The texture pages of the game file (TXTR) made into textures once the device exists, and the
// sprites and backgrounds of the file (SPRT, BGND) that draw from them.
#pragma once

// Reads every kept TXTR chunk: one texture per image block, in order; the page index of a
// texture-page entry names them. False when a block list is damaged (nothing is kept then).
bool GR_Texture_Pages_Load();
// The SPRT and BGND chunks of the loaded file into their tables; false for damaged data.
bool Graphics_LoadResourceChunks();
