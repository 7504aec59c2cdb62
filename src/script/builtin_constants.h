// The built-in constants, in registration order.
#pragma once

#include <span>

struct BuiltinConstant {
  const char* name;
  double value;
};

std::span<const BuiltinConstant> Constant_BuiltinList();
