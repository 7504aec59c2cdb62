// Web requests of game code (http_get, http_post_string) and of other users of the
// request list (images loaded from a URL, the asynchronous login dialog).
//
// A request starts at once and runs in the background over libcurl's multi interface:
// nothing blocks the frame. The game step calls HTTP_ProcessFinished once per frame;
// it advances every transfer and hands each finished request, newest first, to its
// callback, which may build a ds_map of results (the async map) and names the "other"
// event to fire. Every request is delivered, a failed one too: its record says so.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Event numbers of the asynchronous "other" events.
inline constexpr int32_t kAsyncEventImageLoaded = 60;
inline constexpr int32_t kAsyncEventHttp = 62;
inline constexpr int32_t kAsyncEventDialog = 63;
inline constexpr int32_t kAsyncEventFirst = 60;

inline constexpr char kHTTPUserAgent[] = "Kilnforge HTTP";

enum class HTTPRequestStatus : int32_t { New = 1, Sent = 5, Complete = 7 };

class HTTP_REQ_CONTEXT;

// Answers the event number to fire (60 or more fires one) and may store the index of a
// ds_map in asyncMap; that map is destroyed after the event.
using HTTP_Callback = std::function<int32_t(HTTP_REQ_CONTEXT& request, int32_t& asyncMap)>;
using HTTP_Cleanup = std::function<void(HTTP_REQ_CONTEXT& request)>;

class HTTP_REQ_CONTEXT {
 public:
  HTTP_REQ_CONTEXT(int32_t id, std::string url, HTTP_Callback callback, HTTP_Cleanup cleanup);
  ~HTTP_REQ_CONTEXT();
  HTTP_REQ_CONTEXT(const HTTP_REQ_CONTEXT&) = delete;
  HTTP_REQ_CONTEXT& operator=(const HTTP_REQ_CONTEXT&) = delete;

  bool active = true;
  HTTPRequestStatus status = HTTPRequestStatus::New;
  HTTP_Callback callback;
  HTTP_Cleanup cleanup;
  std::string url;
  int32_t id = 0;
  // The server's status code; 0 when there was no answer.
  int32_t httpStatus = 200;
  // The whole answer, of any length up to 2 GiB.
  std::string body;
  // True when the request could not be made or its answer not read completely.
  bool failed = false;

  int32_t BytesRead() const { return static_cast<int32_t>(body.size()); }

  struct Transfer;  // the libcurl side
  std::unique_ptr<Transfer> transfer;
};

// The id the next request will get (ids start at 0 and rise by one per request).
int32_t HTTP_NextId();

// GET of url; answers the request's id.
int32_t HTTP_Get(std::string_view url, HTTP_Callback callback, HTTP_Cleanup cleanup = nullptr);
// Form POST (application/x-www-form-urlencoded) of postData, up to its first zero byte.
int32_t HTTP_Post(std::string_view url, std::string_view postData, HTTP_Callback callback,
                  HTTP_Cleanup cleanup = nullptr);

// A request with no address that is already complete: the next delivery hands it to its
// callback (the asynchronous login dialog's answer). Answers the request's id.
int32_t HTTP_AddCompleted(HTTP_Callback callback);

// Advances every transfer without waiting; finished ones become complete.
void HTTP_Poll();

// Fires the "other" event of that number with the async map of the request (-1 for none).
using HTTP_FireEvent = std::function<void(int32_t eventNumber, int32_t asyncMap)>;
// Polls, then delivers every active and complete request in list order (newest first):
// callback, event, destruction of the async map, cleanup, destruction of the record.
// Answers the number delivered.
int32_t HTTP_ProcessFinished(const HTTP_FireEvent& fireEvent);

// Requests not yet delivered.
int32_t HTTP_PendingCount();

// Drops every request without delivering it and closes the session.
void HTTP_Shutdown();

// The callback of http_get and http_post_string: a map with "id", "status" (0, or -1 for
// a failed request), "http_status" and "result" (the answer's text); fires the http event.
int32_t Http_Callback(HTTP_REQ_CONTEXT& request, int32_t& asyncMap);

// Writes "<operation>: <message>\n" to the debug console.
void HTTP_FormatError(std::string_view operation, std::string_view message);
