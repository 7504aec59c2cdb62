#include "functions/registry.h"

// Each family's registration routine is called here, in start-up order.
void Functions_RegisterAll() {}
