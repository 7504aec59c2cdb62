// HTTP requests against a small server the test runs on 127.0.0.1.
#include "platform/http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/ds_map.h"
#include "support/local_http_server.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Pattern(size_t size) {
  std::string out(size, '\0');
  for (size_t i = 0; i < size; ++i) out[i] = char('a' + (i * 7 + i / 1000) % 26);
  return out;
}

const std::string& Big() {
  static const std::string big = Pattern(5 * 1024 * 1024);
  return big;
}

// The test server's answers, by path.
std::string Answer(const HttpRequest& request) {
  const std::string& path = request.path;
  auto header = [&](const char* name) {
    auto it = request.headers.find(name);
    return it == request.headers.end() ? std::string("(none)") : it->second;
  };
  auto ok = [](const std::string& body, bool withLength = true) {
    return LocalHttpServer::Response("200 OK", body, withLength);
  };
  if (path == "/hello") return ok("hello");
  if (path == "/echo") {
    return ok(request.method + "|" + header("user-agent") + "|" + header("content-type") + "|" + request.body);
  }
  if (path == "/echo-size") return ok(std::to_string(request.body.size()) + (request.body == Big() ? " same" : " differs"));
  if (path == "/big") return ok(Big());
  if (path == "/big-no-length") return ok(Big(), false);
  if (path == "/empty") return ok("");
  if (path == "/slow") {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ok("late");
  }
  if (path == "/redirect") {
    return "HTTP/1.1 302 Found\r\nConnection: close\r\nLocation: /hello\r\nContent-Length: 0\r\n\r\n";
  }
  if (path == "/a%20b?x=1+2") return ok("escaped");
  return LocalHttpServer::Response("404 Not Found", "not here");
}

struct Delivered {
  int32_t event = 0;
  double id = -1, status = 99, httpStatus = -1;
  std::string result;
};

class HttpTest : public testing::Test {
 protected:
  void SetUp() override {
    // Only the test's own server is ever contacted: no proxy from the environment.
    for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
      unsetenv(name);
    setenv("no_proxy", "*", 1);
  }
  void TearDown() override { HTTP_Shutdown(); }

  // Runs frames until count requests were delivered (or 20 seconds passed), keyed by id.
  std::map<int32_t, Delivered> DeliverAll(size_t count) {
    std::map<int32_t, Delivered> out;
    auto deadline = Clock::now() + std::chrono::seconds(20);
    while (out.size() < count && Clock::now() < deadline) {
      HTTP_ProcessFinished([&](int32_t event, int32_t asyncMap) {
        Delivered d;
        d.event = event;
        const CDS_Map* map = DS_Tables().maps.Get(asyncMap);
        if (map) {
          d.id = map->Find(ScriptValue::String("id"))->value.real;
          d.status = map->Find(ScriptValue::String("status"))->value.real;
          d.httpStatus = map->Find(ScriptValue::String("http_status"))->value.real;
          d.result = map->Find(ScriptValue::String("result"))->value.Text();
        }
        out[int32_t(d.id)] = d;
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return out;
  }

  LocalHttpServer server_{Answer};
};

TEST_F(HttpTest, GetPostNotFoundAndEmptyAnswers) {
  ASSERT_NE(server_.Port(), 0);
  int32_t first = HTTP_NextId();
  EXPECT_EQ(HTTP_Get(server_.Url("/hello"), Http_Callback), first);
  EXPECT_EQ(HTTP_Post(server_.Url("/echo"), "a=1&b=two", Http_Callback), first + 1);
  EXPECT_EQ(HTTP_Get(server_.Url("/missing"), Http_Callback), first + 2);
  EXPECT_EQ(HTTP_Get(server_.Url("/empty"), Http_Callback), first + 3);
  EXPECT_EQ(HTTP_Get(server_.Url("/redirect"), Http_Callback), first + 4);
  EXPECT_EQ(HTTP_Get(server_.Url("/a b?x=1 2"), Http_Callback), first + 5);  // escaped as a browser would
  auto got = DeliverAll(6);
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[first].event, kAsyncEventHttp);
  EXPECT_EQ(got[first].status, 0);
  EXPECT_EQ(got[first].httpStatus, 200);
  EXPECT_EQ(got[first].result, "hello");
  EXPECT_EQ(got[first + 1].result, "POST|Kilnforge HTTP|application/x-www-form-urlencoded|a=1&b=two");
  EXPECT_EQ(got[first + 2].status, 0);  // an answer, if not a welcome one
  EXPECT_EQ(got[first + 2].httpStatus, 404);
  EXPECT_EQ(got[first + 2].result, "not here");
  EXPECT_EQ(got[first + 3].status, 0);  // an empty answer is not a failure
  EXPECT_EQ(got[first + 3].httpStatus, 200);
  EXPECT_EQ(got[first + 3].result, "");
  EXPECT_EQ(got[first + 4].result, "hello");
  EXPECT_EQ(got[first + 5].result, "escaped");
  EXPECT_EQ(server_.LastRequest().headers["user-agent"], "Kilnforge HTTP");
  EXPECT_EQ(HTTP_PendingCount(), 0);
  for (int32_t i = 0; i < DS_Tables().maps.Count(); ++i) EXPECT_FALSE(DS_Tables().maps.Exists(i));  // async maps are gone
}

TEST_F(HttpTest, FiveMegabyteBodiesBothWays) {
  int32_t get = HTTP_Get(server_.Url("/big"), Http_Callback);
  int32_t noLength = HTTP_Get(server_.Url("/big-no-length"), Http_Callback);
  int32_t post = HTTP_Post(server_.Url("/echo-size"), Big(), Http_Callback);
  auto got = DeliverAll(3);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[get].httpStatus, 200);
  EXPECT_EQ(got[get].result.size(), Big().size());
  EXPECT_TRUE(got[get].result == Big());
  EXPECT_TRUE(got[noLength].result == Big());
  EXPECT_EQ(got[post].result, std::to_string(Big().size()) + " same");
}

TEST_F(HttpTest, FailedRequestsAreDeliveredWithStatusMinusOne) {
  // A port that nothing listens on: bound, then closed again.
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  int closedPort = ntohs(address.sin_port);
  close(probe);

  int32_t refused = HTTP_Get("http://127.0.0.1:" + std::to_string(closedPort) + "/", Http_Callback);
  int32_t badPort = HTTP_Get("http://127.0.0.1:99999/", Http_Callback);
  int32_t notHttp = HTTP_Post("ftp://127.0.0.1:" + std::to_string(closedPort) + "/", "x", Http_Callback);
  int32_t garbage = HTTP_Get("not a url", Http_Callback);
  EXPECT_EQ(garbage, refused + 3);  // every request takes an id, failed or not
  // https is spoken as TLS: the plain server cannot answer the handshake.
  int32_t tls = HTTP_Get("https://127.0.0.1:" + std::to_string(server_.Port()) + "/hello", Http_Callback);
  auto got = DeliverAll(5);
  ASSERT_EQ(got.size(), 5u);
  for (int32_t id : {refused, badPort, notHttp, garbage, tls}) {
    EXPECT_EQ(got[id].event, kAsyncEventHttp) << id;
    EXPECT_EQ(got[id].status, -1) << id;
    EXPECT_EQ(got[id].httpStatus, 0) << id;
    EXPECT_EQ(got[id].result, "") << id;
  }
}

TEST_F(HttpTest, RequestsDoNotBlockTheFrame) {
  auto start = Clock::now();
  int32_t id = HTTP_Get(server_.Url("/slow"), Http_Callback);
  EXPECT_EQ(HTTP_ProcessFinished(nullptr), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(250));
  auto got = DeliverAll(1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[id].result, "late");
}

TEST_F(HttpTest, DeliveryRunsCallbackEventMapAndCleanupInOrder) {
  std::vector<std::string> steps;
  int32_t mapIndex = -1;
  HTTP_Callback quiet = [&](HTTP_REQ_CONTEXT& r, int32_t& asyncMap) {
    steps.push_back("callback " + r.body);
    asyncMap = mapIndex = DSMap_CreateFromPairs({{"k", 1, std::nullopt}});
    return 10;  // below 60: no event
  };
  HTTP_Cleanup cleanup = [&](HTTP_REQ_CONTEXT& r) { steps.push_back("cleanup " + std::to_string(r.id)); };
  int32_t id = HTTP_Get(server_.Url("/hello"), quiet, cleanup);
  auto deadline = Clock::now() + std::chrono::seconds(20);
  while (steps.empty() && Clock::now() < deadline) {
    HTTP_ProcessFinished([&](int32_t, int32_t) { steps.push_back("event"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"callback hello", "cleanup " + std::to_string(id)}));
  EXPECT_FALSE(DS_Tables().maps.Exists(mapIndex));  // destroyed after the (absent) event

  // A request without a callback is still delivered and removed.
  steps.clear();
  HTTP_Get(server_.Url("/hello"), nullptr, cleanup);
  deadline = Clock::now() + std::chrono::seconds(20);
  while (steps.empty() && Clock::now() < deadline) {
    HTTP_ProcessFinished([&](int32_t, int32_t) { steps.push_back("event"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(steps.size(), 1u);
  EXPECT_EQ(HTTP_PendingCount(), 0);
}

}  // namespace
