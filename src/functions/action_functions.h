// The action built-ins (action_*): the drag-and-drop actions of games, stored as calls of
// these built-ins. InitActionFunctions registers all 131 in their fixed order.
#pragma once

void InitActionFunctions();
