#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/stream.h"
#include "script/global_variables.h"
#include "script/save_bytes.h"
#include "script/variable_list.h"
#include "support/console_capture.h"

namespace {

constexpr int32_t kA = 100000;
constexpr int32_t Index(int32_t row, int32_t column) { return row * kArrayRowStride + column; }

std::vector<uint8_t> Saved(const CVariableList& list) {
  SaveWriter out;
  list.Save(out);
  return out.Bytes();
}

// Ragged rows, strings in the plain value and in items, and several ids in one bucket.
void Fill(CVariableList& list) {
  list.Set(kA, 0, ScriptValue::String("plain"));
  list.Set(kA, Index(0, 2), ScriptValue(1.5));
  list.Set(kA, Index(2, 0), ScriptValue::String("row two"));
  list.Set(kA + 64, 0, ScriptValue(-3.0));
  list.Set(kA + 128, Index(1, 4), ScriptValue::String(""));
  list.Set(kA + 7, 0, ScriptValue(2.0));
}

class Bytes {
 public:
  Bytes& I(int32_t v) { return Put(&v, 4); }
  Bytes& D(double v) { return Put(&v, 8); }
  Bytes& S(const char* s) {
    I(static_cast<int32_t>(std::strlen(s)));
    return Put(s, std::strlen(s));
  }
  std::vector<uint8_t> bytes;

 private:
  Bytes& Put(const void* p, size_t n) {
    auto* b = static_cast<const uint8_t*>(p);
    bytes.insert(bytes.end(), b, b + n);
    return *this;
  }
};

TEST(VariableSave, SectionLayout) {
  CVariableList list;
  list.Set(kA + 64, 0, ScriptValue(2.0));
  list.Set(kA, Index(1, 0), ScriptValue::String("ab"));
  // Bucket 32 (100000 & 63) holds both ids, newest first.
  std::vector<uint8_t> expected = Bytes()
                                      .I(442).I(2)
                                      .I(kA).I(0).D(0.0).S("").I(2)
                                      .I(0)
                                      .I(1).I(1).D(0.0).S("ab")
                                      .I(kA + 64).I(0).D(2.0).S("").I(0)
                                      .bytes;
  EXPECT_EQ(Saved(list), expected);
}

TEST(VariableSave, RoundTripIsByteExact) {
  CVariableList list;
  Fill(list);
  std::vector<uint8_t> first = Saved(list);

  ConsoleCapture capture;
  CVariableList loaded;
  SaveReader in(first);
  ASSERT_TRUE(loaded.Load(in));
  EXPECT_EQ(in.Position(), first.size());
  EXPECT_EQ(Saved(loaded), first);
  EXPECT_EQ(capture.Text().rfind(std::string(45, '!') + "\n", 0), 0u);

  // A copy saves the same bytes too.
  CVariableList copy;
  copy.CopyFrom(loaded);
  EXPECT_EQ(Saved(copy), first);

  // Every item keeps its kind and every row its length.
  ScriptValue out;
  ASSERT_TRUE(loaded.Get(kA + 128, Index(1, 4), out));
  EXPECT_TRUE(out.IsString());
  EXPECT_EQ(loaded.FindNode(kA)->rows[0].items.size(), 3u);
  EXPECT_EQ(loaded.FindNode(kA)->rows[1].items.size(), 0u);
  EXPECT_EQ(loaded.FindNode(kA)->rows[2].items.size(), 1u);
}

TEST(VariableSave, ThroughTheByteStream) {
  CVariableList list;
  Fill(list);
  Variable_Global_Init();
  Variable_Global_Set(kA + 2, 0, ScriptValue::String("g"));
  CStream stream;
  stream.WriteInteger(99);  // the sections sit wherever the saved game has got to
  list.Save(stream);
  Variable_Global_Save(stream);
  int64_t end = stream.GetPosition();
  std::vector<uint8_t> written(stream.GetBuffer() + 4, stream.GetBuffer() + end);
  std::vector<uint8_t> expected = Saved(list);
  SaveWriter globals;
  Variable_Global_Save(globals);
  expected.insert(expected.end(), globals.Bytes().begin(), globals.Bytes().end());
  EXPECT_EQ(written, expected);

  ConsoleCapture capture;
  Variable_Global_Init();
  stream.SetPosition(4);
  CVariableList loaded;
  ASSERT_TRUE(loaded.Load(stream));
  ASSERT_TRUE(Variable_Global_Load(stream));
  EXPECT_EQ(stream.GetPosition(), end);
  EXPECT_EQ(Saved(loaded), Saved(list));
  ScriptValue out;
  ASSERT_TRUE(Variable_Global_Get(kA + 2, 0, out));
  EXPECT_EQ(out.Text(), "g");

  // A refused section leaves the position alone.
  stream.SetPosition(0);
  EXPECT_FALSE(loaded.Load(stream));
  EXPECT_EQ(stream.GetPosition(), 0);
  Variable_FreeAll();
}

TEST(VariableSave, TruncatedOrDamagedSectionIsRefusedAndChangesNothing) {
  CVariableList source;
  Fill(source);
  std::vector<uint8_t> full = Saved(source);

  ConsoleCapture capture;
  for (size_t length = 0; length < full.size(); ++length) {
    CVariableList target;
    target.Set(kA, 0, ScriptValue(42.0));
    std::vector<uint8_t> before = Saved(target);
    SaveReader in(full.data(), length);
    EXPECT_FALSE(target.Load(in)) << "length " << length;
    EXPECT_EQ(Saved(target), before) << "length " << length;
  }

  struct Damage {
    const char* what;
    std::vector<uint8_t> bytes;
  } damages[] = {
      {"unknown tag", Bytes().I(443).I(0).bytes},
      {"huge count", Bytes().I(442).I(0x7fffffff).I(kA).bytes},
      {"negative count", Bytes().I(442).I(-1).bytes},
      {"unknown kind", Bytes().I(442).I(1).I(kA).I(2).D(0).S("").I(0).bytes},
      {"negative string length", Bytes().I(442).I(1).I(kA).I(1).D(0).I(-4).I(0).bytes},
      {"string past the end", Bytes().I(442).I(1).I(kA).I(1).D(0).I(1000).I(0).bytes},
      {"negative row count", Bytes().I(442).I(1).I(kA).I(0).D(0).S("").I(-1).bytes},
      {"huge row count", Bytes().I(442).I(1).I(kA).I(0).D(0).S("").I(0x40000000).bytes},
      {"huge item count", Bytes().I(442).I(1).I(kA).I(0).D(0).S("").I(1).I(0x7fffffff).bytes},
      {"old form, huge size", Bytes().I(441).I(1).I(kA).I(0).D(0).S("").I(0x7fffffff).bytes},
      {"old form, negative size", Bytes().I(441).I(1).I(kA).I(0).D(0).S("").I(-1).bytes},
  };
  for (const auto& damage : damages) {
    CVariableList target;
    SaveReader in(damage.bytes);
    EXPECT_FALSE(target.Load(in)) << damage.what;
    EXPECT_EQ(target.Count(), 0) << damage.what;
  }
}

// Damaged sections of every shape: random bytes changed in a valid one. Each load either
// works or is refused; none reads outside its bytes (the sanitizer build checks that).
TEST(VariableSave, MutatedSectionsNeverReadOutOfBounds) {
  CVariableList source;
  Fill(source);
  const std::vector<uint8_t> full = Saved(source);
  ConsoleCapture capture;
  uint32_t state = 12345;
  auto next = [&state] { return (state = state * 214013u + 2531011u) >> 16; };
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes = full;
    for (int flips = 1 + next() % 4; flips > 0; --flips) {
      bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
    }
    bytes.resize(bytes.size() - next() % 8);
    for (int32_t tag : {441, 442}) {
      std::memcpy(bytes.data(), &tag, 4);
      CVariableList target;
      SaveReader in(bytes);
      if (target.Load(in)) {
        EXPECT_LE(in.Position(), bytes.size());
      } else {
        EXPECT_EQ(target.Count(), 0);
      }
    }
    capture.Clear();
  }
}

TEST(VariableSave, OlderForms) {
  ConsoleCapture capture;
  // 441: one size word, rows = size / 32000, every row that many columns.
  std::vector<uint8_t> rectangular = Bytes()
                                         .I(441).I(1)
                                         .I(kA).I(0).D(5.0).S("")
                                         .I(Index(2, 1))
                                         .I(0).D(1.0).S("")
                                         .I(1).D(0.0).S("x")
                                         .bytes;
  CVariableList list;
  SaveReader in(rectangular);
  ASSERT_TRUE(list.Load(in));
  const VariableNode* node = list.FindNode(kA);
  ASSERT_EQ(node->rows.size(), 2u);
  EXPECT_EQ(node->rows[0].items.size(), 1u);
  EXPECT_EQ(node->rows[1].items.size(), 1u);
  EXPECT_TRUE(node->rows[0].items[0].SameAs(ScriptValue(1.0)));
  EXPECT_EQ(node->rows[1].items[0].Text(), "x");

  // 440 has today's layout.
  std::vector<uint8_t> old = Bytes().I(440).I(1).I(kA + 1).I(1).D(0).S("s").I(0).bytes;
  SaveReader oldIn(old);
  ASSERT_TRUE(list.Load(oldIn));
  ScriptValue out;
  ASSERT_TRUE(list.Get(kA + 1, 0, out));
  EXPECT_EQ(out.Text(), "s");
  EXPECT_EQ(list.Count(), 2);  // merged: the earlier variable stays
}

TEST(VariableSave, LoadMergesAndLogs) {
  Variable_SetNameFunction([](int32_t id) { return "v" + std::to_string(id - kA); });
  CVariableList saved;
  saved.Set(kA, 1, ScriptValue(9.0));
  std::vector<uint8_t> bytes = Saved(saved);

  CVariableList list;
  list.Set(kA, 0, ScriptValue::String("replaced"));
  list.Set(kA + 1, 0, ScriptValue(7.0));
  ConsoleCapture capture;
  SaveReader in(bytes);
  ASSERT_TRUE(list.Load(in));
  EXPECT_EQ(capture.Text(), std::string(45, '!') + "\nv0 = { { 0 ,9},   }\n");
  ScriptValue out;
  list.Get(kA, 0, out);
  EXPECT_TRUE(out.SameAs(ScriptValue(0.0)));
  list.Get(kA + 1, 0, out);
  EXPECT_TRUE(out.SameAs(ScriptValue(7.0)));
  Variable_SetNameFunction(nullptr);
}

TEST(GlobalVariables, SectionRoundTripMergeAndRefusal) {
  ConsoleCapture capture;
  Variable_Global_Init();
  Fill(Variable_GlobalList());
  Variable_DeclareGlobalVar(kA + 3);
  SaveWriter out;
  Variable_Global_Save(out);
  const std::vector<uint8_t> bytes = out.Bytes();
  ASSERT_EQ(bytes.size(), 4 + Saved(Variable_GlobalList()).size() + 4 + 4 * 10000);

  // A global the save does not hold keeps its value; the stored ones come back.
  Variable_Global_Init();
  Variable_DeclareGlobalVar(kA + 10500);
  Variable_Global_Set(kA + 999, 0, ScriptValue(5.0));
  Variable_Global_Set(kA, 0, ScriptValue(1.0));
  SaveReader in(bytes);
  ASSERT_TRUE(Variable_Global_Load(in));
  EXPECT_EQ(Variable_GlobalVarFlagCount(), 10000);
  EXPECT_TRUE(Variable_IsGlobalVar(kA + 3));
  EXPECT_FALSE(Variable_IsGlobalVar(kA + 10500));
  ScriptValue value;
  ASSERT_TRUE(Variable_Global_Get(kA + 999, 0, value));
  EXPECT_EQ(value.real, 5.0);
  ASSERT_TRUE(Variable_Global_Get(kA, 0, value));
  EXPECT_EQ(value.Text(), "plain");

  // Into fresh globals the section saves back byte for byte.
  Variable_Global_Init();
  SaveReader again(bytes);
  ASSERT_TRUE(Variable_Global_Load(again));
  SaveWriter second;
  Variable_Global_Save(second);
  EXPECT_EQ(second.Bytes(), bytes);

  // Cut anywhere, or under another tag, nothing changes.
  for (size_t length : {size_t{0}, size_t{3}, size_t{4}, size_t{20}, bytes.size() - 4,
                        bytes.size() - 1}) {
    Variable_Global_Init();
    Variable_Global_Set(kA + 1, 0, ScriptValue(8.0));
    SaveReader cut(bytes.data(), length);
    EXPECT_FALSE(Variable_Global_Load(cut)) << length;
    EXPECT_EQ(Variable_GlobalList().Count(), 1) << length;
    EXPECT_FALSE(Variable_IsGlobalVar(kA + 3)) << length;
    EXPECT_EQ(Variable_GlobalVarFlagCount(), 10000) << length;
  }
  std::vector<uint8_t> wrongTag = bytes;
  wrongTag[0] = 0xBD;  // 700 -> 701
  SaveReader wrong(wrongTag);
  EXPECT_FALSE(Variable_Global_Load(wrong));
  Variable_FreeAll();
}

TEST(GlobalVariables, FlagsGrowInThousands) {
  Variable_Global_Init();
  EXPECT_EQ(Variable_GlobalVarFlagCount(), 10000);
  Variable_DeclareGlobalVar(kA + 10500);
  EXPECT_EQ(Variable_GlobalVarFlagCount(), 11000);
  Variable_DeclareGlobalVar(kA + 13000);
  EXPECT_EQ(Variable_GlobalVarFlagCount(), 14000);
  EXPECT_TRUE(Variable_IsGlobalVar(kA + 13000));
  EXPECT_FALSE(Variable_IsGlobalVar(kA + 12999));
  EXPECT_FALSE(Variable_IsGlobalVar(kA + 20000));
  EXPECT_FALSE(Variable_IsGlobalVar(kA - 1));
  EXPECT_NE(Variable_GlobalList().FindNode(kA + 13000), nullptr);
  Variable_DeclareGlobalVar(5);  // a built-in variable: ignored
  EXPECT_EQ(Variable_GlobalList().Count(), 2);
  Variable_FreeAll();
  EXPECT_EQ(Variable_GlobalVarFlagCount(), 0);
}

}  // namespace
