#include "runner/login_request.h"

#include "platform/ds_map.h"
#include "platform/http.h"
#include "runner/dialogs.h"
#include "runner/input.h"

namespace {

bool g_Queued = false;

int32_t IO_Login_Callback(HTTP_REQ_CONTEXT&, int32_t& asyncMap) {
  const bool confirmed = Login_Status() == 2;
  asyncMap = DSMap_CreateFromPairs({
      {"id", double(Login_RequestId()), std::nullopt},
      {"username", 0.0, Login_UserName()},
      {"password", 0.0, Login_Password()},
      {"status", confirmed ? 1.0 : -1.0, std::nullopt},
  });
  Login_SetStatus(0);
  g_Queued = false;
  return kAsyncEventDialog;
}

}  // namespace

void Login_InstallPoll() { Input_Hooks().loginPoll = IO_Login_Poll; }

void IO_Login_Poll() {
  Login_Pump();
  const int32_t status = Login_Status();
  if ((status == 2 || status == -1) && !g_Queued) {
    g_Queued = true;
    HTTP_AddCompleted(IO_Login_Callback);
  }
}
