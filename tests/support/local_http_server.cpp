#include "support/local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <utility>

namespace {

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

void SendAll(int connection, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    ssize_t n = send(connection, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += size_t(n);
  }
}

}  // namespace

LocalHttpServer::LocalHttpServer(Handler handler) : handler_(std::move(handler)) {
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

LocalHttpServer::~LocalHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  close(listener_);
}

std::string LocalHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

HttpRequest LocalHttpServer::LastRequest() {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_;
}

std::string LocalHttpServer::Response(const char* status, const std::string& body, bool withLength) {
  std::string head = std::string("HTTP/1.1 ") + status + "\r\nConnection: close\r\n";
  if (withLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return head + "\r\n" + body;
}

LocalHttpServer::Handler LocalHttpServer::Bodies(std::map<std::string, std::string> bodies) {
  return [bodies = std::move(bodies)](const HttpRequest& request) {
    auto it = bodies.find(request.path);
    return it == bodies.end() ? Response("404 Not Found", "not here") : Response("200 OK", it->second);
  };
}

void LocalHttpServer::Run() {
  while (!stop_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    int connection = accept(listener_, nullptr, nullptr);
    if (connection < 0) continue;
    HttpRequest request;
    if (ReadRequest(connection, request)) SendAll(connection, handler_(request));
    close(connection);
  }
}

bool LocalHttpServer::ReadRequest(int connection, HttpRequest& request) {
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
      for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
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
  last_ = request;
  return true;
}
