#include "functions/achievement_queue.h"
#include "functions/file_functions.h"
#include "platform/console.h"
#include "platform/platform_services.h"
#include "platform/temp_directory.h"
#include "audio/sound_resources.h"
#include "data/background.h"
#include "data/debug_file.h"
#include "data/event_lists.h"
#include "data/rooms.h"
#include "data/sprite.h"
#include "graphics/device.h"
#include "graphics/fonts.h"
#include "graphics/graphics_3d_model.h"
#include "graphics/particles/particle_types.h"
#include "graphics/textured_quads.h"
#include "runner/room_start.h"
#include "data/objects.h"
#include "data/scripts.h"
#include "runner/events.h"
#include "runner/debug_window.h"
#include "runner/highscore.h"
#include "runner/instance.h"
#include "runner/motion_planning.h"
#include "runner/physics_world.h"
#include "runner/pending_subsystems.h"
#include "runner/startup.h"
#include "runner/window.h"
#include "script/constants.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/script_arguments.h"

void ShutdownSubsystems() {
  Achievement_SaveCache();
  Platform_Shutdown();
  HighScore_Save();
  Constant_FreeAll();
  Function_FreeAll();
  Code_Arguments_Free();
  pending::Compiler_Cleanup();
  pending::Grid_DestroyAll();
  MPGrid_FreeAll();
  Room_FreeAll();
  Instance_DeleteAll();
  Persistent_FreeAll();
  Physics_FreeAll();
  Object_FreeEventLists();
  Object_FreeAll();
  Particle_Shutdown();
  GR_3D_Model_FreeAll();
  Sprite_FreeAll();
  File_RemoveTempDirectory();
  Graphics_Shutdown();
  Background_FreeAll();
  GR_Texture_Free_All();
  Script_FreeAll();
  Variable_FreeAll();
  Font_Shutdown();
  Font_Default_Free();
  Library_FreeInitCode();
  Console_Shutdown();
  GR_D3D_Shutdown();
  MainWindow_Destroy();
  if (pending::Window_Exists()) pending::LoadForm_Free();
  Debugger_Shutdown();
}
