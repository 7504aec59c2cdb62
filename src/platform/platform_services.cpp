#include "platform/platform_services.h"

#include "platform/http.h"

bool Platform_Shutdown() {
  HTTP_Shutdown();
  return true;
}
