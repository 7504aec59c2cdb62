#include "runner/pending_subsystems.h"

#include "platform/console.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "data/scripts.h"
#include "data/timelines.h"
#include "runner/main_loop.h"

namespace pending {

void SetEmbeddedImageTable() {}
void Particle_Init() {}
void Sound_StartHook() {}
void HighScore_Clear() {}
void HighScore_Load() {}
void Particle_LoadShapeTextures() {}
void ScoreForm_Create() {}
void LoadForm_Create() {}
void ErrorForm_Create() {}
void Physics_InstallAssertHandler() {}
bool Sound_Quit() { return true; }
void DataFile_RemoveAll() {}
void Window_PostQuit() {}
void HighScore_Save() {}
void Compiler_Cleanup() {}
void Grid_DestroyAll() {}
void Particle_Shutdown() {}
void Font_Shutdown() {}
void Font_Default_Free() {}
void File_CloseAll() {}
void Sound_FreeAll() {}
bool Window_Exists() { return false; }
void LoadForm_Free() {}
void Debugger_Shutdown() {}

}  // namespace pending
