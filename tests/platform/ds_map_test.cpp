#include "platform/ds_map.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

ScriptValue R(double r) { return ScriptValue::Real(r); }
ScriptValue S(std::string s) { return ScriptValue::String(std::move(s)); }

std::vector<std::string> KeyOrder(const CDS_Map& map) {
  std::vector<std::string> keys;
  for (const DSMapEntry* e = map.FindFirst(); e; e = map.FindNext(e->key))
    keys.push_back(e->key.IsString() ? std::string(e->key.Text()) : std::to_string(e->key.real));
  return keys;
}

// Two keys that share a bucket but not a hash, found among "k0", "k1", ...
std::pair<std::string, std::string> SameBucketKeys() {
  std::map<uint32_t, std::string> byBucket;
  for (int i = 0;; ++i) {
    std::string key = "k" + std::to_string(i);
    uint32_t bucket = DSMap_KeyHash(S(key)) & CDS_Map::kBucketMask;
    auto [it, inserted] = byBucket.emplace(bucket, key);
    if (!inserted && DSMap_KeyHash(S(it->second)) != DSMap_KeyHash(S(key))) return {it->second, key};
  }
}

TEST(DSMap, KeysOfDifferentKindsAndRepeatedAdds) {
  CDS_Map map;
  EXPECT_TRUE(map.Add(R(1), S("real one")));
  EXPECT_TRUE(map.Add(S("1"), S("text one")));
  EXPECT_EQ(map.Size(), 2);
  EXPECT_TRUE(map.Add(S("key"), R(1)));
  EXPECT_FALSE(map.Add(S("key"), R(2)));
  EXPECT_EQ(map.Find(S("key"))->value.real, 1);
  EXPECT_EQ(map.Find(R(1))->value.Text(), "real one");
  EXPECT_EQ(DSMapEntry_GetValue(*map.Find(S("1"))).Text(), "text one");
  EXPECT_TRUE(map.Replace(S("key"), S("new")));
  EXPECT_FALSE(map.Replace(S("other"), R(5)));
  EXPECT_EQ(map.Find(S("key"))->value.Text(), "new");
  EXPECT_EQ(map.Find(S("other"))->value.real, 5);
  EXPECT_FALSE(map.Exists(S("missing")));
  map.Delete(S("missing"));
  map.Delete(R(1));
  EXPECT_FALSE(map.Exists(R(1)));
  EXPECT_TRUE(map.Exists(S("1")));
  EXPECT_EQ(map.Size(), 3);
  map.Clear();
  EXPECT_TRUE(map.Empty());
  EXPECT_EQ(map.FindFirst(), nullptr);
  EXPECT_EQ(map.FindLast(), nullptr);
}

TEST(DSMap, KeysWithTheSameCrcStayApart) {
  ASSERT_EQ(DSMap_KeyHash(S("plumless")), DSMap_KeyHash(S("buckeroo")));
  CDS_Map map;
  EXPECT_TRUE(map.Add(S("plumless"), R(1)));
  EXPECT_TRUE(map.Add(S("buckeroo"), R(2)));
  EXPECT_EQ(map.Find(S("plumless"))->value.real, 1);
  EXPECT_EQ(map.Find(S("buckeroo"))->value.real, 2);
  EXPECT_EQ(KeyOrder(map), (std::vector<std::string>{"plumless", "buckeroo"}));
  map.Delete(S("plumless"));
  EXPECT_EQ(map.Find(S("buckeroo"))->value.real, 2);
  EXPECT_FALSE(map.Exists(S("plumless")));
}

TEST(DSMap, IterationFollowsBucketsThenInsertion) {
  // Buckets: "b" 6, "a" 444, "x" 2428.
  CDS_Map map;
  for (const char* k : {"x", "a", "b"}) map.Add(S(k), R(0));
  EXPECT_EQ(KeyOrder(map), (std::vector<std::string>{"b", "a", "x"}));
  auto [first, second] = SameBucketKeys();
  CDS_Map pair;
  pair.Add(S(second), R(0));
  pair.Add(S(first), R(0));
  EXPECT_EQ(KeyOrder(pair), (std::vector<std::string>{second, first}));
  EXPECT_EQ(map.FindFirst()->key.Text(), "b");
  EXPECT_EQ(map.FindLast()->key.Text(), "x");
  EXPECT_EQ(map.FindPrevious(S("x"))->key.Text(), "a");
  EXPECT_EQ(map.FindPrevious(S("b")), nullptr);
  EXPECT_EQ(map.FindNext(S("x")), nullptr);
  EXPECT_EQ(map.FindNext(S("nope")), nullptr);
  EXPECT_EQ(map.FindPrevious(S("nope")), nullptr);
  EXPECT_EQ(pair.FindPrevious(S(first))->key.Text(), second);
  CDS_Map copy;
  copy.Add(S("stale"), R(1));
  copy.Copy(map);
  EXPECT_EQ(KeyOrder(copy), KeyOrder(map));
  EXPECT_FALSE(copy.Exists(S("stale")));
}

// Thousands of keys (reals in steps that share low bits, and texts), half deleted in a
// scattered order: every key left is found with its value, every deleted one is gone, and
// the iteration visits exactly the keys left.
TEST(DSMap, ManyKeysSurviveScatteredDeletes) {
  CDS_Map map;
  constexpr int kKeys = 6000;
  auto keyOf = [](int i) { return i % 3 == 0 ? S("key" + std::to_string(i)) : R(i * 65536.0); };
  for (int i = 0; i < kKeys; ++i) ASSERT_TRUE(map.Add(keyOf(i), R(i)));
  for (int i = 0; i < kKeys; ++i) {
    if ((i * 7919) % 2 == 0) map.Delete(keyOf((i * 7919) % kKeys));
  }
  int left = 0;
  for (int i = 0; i < kKeys; ++i) {
    const DSMapEntry* entry = map.Find(keyOf(i));
    if (i % 2 == 0) {
      EXPECT_EQ(entry, nullptr) << i;
    } else {
      ASSERT_NE(entry, nullptr) << i;
      EXPECT_EQ(entry->value.real, i);
      ++left;
    }
  }
  EXPECT_EQ(map.Size(), left);
  EXPECT_EQ(static_cast<int>(KeyOrder(map).size()), left);
  EXPECT_TRUE(map.Replace(keyOf(1), R(-1)));
  EXPECT_FALSE(map.Replace(keyOf(0), R(-2)));
  EXPECT_EQ(map.Find(keyOf(0))->value.real, -2);
}

// A key a read text gives twice: deleting it deletes the first entry, and the second then
// answers for the key.
TEST(DSMap, DeletingARepeatedKeyUncoversItsSecondEntry) {
  CDS_Map map;
  ASSERT_TRUE(map.Read("1:61:3FF0,1:61:4000,1:62:4008"));
  EXPECT_EQ(map.Find(S("a"))->value.real, 1);
  map.Delete(S("a"));
  ASSERT_TRUE(map.Exists(S("a")));
  EXPECT_EQ(map.Find(S("a"))->value.real, 2);
  map.Delete(S("a"));
  EXPECT_FALSE(map.Exists(S("a")));
  EXPECT_EQ(map.Size(), 1);
  CDS_Map copy;
  map.Add(S("c"), R(4));
  copy.Copy(map);
  EXPECT_EQ(copy.Find(S("c"))->value.real, 4);
  EXPECT_EQ(KeyOrder(copy), KeyOrder(map));
}

TEST(DSMapText, WritesTheKindDigitAndTokens) {
  CDS_Map map;
  EXPECT_EQ(map.Write(), "");
  map.Add(S("a"), R(1));
  EXPECT_EQ(map.Write(), "1:61:3FF0");
  CDS_Map zero;
  zero.Add(R(0.0), R(0.0));
  EXPECT_EQ(zero.Write(), "0::");
  CDS_Map mixed;
  mixed.Add(R(1.0), S(""));       // bucket 3094
  mixed.Add(R(2.0), R(-0.0));     // bucket 262
  mixed.Add(S("b"), S("\x01\xff"));  // bucket 6
  EXPECT_EQ(mixed.Write(), "3:62:01FF,0:40:80,2:3FF0:");
}

TEST(DSMapText, RoundTripsAndKeepsRepeatedKeys) {
  CDS_Map map;
  map.Add(S("name"), S("Kiln"));
  map.Add(R(3.25), R(-1e300));
  map.Add(S(""), R(0.5));
  map.Add(R(-0.0), S("neg zero"));
  CDS_Map back;
  ASSERT_TRUE(back.Read(map.Write()));
  EXPECT_EQ(back.Write(), map.Write());
  EXPECT_EQ(back.Find(R(3.25))->value.real, -1e300);
  EXPECT_EQ(back.Find(S(""))->value.real, 0.5);
  EXPECT_EQ(back.Find(R(-0.0))->value.Text(), "neg zero");
  EXPECT_FALSE(back.Exists(R(0.0)));  // -0.0 and 0.0 are different keys
  ASSERT_TRUE(back.Read("1:61:3FF0,1:61:4000,1:6b6579:"));  // lower-case digits are read too
  EXPECT_EQ(back.Size(), 3);
  EXPECT_EQ(back.Find(S("a"))->value.real, 1);  // the first of the two
  EXPECT_EQ(back.Find(S("key"))->value.real, 0);
  ASSERT_TRUE(back.Read(""));
  EXPECT_TRUE(back.Empty());
}

TEST(DSMapText, MalformedTextsAreRefusedAndChangeNothing) {
  const char* bad[] = {
      "1",          "1:",          "1:61",        "1:61:",  // the last one is well formed: excluded below
      "1:61:3FF0,", ",",           "4:61:00",     "/:61:00",     "1;61:00",    "1:6:00",
      "1:61:3F0",   "1:6G:00",     "0:001122334455667788:00",  "0:00:001122334455667788",
      "1:61:3FF0:00", "1:61:3FF0,,0::", "0::,x",  ":::",     "x",           "0:: ",
  };
  for (const char* text : bad) {
    if (std::string(text) == "1:61:") continue;
    CDS_Map map;
    map.Add(S("kept"), R(7));
    std::string before = map.Write();
    EXPECT_FALSE(map.Read(text)) << text;
    EXPECT_EQ(map.Write(), before) << text;
  }
  CDS_Map map;
  EXPECT_TRUE(map.Read("1:61:"));  // an empty real token is 0
  EXPECT_EQ(map.Find(S("a"))->value.real, 0);
}

TEST(DSTables, IndicesAreReusedAndAsyncMapsAreBuiltFromPairs) {
  DS_ContainerTables tables;
  EXPECT_EQ(tables.lists.Create(), 0);
  EXPECT_EQ(tables.lists.Create(), 1);
  EXPECT_EQ(tables.lists.Create(), 2);
  tables.lists.Destroy(1);
  EXPECT_FALSE(tables.lists.Exists(1));
  EXPECT_FALSE(tables.lists.Exists(-1));
  EXPECT_FALSE(tables.lists.Exists(3));
  EXPECT_EQ(tables.lists.Create(), 1);
  EXPECT_EQ(tables.lists.Count(), 3);

  int32_t index = DSMap_CreateFromPairs({{"id", 4, std::nullopt}, {"result", 0, "body"}, {"id", 9, std::nullopt}});
  CDS_Map* map = DS_Tables().maps.Get(index);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->Size(), 2);
  EXPECT_EQ(map->Find(S("id"))->value.real, 4);
  EXPECT_EQ(map->Find(S("result"))->value.Text(), "body");
  DS_Tables().maps.Destroy(index);
  EXPECT_FALSE(DS_Tables().maps.Exists(index));
}

}  // namespace
