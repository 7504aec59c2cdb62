#include "functions/registry.h"

#include "functions/action_functions.h"
#include "functions/d3d_functions.h"
#include "functions/d3d_model_functions.h"
#include "functions/dialog_functions.h"
#include "functions/ds_functions.h"
#include "functions/file_functions.h"
#include "functions/game_functions.h"
#include "functions/graphics_functions.h"
#include "functions/input_functions.h"
#include "functions/misc_functions.h"
#include "functions/multiplayer_functions.h"
#include "functions/number_functions.h"
#include "functions/os_functions.h"
#include "functions/resource_functions.h"
#include "functions/particle_functions.h"
#include "functions/physics_functions.h"
#include "functions/sound_functions.h"

// Each family's registration routine is called here, in start-up order.
void Functions_RegisterAll() {
  InitGameFunctions();
  InitMathFunctions();
  InitGraphicsFunctions();
  InitD3DFunctions();
  InitD3DModelFunctions();
  InitParticleFunctions();
  InitActionFunctions();
  InitMiscFunctions();
  InitResourceFunctions();
  InitDataStructureFunctions();
  InitFileFunctions();
  InitSoundFunctions();
  InitDPlayFunctions();
  InitPhysicsFunctions();
  InitPlatformFunctions();
  InitDialogFunctions();
  InitInputFunctions();
}
