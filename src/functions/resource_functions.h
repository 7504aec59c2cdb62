// The resource family of built-ins: sprites, backgrounds, sounds, fonts, paths, scripts, time
// lines, objects and rooms — inspecting them, making, changing, copying, saving and deleting
// them while the game runs. InitResourceFunctions registers the whole family in its fixed order;
// the parts live in their own files and register through the routines below.
#pragma once

void InitResourceFunctions();

// sprite_* and background_* (sprite_background_functions.cpp). A format-800 game gets the
// layouts of that format, an older one the earlier layouts and the *_alpha built-ins.
void RegisterSpriteAndBackgroundFunctions(bool format800);
// sound_* resource rows, font_* and script_* (resource_functions.cpp).
void RegisterSoundResourceFunctions();
void RegisterFontFunctions();
void RegisterScriptFunctions();
// object_* and room_* (object_room_functions.cpp).
void RegisterObjectAndRoomFunctions();
