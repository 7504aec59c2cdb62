// A small HTTP/1.1 server for tests on an ephemeral port of 127.0.0.1. It serves one request per
// connection: the handler's answer is sent as it is and the connection closed. Requests are
// bounded (headers 64 KB, bodies 16 MB) and every wait has a timeout; the server stops with
// the object.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

struct HttpRequest {
  std::string method, path, body;
  std::map<std::string, std::string> headers;  // names in lower case
};

class LocalHttpServer {
 public:
  // Runs on the server's thread; returns the whole answer (status line, headers and body).
  using Handler = std::function<std::string(const HttpRequest&)>;

  explicit LocalHttpServer(Handler handler);
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // 0 when the server could not start.
  int Port() const { return port_; }
  std::string Url(const std::string& path) const;
  // The last request read, before it was answered.
  HttpRequest LastRequest();

  // An answer with "Connection: close" and, when withLength, its "Content-Length".
  static std::string Response(const char* status, const std::string& body, bool withLength = true);
  // Answers 200 with the body registered for the path, and 404 "not here" for any other.
  static Handler Bodies(std::map<std::string, std::string> bodies);

 private:
  void Run();
  bool ReadRequest(int connection, HttpRequest& request);

  Handler handler_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  HttpRequest last_;
  std::thread thread_;
};
