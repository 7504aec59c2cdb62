// The instance codes of variable access and with: who a name or a with refers to.
#pragma once

#include <cstdint>

inline constexpr int32_t kInstanceSelf = -1;
inline constexpr int32_t kInstanceOther = -2;
inline constexpr int32_t kInstanceAll = -3;
inline constexpr int32_t kInstanceNoone = -4;
inline constexpr int32_t kInstanceGlobal = -5;
inline constexpr int32_t kInstanceDefault = -6;  // self unless declared with globalvar
inline constexpr int32_t kInstanceLocal = -7;
