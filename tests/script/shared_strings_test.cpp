// String values share their bytes: a copy costs a count, and whoever changes the bytes gets
// bytes of its own, on every executor, through script calls and in array elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "executors_fixture.h"
#include "platform/byte_codec.h"
#include "script/script_value.h"
#include "script/value_row.h"

namespace vmtest {
namespace {

TEST(SharedStrings, AWriterNeverChangesTheBytesOfAnotherValue) {
  ScriptValue a = ScriptValue::String("ab");
  ScriptValue b = a;
  b.AppendText("c");
  ScriptValue c = b;
  c.SetString(c.Text().substr(1));  // from its own bytes
  c.AppendText(c.Text());           // and again
  EXPECT_EQ(a.Text(), "ab");
  EXPECT_EQ(b.Text(), "abc");
  EXPECT_EQ(c.Text(), "bcbc");
  EXPECT_STREQ(c.CStr(), "bcbc");

  // A value held once grows in place; the bytes stay NUL-ended for C callers.
  ScriptValue grown = ScriptValue::String("");
  for (int i = 0; i < 1000; ++i) grown.AppendText("xy");
  EXPECT_EQ(grown.Text().size(), 2000u);
  EXPECT_EQ(grown.CStr()[2000], '\0');

  ScriptValue moved = std::move(grown);
  EXPECT_EQ(moved.Text().size(), 2000u);
  moved = moved;  // a value assigned to itself keeps its bytes
  EXPECT_EQ(moved.Text().size(), 2000u);

  ScriptValue emptied = a;
  emptied.DropText();
  EXPECT_TRUE(emptied.IsString());
  EXPECT_EQ(emptied.Text(), "");
  EXPECT_EQ(a.Text(), "ab");
}

TEST(SharedStrings, KindsAndTheKeptRealRoundTripThroughTheByteForm) {
  ScriptValue text;
  text.SetString("hi", 2.5);  // the real a stored string was saved with
  ScriptValue empty;
  empty.SetKindAndReal(ValueKind::String, -1.0);
  ScriptValue marked;
  marked.SetKindAndReal(static_cast<ValueKind>(0x40000000), 7.0);
  const std::vector<ScriptValue> values{ScriptValue::Real(-0.0), text, empty, marked};

  ByteWriter out;
  for (const ScriptValue& v : values) out.WriteValue(v);
  const std::vector<uint8_t> bytes = out.Bytes();
  ByteReader in(bytes);
  for (const ScriptValue& v : values) {
    ScriptValue back;
    ASSERT_TRUE(in.ReadContainerValue(back));
    EXPECT_TRUE(back.SameAs(v)) << static_cast<int32_t>(v.Kind());
    EXPECT_EQ(back.Kind(), v.Kind());
  }
  // Copies keep the kind and the real too.
  ScriptValue copy = marked;
  EXPECT_EQ(copy.Kind(), static_cast<ValueKind>(0x40000000));
  EXPECT_EQ(copy.real, 7.0);
  copy = text;
  EXPECT_EQ(copy.StoredReal(), 2.5);
}

TEST(SharedStrings, ArrayRowsGrowWithRealZerosAndCopyTheirValues) {
  ValueRow row;
  row.At(2).SetString("third");
  row.At(4000).SetReal(9);
  ASSERT_EQ(row.size(), 4001u);
  for (size_t i : {size_t{0}, size_t{1}, size_t{3}, size_t{3999}}) {
    EXPECT_TRUE(row[i].IsReal());
    EXPECT_EQ(row[i].real, 0.0);
  }
  ValueRow copy = row;
  copy[2].AppendText("!");
  EXPECT_EQ(row[2].Text(), "third");
  EXPECT_EQ(copy[2].Text(), "third!");
  copy.resize(1);
  row = copy;
  EXPECT_EQ(row.size(), 1u);
  row.resize(3);
  EXPECT_TRUE(row[2].IsReal());
}

// A string passes through scripts, arguments, locals and array elements; every change
// stays with the value it was made on.
TEST_F(ExecutorsTest, StringsCopiedThroughScriptsAndArraysKeepTheirOwnBytes) {
  AddScript("str_wrap", "return argument0 + argument0;");
  AddScript("str_grow",
            "var w; w = argument0; w += \"c\"; return str_wrap(w);");
  const std::string program =
      "var s, t, u, g; s = \"ab\"; t = str_grow(s); u[2] = t; u[1] = s; u[1] += \"!\";"
      "g[1, 3] = u[1]; g[1, 3] += \"?\"; t += \"\";"
      "r = s + \"|\" + t + \"|\" + u[1] + \"|\" + u[2] + \"|\" + g[1, 3];"
      "if (u[0] == 0 && g[1, 2] == 0 && g[0, 0] == 0) r += \"|zeros\";";
  for (Executor executor : {Executor::Decoded, Executor::ByteLoop, Executor::Tree}) {
    const Outcome out = RunOn(executor, program);
    EXPECT_EQ(out.error, "") << ExecutorName(executor);
    EXPECT_EQ(out.r.Text(), "ab|abcabc|ab!|abcabc|ab!?|zeros") << ExecutorName(executor);
  }
}

}  // namespace
}  // namespace vmtest
