// The tile built-ins: adding, finding, reading, changing and deleting the tiles of the
// current room one by one (by id) and by layer (by depth).
#pragma once

// Registers the 33 tile built-ins in their fixed order (called from the graphics registration).
void RegisterTileFunctions();
