// The built-in constants, in registration order.
#pragma once

#include <span>

struct BuiltinConstant {
  const char* name;
  double value;
};

std::span<const BuiltinConstant> Constant_BuiltinList();

// The platform constants (os_*, device_ios_*, browser_*, of_challenge_*, leaderboard_type_*),
// in registration order: they come right after the built-in constants.
std::span<const BuiltinConstant> Constant_EnvironmentList();
