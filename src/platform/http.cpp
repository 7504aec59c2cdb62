#include "platform/http.h"

// Calls go through the table of functions below, which the type checks of the header cannot follow.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <limits>
#include <list>
#include <mutex>
#include <vector>

#include "platform/console.h"
#include "platform/ds_map.h"
#include "platform/shared_library.h"

namespace {

// libcurl, opened by the first request: the functions the session uses.
#define KF_CURL_FUNCTIONS(X)                                                                        \
  X(curl_global_init) X(curl_easy_init) X(curl_easy_cleanup) X(curl_easy_setopt) X(curl_easy_getinfo) \
  X(curl_easy_strerror) X(curl_multi_init) X(curl_multi_cleanup) X(curl_multi_add_handle)            \
  X(curl_multi_remove_handle) X(curl_multi_perform) X(curl_multi_info_read) X(curl_multi_strerror)   \
  X(curl_slist_append) X(curl_slist_free_all) X(curl_url) X(curl_url_set) X(curl_url_get)            \
  X(curl_url_strerror) X(curl_url_cleanup) X(curl_free)

struct CurlFunctions {
  KF_CURL_FUNCTIONS(KF_LIBRARY_FUNCTION)
};

CurlFunctions g_Curl;

// False when the library or one of its functions is missing; then no request can start.
bool LoadCurl() {
  CurlFunctions& table = g_Curl;
  static const bool loaded = SharedLibrary_Load("libcurl.so.4", {KF_CURL_FUNCTIONS(KF_LIBRARY_ENTRY)});
  return loaded;
}

// Only reached once LoadCurl succeeded (a session or a transfer exists).
const CurlFunctions& Curl() { return g_Curl; }

}  // namespace

struct HTTP_REQ_CONTEXT::Transfer {
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  bool attached = false;  // added to the session's multi handle

  ~Transfer() {
    if (easy) Curl().curl_easy_cleanup(easy);
    if (headers) Curl().curl_slist_free_all(headers);
  }
};

namespace {

// The session: one multi handle for the whole run, opened by the first request.
struct Session {
  CURLM* multi = nullptr;
  ~Session() {
    if (multi) Curl().curl_multi_cleanup(multi);
  }
};

Session g_Session;
// Newest first, as requests are delivered in that order.
std::list<std::unique_ptr<HTTP_REQ_CONTEXT>> g_Requests;
int32_t g_RequestCounter = 0;

bool OpenSession() {
  if (g_Session.multi) return true;
  if (!LoadCurl()) {
    HTTP_FormatError("InternetOpen", "the HTTP library (libcurl) could not be loaded");
    return false;
  }
  static std::once_flag globalInit;
  static CURLcode globalResult = CURLE_OK;
  std::call_once(globalInit, [] { globalResult = Curl().curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (globalResult != CURLE_OK) {
    HTTP_FormatError("InternetOpen", Curl().curl_easy_strerror(globalResult));
    return false;
  }
  g_Session.multi = Curl().curl_multi_init();
  if (!g_Session.multi) {
    HTTP_FormatError("InternetOpen", "the session could not be opened");
    return false;
  }
  return true;
}

void Fail(HTTP_REQ_CONTEXT& request) {
  request.failed = true;
  request.httpStatus = 0;
  request.status = HTTPRequestStatus::Complete;
}

// The stage of the request a libcurl failure belongs to.
const char* OperationOf(CURLcode code) {
  switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
      return "InternetCanonicalizeUrl";
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
      return "InternetConnect";
    case CURLE_SEND_ERROR:
    case CURLE_TOO_MANY_REDIRECTS:
      return "HttpSendRequest";
    default:
      return "InternetReadFile";
  }
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* request = static_cast<HTTP_REQ_CONTEXT*>(user);
  size_t bytes = size * count;
  // The length is an int32 for game code: an answer beyond 2 GiB fails the request.
  if (bytes > size_t(std::numeric_limits<int32_t>::max()) - request->body.size()) return 0;
  request->body.append(data, bytes);
  return bytes;
}

// Canonicalises the URL as a browser would (spaces and other bytes escaped).
bool CanonicaliseUrl(const std::string& url, std::string& out) {
  CURLU* handle = Curl().curl_url();
  if (!handle) return false;
  char* text = nullptr;
  CURLUcode rc = Curl().curl_url_set(handle, CURLUPART_URL, url.c_str(), CURLU_URLENCODE);
  if (rc == CURLUE_OK) rc = Curl().curl_url_get(handle, CURLUPART_URL, &text, 0);
  if (rc == CURLUE_OK) out = text;
  else HTTP_FormatError("InternetCanonicalizeUrl", Curl().curl_url_strerror(rc));
  Curl().curl_free(text);
  Curl().curl_url_cleanup(handle);
  return rc == CURLUE_OK;
}

HTTP_REQ_CONTEXT& NewRequest(std::string_view url, HTTP_Callback callback, HTTP_Cleanup cleanup) {
  int32_t id = g_RequestCounter++;
  g_Requests.push_front(
      std::make_unique<HTTP_REQ_CONTEXT>(id, std::string(url), std::move(callback), std::move(cleanup)));
  return *g_Requests.front();
}

// Sets the request going; any failure on the way completes it as failed.
void Start(HTTP_REQ_CONTEXT& request, const std::string* postData) {
  if (!OpenSession()) return Fail(request);
  std::string canonical;
  if (!CanonicaliseUrl(request.url, canonical)) return Fail(request);
  auto transfer = std::make_unique<HTTP_REQ_CONTEXT::Transfer>();
  transfer->easy = Curl().curl_easy_init();
  if (!transfer->easy) {
    HTTP_FormatError("InternetConnect", "the request could not be created");
    return Fail(request);
  }
  CURL* easy = transfer->easy;
  Curl().curl_easy_setopt(easy, CURLOPT_URL, canonical.c_str());
  Curl().curl_easy_setopt(easy, CURLOPT_USERAGENT, kHTTPUserAgent);
  Curl().curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  Curl().curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  Curl().curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  Curl().curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  Curl().curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  Curl().curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 30L);
  // A server that stops sending for a minute fails the request, which is then delivered.
  Curl().curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  Curl().curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, 60L);
  // Polled once a frame: a large buffer lets a big answer arrive in few frames.
  Curl().curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 256L * 1024);
  Curl().curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  Curl().curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
  Curl().curl_easy_setopt(easy, CURLOPT_WRITEDATA, &request);
  Curl().curl_easy_setopt(easy, CURLOPT_PRIVATE, &request);
  // An answer is always fetched anew, never from a cache.
  transfer->headers = Curl().curl_slist_append(transfer->headers, "Cache-Control: no-cache");
  if (postData) {
    transfer->headers = Curl().curl_slist_append(transfer->headers, "Content-Type: application/x-www-form-urlencoded");
    transfer->headers = Curl().curl_slist_append(transfer->headers, "Accept: */*");
    transfer->headers = Curl().curl_slist_append(transfer->headers, "Expect:");
    Curl().curl_easy_setopt(easy, CURLOPT_POST, 1L);
    Curl().curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(postData->size()));
    Curl().curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, postData->c_str());
  }
  Curl().curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers);
  CURLMcode rc = Curl().curl_multi_add_handle(g_Session.multi, easy);
  if (rc != CURLM_OK) {
    HTTP_FormatError("HttpSendRequest", Curl().curl_multi_strerror(rc));
    return Fail(request);
  }
  transfer->attached = true;
  request.transfer = std::move(transfer);
  request.status = HTTPRequestStatus::Sent;
}

void Detach(HTTP_REQ_CONTEXT& request) {
  if (request.transfer && request.transfer->attached && g_Session.multi) {
    Curl().curl_multi_remove_handle(g_Session.multi, request.transfer->easy);
    request.transfer->attached = false;
  }
  request.transfer.reset();
}

}  // namespace

HTTP_REQ_CONTEXT::HTTP_REQ_CONTEXT(int32_t id_, std::string url_, HTTP_Callback callback_, HTTP_Cleanup cleanup_)
    : callback(std::move(callback_)), cleanup(std::move(cleanup_)), url(std::move(url_)), id(id_) {}

HTTP_REQ_CONTEXT::~HTTP_REQ_CONTEXT() { Detach(*this); }

void HTTP_FormatError(std::string_view operation, std::string_view message) {
  g_DebugConsole->Output("%.*s: %.*s\n", int(operation.size()), operation.data(), int(message.size()),
                         message.data());
}

int32_t HTTP_NextId() { return g_RequestCounter; }

int32_t HTTP_Get(std::string_view url, HTTP_Callback callback, HTTP_Cleanup cleanup) {
  HTTP_REQ_CONTEXT& request = NewRequest(url, std::move(callback), std::move(cleanup));
  Start(request, nullptr);
  return request.id;
}

int32_t HTTP_Post(std::string_view url, std::string_view postData, HTTP_Callback callback, HTTP_Cleanup cleanup) {
  HTTP_REQ_CONTEXT& request = NewRequest(url, std::move(callback), std::move(cleanup));
  std::string text(postData.substr(0, postData.find('\0')));
  Start(request, &text);
  return request.id;
}

int32_t HTTP_AddCompleted(HTTP_Callback callback) {
  HTTP_REQ_CONTEXT& request = NewRequest("", std::move(callback), nullptr);
  request.status = HTTPRequestStatus::Complete;
  return request.id;
}

void HTTP_Poll() {
  if (!g_Session.multi) return;
  int running = 0;
  CURLMcode rc = Curl().curl_multi_perform(g_Session.multi, &running);
  if (rc != CURLM_OK) HTTP_FormatError("InternetReadFile", Curl().curl_multi_strerror(rc));
  int left = 0;
  while (CURLMsg* message = Curl().curl_multi_info_read(g_Session.multi, &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    HTTP_REQ_CONTEXT* request = nullptr;
    Curl().curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &request);
    if (!request) continue;
    long code = 0;
    if (Curl().curl_easy_getinfo(message->easy_handle, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK) code = 0;
    request->httpStatus = static_cast<int32_t>(code);
    CURLcode result = message->data.result;
    if (result != CURLE_OK) {
      HTTP_FormatError(OperationOf(result), Curl().curl_easy_strerror(result));
      request->failed = true;
    }
    request->status = HTTPRequestStatus::Complete;
    Detach(*request);
  }
}

int32_t HTTP_ProcessFinished(const HTTP_FireEvent& fireEvent) {
  HTTP_Poll();
  // Unlink the finished records first: a callback may start new requests.
  std::vector<std::unique_ptr<HTTP_REQ_CONTEXT>> finished;
  for (auto it = g_Requests.begin(); it != g_Requests.end();) {
    if ((*it)->active && (*it)->status == HTTPRequestStatus::Complete) {
      finished.push_back(std::move(*it));
      it = g_Requests.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& request : finished) {
    int32_t asyncMap = -1;
    int32_t event = request->callback ? request->callback(*request, asyncMap) : 0;
    if (event >= kAsyncEventFirst && fireEvent) fireEvent(event, asyncMap);
    if (asyncMap >= 0) DS_Tables().maps.Destroy(asyncMap);
    if (request->cleanup) request->cleanup(*request);
    request.reset();
  }
  return static_cast<int32_t>(finished.size());
}

int32_t HTTP_PendingCount() { return static_cast<int32_t>(g_Requests.size()); }

void HTTP_Shutdown() {
  g_Requests.clear();
  if (g_Session.multi) {
    Curl().curl_multi_cleanup(g_Session.multi);
    g_Session.multi = nullptr;
  }
}

int32_t Http_Callback(HTTP_REQ_CONTEXT& request, int32_t& asyncMap) {
  asyncMap = DSMap_CreateFromPairs({
      {"id", double(request.id), std::nullopt},
      {"status", request.failed ? -1.0 : 0.0, std::nullopt},
      {"http_status", double(request.httpStatus), std::nullopt},
      {"result", 0.0, request.body},
  });
  return kAsyncEventHttp;
}
