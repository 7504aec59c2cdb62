// The texture pages of the game file (TXTR), each made into a texture the first time something
// is drawn from it: a large game starts without holding every page twice (in the file and on
// the device), and pages no room draws from never take device memory.
#pragma once

#include <cstdint>

// Reads every kept TXTR chunk: one page per image block, in order; the page index of a
// texture-page entry names them. False when a block list is damaged (nothing is kept then).
bool GR_Texture_Pages_Load();

// The page index the page table holds for a page whose texture is not made yet.
inline constexpr int32_t kTexturePageNotMade = -2;
// Makes page `page`'s texture from its block (once; the block's memory is then handed back):
// the texture id, or -1 when the block cannot be made into one.
int32_t GR_Texture_Page_Make(int32_t page);
