// The texture pages of the game file (TXTR), each made into a texture the first time something
// is drawn from it: a large game starts without holding every page twice (in the file and on
// the device), and pages no room draws from never take device memory.
#pragma once

#include <cstdint>

#include "platform/bitmap32.h"

struct TPageRecord;

// Reads every kept TXTR chunk: one page per image block, in order; the page index of a
// texture-page entry names them. False when a block list is damaged (nothing is kept then).
bool GR_Texture_Pages_Load();

// The page index the page table holds for a page whose texture is not made yet.
inline constexpr int32_t kTexturePageNotMade = -2;
// Makes page `page`'s texture from its block (once; the block's memory is then handed back):
// the texture id, or -1 when the block cannot be made into one.
int32_t GR_Texture_Page_Make(int32_t page);

// What an entry draws, read back from its page's texture as a frame of width x height: the
// page's rectangle, fitted to the entry's crop size, at the entry's offset; the rest of the
// frame transparent. Invalid when the page has no texture or cannot be read.
CBitmap32 GR_TPE_Read_Frame(const TPageRecord& entry, int32_t width, int32_t height);
