#include "functions/multiplayer_functions.h"
#include "functions/multiplayer_layer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "functions/builtin_by_name.h"
#include "functions/builtin_call.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

ScriptValue Call(const char* name, std::initializer_list<ScriptValue> args) {
  ScriptValue result;
  EXPECT_TRUE(Builtin_CallByName(name, result, nullptr, nullptr, args)) << name;
  return result;
}

class Multiplayer : public ::testing::Test {
 protected:
  FunctionTableGuard functions_;  // put back after TearDown
  void SetUp() override {
    Function_FreeAll();
    InitDPlayFunctions();
    DPlay_Clear();
  }
  void TearDown() override {
    DPlay_Clear();
  }
};

TEST_F(Multiplayer, EveryBuiltInAnswersAsASystemWithoutATransport) {
  struct Row {
    const char* name;
    int32_t argc;
    std::vector<ScriptValue> args;
    ScriptValue expected;
  };
  const ScriptValue zero = R(0), empty = S("");
  const Row rows[] = {
      {"mplay_init_ipx", 0, {}, zero},
      {"mplay_init_tcpip", 1, {S("192.168.0.1")}, zero},
      {"mplay_init_modem", 2, {S("ATZ"), S("555")}, zero},
      {"mplay_init_serial", 5, {R(1), R(9600), R(0), R(0), R(0)}, zero},
      {"mplay_connect_status", 0, {}, zero},
      {"mplay_end", 0, {}, zero},
      {"mplay_session_mode", 1, {R(0.6)}, zero},
      {"mplay_session_create", 3, {S("game"), R(4), S("me")}, zero},
      {"mplay_session_find", 0, {}, zero},
      {"mplay_session_name", 1, {R(0)}, empty},
      {"mplay_session_join", 2, {R(0), S("me")}, zero},
      {"mplay_session_status", 0, {}, zero},
      {"mplay_session_end", 0, {}, zero},
      {"mplay_player_find", 0, {}, zero},
      {"mplay_player_name", 1, {R(0)}, empty},
      {"mplay_player_id", 1, {R(0)}, zero},
      {"mplay_data_write", 2, {R(5), R(42)}, zero},
      {"mplay_data_read", 1, {R(5)}, zero},
      {"mplay_data_mode", 1, {R(0)}, zero},
      {"mplay_message_send", 3, {R(0), R(1), S("hi")}, zero},
      {"mplay_message_send_guaranteed", 3, {S("bob"), R(1), R(2)}, zero},
      {"mplay_message_receive", 1, {S("bob")}, zero},
      {"mplay_message_id", 0, {}, zero},
      {"mplay_message_value", 0, {}, zero},
      {"mplay_message_player", 0, {}, zero},
      {"mplay_message_name", 0, {}, S("(unknown)")},
      {"mplay_message_count", 1, {R(0)}, zero},
      {"mplay_message_clear", 1, {R(0)}, zero},
      {"mplay_ipaddress", 0, {}, empty},
  };
  ASSERT_EQ(Function_Count(), static_cast<int32_t>(std::size(rows)));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(row.name, id)) << row.name;
    EXPECT_EQ(id, static_cast<int32_t>(i)) << row.name;  // registered in this order
    EXPECT_EQ(Function_ArgCount(id), row.argc) << row.name;
    ScriptValue result;
    std::vector<ScriptValue> args = row.args;
    Function_Call(id, result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
    EXPECT_TRUE(result.SameAs(row.expected)) << row.name;
  }
  // Connecting changed nothing; the written value was not stored.
  EXPECT_EQ(DPlay_SharedCount(), 0);
}

TEST_F(Multiplayer, SessionModeRoundsItsArgument) {
  Call("mplay_session_mode", {R(0.6)});
  EXPECT_TRUE(DPlay_SessionMode());
  Call("mplay_session_mode", {R(0.4)});
  EXPECT_FALSE(DPlay_SessionMode());
  EXPECT_TRUE(DPlay_DataMode());
  Call("mplay_data_mode", {R(0)});
  EXPECT_FALSE(DPlay_DataMode());
}

TEST_F(Multiplayer, MessageBuiltInsReadTheCurrentMessageAndThePlayerTable) {
  DPlay_AddPlayer(1, 7, "alice");
  DPlay_AddPlayer(2, 8, "group");  // not a player entry: skipped
  for (int32_t i = 0; i < 20; ++i) DPlay_AddPlayer(1, 100 + i, "p" + std::to_string(i));  // grows past 8
  EXPECT_EQ(DPlay_PlayerCount(), 21);
  DPlay_CurrentMessage() = {7, 3, S("hello")};
  EXPECT_EQ(Call("mplay_message_name", {}).Text(), "alice");
  EXPECT_EQ(Call("mplay_message_id", {}).real, 3.0);
  EXPECT_EQ(Call("mplay_message_player", {}).real, 7.0);
  ScriptValue value = Call("mplay_message_value", {});
  EXPECT_EQ(value.Text(), "hello");
  DPlay_CurrentMessage().value.SetString("changed");
  EXPECT_EQ(value.Text(), "hello");  // the answer is a copy
  DPlay_CurrentMessage().playerId = 119;
  EXPECT_EQ(Call("mplay_message_name", {}).Text(), "p19");
  DPlay_CurrentMessage().playerId = 5;
  EXPECT_EQ(Call("mplay_message_name", {}).Text(), "(unknown)");
}

TEST_F(Multiplayer, QueueAndSharedValuesKeepTheirOwnCopiesAndCheckIndices) {
  MultiplayerMessage message{1, 2, S("owned text")};
  EXPECT_TRUE(DPlay_QueueMessage(message));
  message.value.SetString("the sender's buffer is reused");
  for (int32_t i = 1; i < kMultiplayerQueueSize; ++i) EXPECT_TRUE(DPlay_QueueMessage({i, i, S("m")}));
  EXPECT_FALSE(DPlay_QueueMessage({0, 0, R(1)}));  // full: dropped
  EXPECT_EQ(DPlay_QueuedCount(), kMultiplayerQueueSize);

  DPlay_SharedSet(3, S("shared"));
  ScriptValue read;
  EXPECT_FALSE(DPlay_SharedRead(3, read));  // the transport has nothing newer
  EXPECT_EQ(read.Text(), "shared");
  EXPECT_EQ(DPlay_SharedCount(), 4);
  // Indices outside 0 .. 1,000,000 on either side store nothing and read nothing.
  for (int32_t index : {-1, -2147483647 - 1, kMultiplayerMaxSharedIndex + 1}) {
    DPlay_SharedSet(index, R(9));
    EXPECT_EQ(DPlay_SharedWrite(index, R(9)), 0) << index;
    ScriptValue untouched = R(5);
    EXPECT_FALSE(DPlay_SharedRead(index, untouched)) << index;
    EXPECT_EQ(untouched.real, 5.0) << index;
  }
  EXPECT_EQ(DPlay_SharedCount(), 4);
  EXPECT_EQ(DPlay_SharedWrite(10, R(1)), 0);  // no transport accepts the write: not stored
  ASSERT_FALSE(DPlay_SharedRead(10, read));
  EXPECT_EQ(read.real, 0.0);

  DPlay_Reset();  // strings of the queue and the table are released (the sanitizer build checks)
  EXPECT_EQ(DPlay_QueuedCount(), 0);
  EXPECT_EQ(DPlay_SharedCount(), 0);
  EXPECT_TRUE(DPlay_QueueMessage({1, 1, S("after reset")}));
}

}  // namespace
