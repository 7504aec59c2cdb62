#include "functions/registry.h"

#include "functions/number_functions.h"
#include "functions/path_timeline_functions.h"

// Each family's registration routine is called here, in start-up order.
void Functions_RegisterAll() {
  InitMathFunctions();
  InitPathAndTimeLineFunctions();
}
