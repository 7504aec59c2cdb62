#include "functions/registry.h"

#include "functions/game_functions.h"
#include "functions/graphics_functions.h"
#include "functions/misc_functions.h"
#include "functions/number_functions.h"
#include "functions/os_functions.h"
#include "functions/path_timeline_functions.h"

// Each family's registration routine is called here, in start-up order.
void Functions_RegisterAll() {
  InitGameFunctions();
  InitMathFunctions();
  InitGraphicsFunctions();
  InitMiscFunctions();
  InitPathAndTimeLineFunctions();
  InitPlatformFunctions();
}
