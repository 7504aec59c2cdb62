#include "runner/pending_subsystems.h"

#include "platform/console.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "data/scripts.h"
#include "data/timelines.h"
#include "runner/main_loop.h"

namespace pending {

void SetEmbeddedImageTable() {}
void Crc32_BuildTable() {}
void Particle_Init() {}
void Sound_StartHook() {}
void HighScore_Clear() {}
void HighScore_Load() {}
void Particle_LoadShapeTextures() {}
void ScoreForm_Create() {}
void LoadForm_Create() {}
void ErrorForm_Create() {}
void Physics_InstallAssertHandler() {}
void VM_Breakpoint_Add(const std::string& codeName, int32_t line) {}
bool Sound_Quit() { return true; }
void DataFile_RemoveAll() {}
void Window_PostQuit() {}
bool Platform_Shutdown() { return true; }
void HighScore_Save() {}
void Compiler_Cleanup() {}
void Grid_DestroyAll() {}
void Particle_Shutdown() {}
void Font_Shutdown() {}
void Font_Default_Free() {}
void File_CloseAll() {}
void DebugFile_Free() {}
void Sound_FreeAll() {}
bool Window_Exists() { return false; }
void LoadForm_Free() {}
void Debugger_Shutdown() {}

}  // namespace pending
