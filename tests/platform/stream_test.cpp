#include "platform/stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/byte_codec.h"
#include "platform/random.h"
#include "support/runner_process.h"

namespace {

std::vector<uint8_t> Bytes(const CStream& s, int64_t count) {
  return std::vector<uint8_t>(s.GetBuffer(), s.GetBuffer() + count);
}

TEST(Stream, GrowthAndEncodingMatchTheFormat) {
  CStream s;
  s.WriteInteger(1);
  EXPECT_EQ(s.GetSize(), 4);
  s.WriteString("abc");
  EXPECT_EQ(s.GetSize(), 16);
  EXPECT_EQ(s.GetPosition(), 11);
  EXPECT_EQ(Bytes(s, 16), (std::vector<uint8_t>{1, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0}));

  CStream ten(10);
  ten.SetPosition(10);
  uint8_t twelve[12] = {};
  EXPECT_EQ(ten.WriteBuffer(twelve, 12), 12);
  EXPECT_EQ(ten.GetSize(), 22);

  CStream real;
  real.WriteReal(1.0);
  EXPECT_EQ(real.GetSize(), 8);
  EXPECT_EQ(Bytes(real, 8), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST(Stream, ValuesRoundTrip) {
  CStream s;
  s.WriteInteger(-2);
  s.WriteReal(-0.1);
  s.WriteBoolean(true);
  s.WriteString(std::string_view("n\0l", 3));
  s.WriteString(nullptr);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadInteger(), -2);
  EXPECT_EQ(s.ReadReal(), -0.1);
  EXPECT_TRUE(s.ReadBoolean());
  EXPECT_EQ(s.ReadString(), std::string("n\0l", 3));
  EXPECT_EQ(s.GetPosition(), 23);
  EXPECT_EQ(s.ReadString(), std::nullopt);  // length 0
  EXPECT_EQ(s.GetPosition(), 27);
  EXPECT_FALSE(s.Overrun());
}

// The checked writer and reader of saved-game sections and ds text forms share the stream's
// encodings: the same values give the same bytes, and each reads what the other wrote.
TEST(Stream, CheckedWriterAndReaderShareTheEncoding) {
  CStream s;
  ByteWriter w;
  s.WriteInteger(-2);
  w.WriteInteger(-2);
  s.WriteReal(-0.1);
  w.WriteReal(-0.1);
  s.WriteBoolean(true);
  w.WriteBoolean(true);
  s.WriteString("abc");
  w.WriteString("abc");
  ASSERT_EQ(s.GetPosition(), static_cast<int64_t>(w.Bytes().size()));
  EXPECT_EQ(Bytes(s, s.GetPosition()), w.Bytes());

  ByteReader r(s.GetBuffer(), static_cast<size_t>(s.GetPosition()));
  int32_t i = 0;
  double d = 0;
  bool b = false;
  std::string text;
  EXPECT_TRUE(r.ReadInteger(i) && r.ReadReal(d) && r.ReadBoolean(b) && r.ReadString(text));
  EXPECT_EQ(i, -2);
  EXPECT_EQ(d, -0.1);
  EXPECT_TRUE(b);
  EXPECT_EQ(text, "abc");
  EXPECT_FALSE(r.ReadInteger(i));  // nothing left: refused, where the stream would read zero
  EXPECT_TRUE(r.Failed());
  EXPECT_EQ(r.Position(), w.Bytes().size());

  CStream back;
  back.Assign(w.Bytes().data(), static_cast<int64_t>(w.Bytes().size()));
  EXPECT_EQ(back.ReadInteger(), -2);
  EXPECT_EQ(back.ReadReal(), -0.1);
  EXPECT_TRUE(back.ReadBoolean());
  EXPECT_EQ(back.ReadString(), "abc");
  EXPECT_FALSE(back.Overrun());
}

TEST(Stream, TruncatedReadsStopAtTheEndAndAreMarked) {
  struct Case {
    const char* label;
    std::vector<uint8_t> bytes;
    int64_t endPosition;
  };
  // Every read below runs out of data; none may touch memory past the block (ASan watches).
  const Case cases[] = {
      {"string length larger than the data", {0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}, 6},
      {"negative string length", {0xFE, 0xFF, 0xFF, 0xFF, 'a'}, 4},
      {"half a length", {5, 0}, 2},
  };
  for (const Case& c : cases) {
    CStream s;
    s.Assign(c.bytes.data(), static_cast<int64_t>(c.bytes.size()));
    std::optional<std::string> text = s.ReadString();
    EXPECT_TRUE(s.Overrun()) << c.label;
    EXPECT_EQ(s.GetPosition(), c.endPosition) << c.label;
    EXPECT_LE(text.value_or("").size(), c.bytes.size()) << c.label;
  }

  CStream s;
  uint8_t three[] = {1, 2, 3};
  s.Assign(three, 3);
  EXPECT_EQ(s.ReadInteger(), 0x030201);
  EXPECT_TRUE(s.Overrun());
  EXPECT_EQ(s.ReadReal(), 0.0);
  EXPECT_FALSE(s.ReadBoolean());
  EXPECT_EQ(s.GetPosition(), 3);

  s.SetPosition(-5);  // a position before the block reads nothing
  EXPECT_EQ(s.ReadInteger(), 0);
  s.SetPosition(1000);
  uint8_t out[4];
  EXPECT_EQ(s.ReadBuffer(out, 4), 0);

  CStream sub;
  uint8_t block[] = {100, 0, 0, 0, 9, 8};
  sub.Assign(block, sizeof block);
  std::unique_ptr<CStream> inner = sub.ReadStream();
  EXPECT_EQ(inner->GetSize(), 2);
  EXPECT_EQ(inner->ReadInteger() & 0xFFFF, 0x0809);
  sub.SetPosition(0);
  EXPECT_EQ(sub.SkipBlock(), 6);
}

TEST(Stream, HexRoundTrip) {
  CStream s;
  uint8_t bytes[] = {0x0A, 0xFF};
  s.WriteBuffer(bytes, 2);
  EXPECT_EQ(s.ToHex(), "0AFF");
  EXPECT_EQ(CStream().ToHex(), std::nullopt);

  CStream back;
  back.FromHex("0aff");
  EXPECT_EQ(back.GetPosition(), 0);
  ASSERT_EQ(back.GetSize(), 2);
  EXPECT_EQ(Bytes(back, 2), (std::vector<uint8_t>{0x0A, 0xFF}));

  back.FromHex("0aF");  // the odd last character is ignored
  EXPECT_EQ(back.GetSize(), 1);
  back.FromHex("01zz02");  // conversion stops at the first pair that is not hexadecimal
  ASSERT_EQ(back.GetSize(), 1);
  EXPECT_EQ(back.GetBuffer()[0], 1);

  Random_SetSeed(3);
  CStream big;
  for (int i = 0; i < 5000; ++i) big.WriteInteger(Random_Next() * 65536 + Random_Next());
  std::optional<std::string> hex = big.ToHex();
  ASSERT_TRUE(hex);
  CStream again;
  again.FromHex(*hex);
  ASSERT_EQ(again.GetSize(), 20000);
  EXPECT_EQ(std::memcmp(again.GetBuffer(), big.GetBuffer(), 20000), 0);
}

TEST(Stream, CompressedBlocksRoundTrip) {
  for (int length : {1, 100, 16384, 70000}) {
    CStream source;
    for (int i = 0; i < length; ++i) {
      uint8_t b = static_cast<uint8_t>((i * 7) ^ (i >> 3));
      source.WriteBuffer(&b, 1);
    }
    source.SetPosition(5);
    CStream packed;
    packed.WriteInteger(77);
    ZCompressStream(packed, source);
    EXPECT_EQ(source.GetPosition(), 5) << "the source's position is kept";
    packed.WriteInteger(88);

    packed.SetPosition(0);
    EXPECT_EQ(packed.ReadInteger(), 77);
    std::unique_ptr<CStream> unpacked = ZDecompressStream(packed);
    ASSERT_NE(unpacked, nullptr) << length;
    // The whole source block comes back (its capacity, padding included).
    ASSERT_GE(unpacked->GetSize(), source.GetSize());
    EXPECT_EQ(std::memcmp(unpacked->GetBuffer(), source.GetBuffer(), source.GetSize()), 0);
    EXPECT_EQ(unpacked->GetPosition(), 0);
    EXPECT_EQ(packed.ReadInteger(), 88) << "the reader relies on the length prefix";
  }
}

TEST(Stream, DamagedCompressedBlocksAreRefused) {
  CStream source;
  for (int i = 0; i < 3000; ++i) source.WriteInteger(i * 31);
  CStream packed;
  ZCompressStream(packed, source);
  const int64_t whole = packed.GetSize();
  const std::vector<uint8_t> good = Bytes(packed, whole);
  int32_t blockLength;
  std::memcpy(&blockLength, good.data(), 4);

  struct Damage {
    const char* label;
    std::vector<uint8_t> bytes;
  };
  std::vector<Damage> cases;
  cases.push_back({"cut in the middle", std::vector<uint8_t>(good.begin(), good.begin() + whole / 2)});
  cases.push_back({"only the length", std::vector<uint8_t>(good.begin(), good.begin() + 4)});
  cases.push_back({"length 0", {0, 0, 0, 0}});
  cases.push_back({"negative length", {0xFF, 0xFF, 0xFF, 0xFF, 0x78, 0x9C}});
  std::vector<uint8_t> header = good;
  header[4] ^= 0xFF;
  cases.push_back({"broken zlib header", header});
  std::vector<uint8_t> body = good;
  for (int i = 20; i < 40; ++i) body[i] ^= 0x5A;
  cases.push_back({"corrupted body", body});
  std::vector<uint8_t> shortLength = good;
  shortLength[0] = 10;
  shortLength[1] = shortLength[2] = shortLength[3] = 0;
  cases.push_back({"length shorter than the zlib stream", shortLength});
  std::vector<uint8_t> longLength = good;
  longLength[3] = 0x7F;
  cases.push_back({"length beyond the data, data cut", std::vector<uint8_t>(longLength.begin(), longLength.begin() + 60)});

  for (const Damage& d : cases) {
    CStream s;
    s.Assign(d.bytes.data(), static_cast<int64_t>(d.bytes.size()));
    EXPECT_EQ(ZDecompressStream(s), nullptr) << d.label;
    EXPECT_LE(s.GetPosition(), s.GetSize()) << d.label;
  }
}

TEST(Stream, CopyFromAppendsOrBorrowsAndClampsToTheSource) {
  CStream source;
  for (int i = 0; i < 4; ++i) source.WriteInteger(i);
  source.SetPosition(4);

  CStream copy;
  EXPECT_EQ(copy.CopyFrom(source, 8), 8);
  EXPECT_EQ(source.GetPosition(), 12);
  copy.SetPosition(0);
  EXPECT_EQ(copy.ReadInteger(), 1);
  EXPECT_EQ(copy.ReadInteger(), 2);

  CStream view;
  EXPECT_EQ(view.CopyFromEx(source, 1000, true), 4) << "a count past the source is clamped";
  EXPECT_TRUE(view.IsBorrowed());
  EXPECT_EQ(view.GetSize(), 4);
  EXPECT_EQ(view.GetPosition(), 4);
  EXPECT_EQ(view.GetBuffer(), source.GetBuffer() + 12);
  view.SetPosition(0);
  EXPECT_EQ(view.ReadInteger(), 3);
  view.WriteInteger(5);  // a borrowed block never grows
  EXPECT_EQ(view.GetSize(), 4);

  CStream whole;
  EXPECT_EQ(whole.CopyFrom(source, 0), 16);
  EXPECT_EQ(source.GetPosition(), 16);
}

TEST(Stream, FilesHoldTheBytesWrittenSoFar) {
  TempFolder folder;
  CStream s;
  s.WriteString("hello");
  ASSERT_TRUE(s.SaveToFile(folder / "s.bin"));
  std::ifstream in(folder / "s.bin", std::ios::binary | std::ios::ate);
  EXPECT_EQ(in.tellg(), 9);

  CStream loaded;
  loaded.SetPosition(0);
  ASSERT_TRUE(loaded.LoadFromFile(folder / "s.bin", 4));
  EXPECT_EQ(loaded.GetSize(), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(loaded.GetBuffer()), 5), "hello");
  ASSERT_TRUE(loaded.LoadFromFile(folder / "s.bin", 100));  // skip past the end: empty
  EXPECT_EQ(loaded.GetSize(), 0);
  EXPECT_FALSE(loaded.LoadFromFile(folder / "missing.bin"));
  EXPECT_EQ(loaded.GetSize(), 0);
}

TEST(Stream, DescrambleInvertsTheTable) {
  for (int32_t seed : {0, 1, 249, 250, 123456, -1, -98765}) {
    Scramble_BuildTables(seed);
    const uint8_t* table = Scramble_Table();
    EXPECT_EQ(table[0], 0);
    std::vector<uint8_t> scrambled(256);
    for (int i = 0; i < 256; ++i) scrambled[i] = table[i];
    CStream s;
    s.Assign(scrambled.data(), 256);
    s.Descramble(seed, 0, 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(s.GetBuffer()[i], i) << "seed " << seed;
  }
  CStream s(4);
  s.Descramble(5, 10, 3);  // a range outside the block does nothing
  s.Descramble(5, 2, 100);
}

}  // namespace
