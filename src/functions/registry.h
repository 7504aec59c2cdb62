// Registration of every built-in function family, in the fixed order of start-up.
#pragma once

void Functions_RegisterAll();
