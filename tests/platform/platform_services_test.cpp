// The platform services' part in shut-down.
#include <gtest/gtest.h>

#include "platform/http.h"
#include "platform/platform_services.h"

TEST(PlatformServices, ShutDownDropsWebRequestsWithoutDeliveringThem) {
  bool delivered = false;
  auto callback = [&delivered](HTTP_REQ_CONTEXT&, int32_t&) {
    delivered = true;
    return kAsyncEventHttp;
  };
  HTTP_Get("http://127.0.0.1:99999/", callback);
  HTTP_Get("not a url", callback);
  EXPECT_EQ(HTTP_PendingCount(), 2);
  EXPECT_TRUE(Platform_Shutdown());
  EXPECT_EQ(HTTP_PendingCount(), 0);
  EXPECT_EQ(HTTP_ProcessFinished([](int32_t, int32_t) {}), 0);
  EXPECT_FALSE(delivered);
  // Shutting down twice is harmless.
  EXPECT_TRUE(Platform_Shutdown());
}
