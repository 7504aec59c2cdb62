// HTTP requests against a small server the test runs on 127.0.0.1.
#include "platform/http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ds_map.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Pattern(size_t size) {
  std::string out(size, '\0');
  for (size_t i = 0; i < size; ++i) out[i] = char('a' + (i * 7 + i / 1000) % 26);
  return out;
}

// Serves one request per connection on an ephemeral port of 127.0.0.1 and stops with the
// test. Requests are bounded (headers 64 KB, bodies 16 MB) and every wait has a timeout.
class LocalServer {
 public:
  LocalServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int one = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0)
      return;
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~LocalServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(listener_);
  }
  int Port() const { return port_; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  std::string LastUserAgent() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastUserAgent_;
  }

  static const std::string& Big() {
    static const std::string big = Pattern(5 * 1024 * 1024);
    return big;
  }

 private:
  struct Request {
    std::string method, path, body;
    std::map<std::string, std::string> headers;
  };

  void Run() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      Request request;
      if (ReadRequest(connection, request)) Answer(connection, request);
      close(connection);
    }
  }

  // Reads with a timeout; false when the peer goes quiet or closes.
  bool ReadSome(int connection, std::string& into) {
    pollfd p{connection, POLLIN, 0};
    if (poll(&p, 1, 2000) <= 0) return false;
    char chunk[65536];
    ssize_t n = recv(connection, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    into.append(chunk, size_t(n));
    return true;
  }

  bool ReadRequest(int connection, Request& request) {
    std::string data;
    size_t end;
    while ((end = data.find("\r\n\r\n")) == std::string::npos) {
      if (data.size() > 65536 || !ReadSome(connection, data)) return false;
    }
    std::string head = data.substr(0, end);
    std::string rest = data.substr(end + 4);
    size_t lineEnd = head.find("\r\n");
    std::string first = head.substr(0, lineEnd);
    size_t s1 = first.find(' '), s2 = first.rfind(' ');
    if (s1 == std::string::npos || s2 <= s1) return false;
    request.method = first.substr(0, s1);
    request.path = first.substr(s1 + 1, s2 - s1 - 1);
    size_t at = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (at < head.size()) {
      size_t next = head.find("\r\n", at);
      if (next == std::string::npos) next = head.size();
      std::string line = head.substr(at, next - at);
      size_t colon = line.find(':');
      if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        for (char& c : name) c = char(tolower(c));
        size_t v = line.find_first_not_of(' ', colon + 1);
        request.headers[name] = v == std::string::npos ? "" : line.substr(v);
      }
      at = next + 2;
    }
    size_t length = 0;
    if (auto it = request.headers.find("content-length"); it != request.headers.end())
      length = std::stoul(it->second);
    if (length > 16 * 1024 * 1024) return false;
    while (rest.size() < length)
      if (!ReadSome(connection, rest)) return false;
    request.body = rest.substr(0, length);
    std::lock_guard<std::mutex> lock(mutex_);
    lastUserAgent_ = request.headers["user-agent"];
    return true;
  }

  static void SendAll(int connection, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
      ssize_t n = send(connection, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += size_t(n);
    }
  }

  static void Reply(int connection, const char* status, const std::string& body, bool withLength = true) {
    std::string head = std::string("HTTP/1.1 ") + status + "\r\nConnection: close\r\n";
    if (withLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    SendAll(connection, head + "\r\n" + body);
  }

  void Answer(int connection, const Request& request) {
    const std::string& path = request.path;
    auto header = [&](const char* name) {
      auto it = request.headers.find(name);
      return it == request.headers.end() ? std::string("(none)") : it->second;
    };
    if (path == "/hello") {
      Reply(connection, "200 OK", "hello");
    } else if (path == "/echo") {
      Reply(connection, "200 OK",
            request.method + "|" + header("user-agent") + "|" + header("content-type") + "|" + request.body);
    } else if (path == "/echo-size") {
      Reply(connection, "200 OK", std::to_string(request.body.size()) + (request.body == Big() ? " same" : " differs"));
    } else if (path == "/big") {
      Reply(connection, "200 OK", Big());
    } else if (path == "/big-no-length") {
      Reply(connection, "200 OK", Big(), false);
    } else if (path == "/empty") {
      Reply(connection, "200 OK", "");
    } else if (path == "/slow") {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      Reply(connection, "200 OK", "late");
    } else if (path == "/redirect") {
      SendAll(connection, "HTTP/1.1 302 Found\r\nConnection: close\r\nLocation: /hello\r\nContent-Length: 0\r\n\r\n");
    } else if (path == "/a%20b?x=1+2") {
      Reply(connection, "200 OK", "escaped");
    } else {
      Reply(connection, "404 Not Found", "not here");
    }
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::string lastUserAgent_;
};

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
          d.result = map->Find(ScriptValue::String("result"))->value.text;
        }
        out[int32_t(d.id)] = d;
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return out;
  }

  LocalServer server_;
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
  EXPECT_EQ(server_.LastUserAgent(), "Kilnforge HTTP");
  EXPECT_EQ(HTTP_PendingCount(), 0);
  for (int32_t i = 0; i < DS_Tables().maps.Count(); ++i) EXPECT_FALSE(DS_Tables().maps.Exists(i));  // async maps are gone
}

TEST_F(HttpTest, FiveMegabyteBodiesBothWays) {
  int32_t get = HTTP_Get(server_.Url("/big"), Http_Callback);
  int32_t noLength = HTTP_Get(server_.Url("/big-no-length"), Http_Callback);
  int32_t post = HTTP_Post(server_.Url("/echo-size"), LocalServer::Big(), Http_Callback);
  auto got = DeliverAll(3);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[get].httpStatus, 200);
  EXPECT_EQ(got[get].result.size(), LocalServer::Big().size());
  EXPECT_TRUE(got[get].result == LocalServer::Big());
  EXPECT_TRUE(got[noLength].result == LocalServer::Big());
  EXPECT_EQ(got[post].result, std::to_string(LocalServer::Big().size()) + " same");
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
