#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ds_containers.h"
#include "platform/ds_map.h"

namespace {

ScriptValue R(double r) { return ScriptValue::Real(r); }
ScriptValue S(std::string s) { return ScriptValue::String(std::move(s)); }

TEST(DSTextForms, StackOfARealAndATwoLetterString) {
  CDS_Stack stack;
  stack.Push(R(1));
  stack.Push(S("ab"));
  const std::string expected =
      "65000000" "02000000"
      "00000000" "000000000000F03F" "00000000"
      "01000000" "0000000000000000" "02000000" "6162";
  EXPECT_EQ(stack.Write(), expected);
  CDS_Stack back;
  back.Push(S("old"));
  ASSERT_TRUE(back.Read(expected));
  EXPECT_EQ(back.Size(), 2);
  EXPECT_EQ(back.Pop()->Text(), "ab");
  EXPECT_EQ(back.Pop()->real, 1);
  ASSERT_TRUE(back.Read("650000000100000001000000000000000000f03f0100000041"));  // either case of digit
  EXPECT_EQ(back.Top()->Text(), "A");
  EXPECT_EQ(back.Top()->real, 1.0);  // a string's real field travels as held
}

TEST(DSTextForms, QueueWritesEverySlot) {
  CDS_Queue queue;
  queue.Enqueue(S("gone"));
  queue.Enqueue(R(2));
  queue.Dequeue();
  std::string text = queue.Write();
  // magic, tail 2, head 1, capacity 16, then 16 values starting with the dequeued one.
  EXPECT_EQ(text.substr(0, 32), "C9000000" "02000000" "01000000" "10000000");
  EXPECT_EQ(text.substr(32, 40), "01000000" "0000000000000000" "04000000" "676F6E65");
  CDS_Queue back;
  ASSERT_TRUE(back.Read(text));
  EXPECT_EQ(back.Write(), text);
  EXPECT_EQ(back.Capacity(), 16);
  EXPECT_EQ(back.Size(), 1);
  EXPECT_EQ(back.Dequeue()->real, 2);
}

TEST(DSTextForms, ListPriorityAndGridRoundTrip) {
  CDS_List list;
  list.Add(R(1));
  list.Add(S("ab"));
  list.Add(S(""));
  list.Add(R(-2.5e-300));
  EXPECT_EQ(list.Write().substr(0, 8), "2D010000");
  CDS_List listBack;
  ASSERT_TRUE(listBack.Read(list.Write()));
  EXPECT_EQ(listBack.Write(), list.Write());
  EXPECT_EQ(listBack.Capacity(), 4);  // exactly the count
  EXPECT_TRUE(listBack.FindValue(2)->IsString());

  CDS_Priority priority;
  priority.Add(S("low"), R(1));
  priority.Add(R(42), S("p"));
  std::string ptext = priority.Write();
  // magic 501, count 2, then the two priorities, then the two values.
  EXPECT_EQ(ptext.substr(0, 16), "F501000002000000");
  EXPECT_EQ(ptext.substr(16, 24), "00000000000000000000F03F");
  CDS_Priority priorityBack;
  ASSERT_TRUE(priorityBack.Read(ptext));
  EXPECT_EQ(priorityBack.Write(), ptext);
  EXPECT_EQ(priorityBack.Capacity(), 2);
  EXPECT_EQ(priorityBack.FindMin()->Text(), "low");

  CDS_Grid grid(3, 2);
  grid.OperateCell(1, 2, 0, S("x"));
  grid.OperateCell(1, 0, 1, R(5));
  std::string gtext = grid.Write();
  EXPECT_EQ(gtext.substr(0, 24), "59020000" "03000000" "02000000");
  // Column by column: (0,0) then (0,1).
  EXPECT_EQ(gtext.substr(24 + 32, 32), "00000000" "0000000000001440" "00000000");
  CDS_Grid gridBack(7, 7);
  ASSERT_TRUE(gridBack.Read(gtext));
  EXPECT_EQ(gridBack.Width(), 3);
  EXPECT_EQ(gridBack.Height(), 2);
  EXPECT_EQ(gridBack.Get(2, 0)->Text(), "x");
  EXPECT_EQ(gridBack.Write(), gtext);

  CDS_Stack empty;
  CDS_Stack emptyBack;
  emptyBack.Push(R(1));
  ASSERT_TRUE(emptyBack.Read(empty.Write()));
  EXPECT_TRUE(emptyBack.Empty());
}

TEST(DSTextForms, AnotherFamilysTextIsRefused) {
  CDS_Queue queue;
  queue.Enqueue(R(1));
  CDS_List list;
  list.Add(S("stays"));
  EXPECT_FALSE(list.Read(queue.Write()));
  EXPECT_EQ(list.Size(), 1);
  EXPECT_EQ(list.FindValue(0)->Text(), "stays");
}

// A container of each family, its text, and a way to read a text into a filled one
// and tell whether it was left unchanged.
struct Family {
  const char* name;
  std::string text;
  std::function<bool(const std::string&, bool& unchanged)> read;
};

template <typename T>
Family MakeFamily(const char* name, const T& sample, const T& occupant) {
  return Family{name, sample.Write(), [occupant](const std::string& text, bool& unchanged) {
                  T target;
                  target.Copy(occupant);
                  bool ok = target.Read(text);
                  unchanged = target.Write() == occupant.Write();
                  return ok;
                }};
}

std::vector<Family> Families() {
  CDS_Stack stack, stackOccupant;
  stack.Push(R(1));
  stack.Push(S("two"));
  stackOccupant.Push(S("occupant"));
  CDS_Queue queue, queueOccupant;
  queue.Enqueue(S("q"));
  queue.Enqueue(R(3));
  queue.Dequeue();
  queueOccupant.Enqueue(S("occupant"));
  CDS_List list, listOccupant;
  list.Add(S("l"));
  list.Add(R(4));
  listOccupant.Add(S("occupant"));
  CDS_Priority priority, priorityOccupant;
  priority.Add(S("v"), R(1));
  priority.Add(R(2), S("p"));
  priorityOccupant.Add(S("occupant"), R(0));
  CDS_Grid grid(2, 2), gridOccupant(1, 1);
  grid.OperateCell(1, 1, 1, S("g"));
  gridOccupant.OperateCell(1, 0, 0, S("occupant"));
  return {MakeFamily("stack", stack, stackOccupant), MakeFamily("queue", queue, queueOccupant),
          MakeFamily("list", list, listOccupant), MakeFamily("priority", priority, priorityOccupant),
          MakeFamily("grid", grid, gridOccupant)};
}

TEST(DSTextForms, EveryTruncationIsRefused) {
  for (const Family& family : Families()) {
    bool unchanged = false;
    ASSERT_TRUE(family.read(family.text, unchanged)) << family.name;
    for (size_t length = 0; length < family.text.size(); ++length) {
      EXPECT_FALSE(family.read(family.text.substr(0, length), unchanged)) << family.name << " " << length;
      EXPECT_TRUE(unchanged) << family.name << " " << length;
    }
  }
}

TEST(DSTextForms, HostileTextsAreRefused) {
  const std::string value = "00000000" "0000000000000000" "00000000";  // the real 0
  struct Case {
    const char* what;
    std::string text;
  };
  const Case stackCases[] = {
      {"not hex", "65000000ZZ000000"},
      {"huge count", "65000000FFFFFF7F" + value},
      {"negative count", "65000000FFFFFFFF" + value},
      {"unknown kind", "6500000001000000" "02000000" "0000000000000000" "00000000"},
      {"negative string length", "6500000001000000" "01000000" "0000000000000000" "FFFFFFFF"},
      {"string past the end", "6500000001000000" "01000000" "0000000000000000" "10000000" "6162"},
  };
  for (const Case& c : stackCases) {
    CDS_Stack stack;
    stack.Push(R(9));
    EXPECT_FALSE(stack.Read(c.text)) << c.what;
    EXPECT_EQ(stack.Size(), 1) << c.what;
  }
  const Case queueCases[] = {
      {"head past tail", "C9000000" "00000000" "01000000" "01000000" + value},
      {"tail past capacity", "C9000000" "02000000" "00000000" "01000000" + value},
      {"negative head", "C9000000" "00000000" "FFFFFFFF" "01000000" + value},
      {"capacity beyond the text", "C9000000" "00000000" "00000000" "00000010" + value},
  };
  for (const Case& c : queueCases) {
    CDS_Queue queue;
    EXPECT_FALSE(queue.Read(c.text)) << c.what;
    EXPECT_EQ(queue.Capacity(), 0) << c.what;
  }
  const Case gridCases[] = {
      {"cells beyond the text", "59020000" "00100000" "00100000" + value},
      {"negative width", "59020000" "FFFFFFFF" "01000000" + value},
      {"product overflows 32 bits", "59020000" "00000100" "00000100" + value},
      {"wide and empty", "59020000" "FFFFFF7F" "00000000"},
  };
  for (const Case& c : gridCases) {
    CDS_Grid grid(1, 1);
    EXPECT_FALSE(grid.Read(c.text)) << c.what;
    EXPECT_EQ(grid.Width(), 1) << c.what;
  }
  CDS_Priority priority;
  EXPECT_FALSE(priority.Read("F5010000" "01000000" + value)) << "values missing after the priorities";
  // An odd last character is ignored, as are bytes after the content.
  CDS_List list;
  EXPECT_TRUE(list.Read("2D01000000000000" "F"));
  EXPECT_TRUE(list.Read("2D01000000000000" "ABCD"));
}

}  // namespace

namespace {

// Random damage to valid texts: reads either refuse or give a container that writes again.
TEST(DSTextForms, RandomDamageIsReadSafely) {
  uint32_t state = 12345;
  auto next = [&](uint32_t n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  const char kAlphabet[] = "0123456789ABCDEFabcdef:,xZ\0";
  std::vector<std::string> texts;
  for (const Family& family : Families()) texts.push_back(family.text);
  CDS_Map map;
  map.Add(ScriptValue::String("key"), ScriptValue::Real(1.5));
  map.Add(ScriptValue::Real(-2), ScriptValue::String("v"));
  texts.push_back(map.Write());
  for (const std::string& original : texts) {
    for (int round = 0; round < 2000; ++round) {
      std::string text = original;
      for (uint32_t edits = 1 + next(3); edits > 0 && !text.empty(); --edits) {
        size_t at = next(uint32_t(text.size()));
        char c = kAlphabet[next(sizeof kAlphabet - 1)];
        switch (next(3)) {
          case 0: text[at] = c; break;
          case 1: text.insert(text.begin() + std::ptrdiff_t(at), c); break;
          default: text.erase(at, 1 + next(8)); break;
        }
      }
      CDS_Stack stack;
      CDS_Queue queue;
      CDS_List list;
      CDS_Priority priority;
      CDS_Grid grid;
      CDS_Map damaged;
      if (stack.Read(text)) stack.Write();
      if (queue.Read(text)) {
        queue.Write();
        while (queue.Dequeue()) {
        }
      }
      if (list.Read(text)) list.Sort(1);
      if (priority.Read(text)) priority.DeleteMax();
      if (grid.Read(text)) grid.GetSum(0, 0, grid.Width(), grid.Height());
      if (damaged.Read(text)) {
        EXPECT_TRUE(damaged.Read(damaged.Write()));
      }
    }
  }
}

}  // namespace
