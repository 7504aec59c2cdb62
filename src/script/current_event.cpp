#include "script/current_event.h"

CurrentEvent Event_Current;
