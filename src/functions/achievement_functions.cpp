#include "functions/achievement_functions.h"

#include <bit>

#include "functions/achievement_queue.h"
#include "functions/argument_helpers.h"
#include "script/builtin_function.h"
#include "script/function_table.h"

namespace {

// A name that is not a string, or a value that is not a real, is refused.
bool NameAndReal(int argc, const ScriptValue* args) {
  if (!Arg_CheckCount(argc, 2)) return false;
  if (!args[0].IsString() || !args[1].IsReal()) {
    Arg_ReportIllegalType();
    return false;
  }
  return true;
}

// Logging in and out is the service's business; this runner's service is always there.
void F_AchievementLogin(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue*) { Arg_CheckCount(argc, 0); }

void F_AchievementAvailable(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue*) {
  if (Arg_CheckCount(argc, 0)) result.SetReal(Achievement_Available() ? 1.0 : 0.0);
}

void F_AchievementPost(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (!NameAndReal(argc, args) || !Achievement_Available()) return;
  Achievement_Post(kAchievementProgress, Arg_String(args[0]), std::bit_cast<uint32_t>(Arg_Single(args[1])));
}

void F_AchievementPostScore(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (!NameAndReal(argc, args) || !Achievement_Available()) return;
  Achievement_Post(kAchievementScore, Arg_String(args[0]), static_cast<uint32_t>(Arg_Truncated(args[1])));
}

struct AchievementBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr AchievementBuiltin kAchievementBuiltins[] = {
    {"achievement_login", F_AchievementLogin, 0},
    {"Tarn_LoginAchievements", F_AchievementLogin, 0},
    {"achievement_logout", F_AchievementLogin, 0},
    {"Tarn_LogoutAchievements", F_AchievementLogin, 0},
    {"achievement_available", F_AchievementAvailable, 0},
    {"Tarn_AchievementsAvailable", F_AchievementAvailable, 0},
    {"achievement_post", F_AchievementPost, 2},
    {"Tarn_PostAchievement", F_AchievementPost, 2},
    {"achievement_post_score", F_AchievementPostScore, 2},
    {"Tarn_PostScore", F_AchievementPostScore, 2},
};

}  // namespace

void Achievement_RegisterFunctions() {
  Achievement_Start();
  for (const AchievementBuiltin& builtin : kAchievementBuiltins) {
    Function_Add(builtin.name, builtin.implementation, builtin.argc);
  }
}
