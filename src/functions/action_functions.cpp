#include "functions/action_functions.h"

#include "functions/action_helpers.h"
#include "script/function_table.h"

namespace {

// The actions kept for old games that do nothing.
void F_ActionNothing(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}

void Register(std::span<const ActionBuiltin> actions) {
  for (const ActionBuiltin& action : actions) Function_Add(action.name, action.implementation, action.argc);
}

constexpr ActionBuiltin kFirstActions[] = {{"action_path_old", F_ActionNothing, 3}};
constexpr ActionBuiltin kLastActions[] = {
    {"action_draw_font", F_ActionNothing, 1},      {"action_draw_font_old", F_ActionNothing, 6},
    {"action_fill_color", F_ActionNothing, 1},     {"action_line_color", F_ActionNothing, 1},
    {"action_highscore", F_ActionNothing, 0},
};

}  // namespace

void InitActionFunctions() {
  Register(kFirstActions);
  Register(Action_MotionBuiltins());
  Register(Action_GameBuiltins());
  Register(Action_ParticleBuiltins());
  Register(Action_DrawingBuiltins());
  Register(kLastActions);
}
