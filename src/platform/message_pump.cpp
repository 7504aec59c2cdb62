#include "platform/message_pump.h"

namespace {
PlatformMessagePump g_MessagePump = nullptr;
}

void Platform_SetMessagePump(PlatformMessagePump pump) { g_MessagePump = pump; }

void Platform_PumpMessages() {
  if (g_MessagePump != nullptr) g_MessagePump();
}
