#include "platform/hashes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DigestCase {
  std::string input;
  const char* md5;
  const char* sha1;
};

TEST(Hashes, PublishedDigestVectors) {
  // MD5 from RFC 1321 appendix A.5; SHA-1 from FIPS 180-1 / RFC 3174 and well-known values.
  const DigestCase cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"a", "0cc175b9c0f1b6a831c399e269772661", "86f7e437faa5a7fce15d1ddcb9eaeaea377667b8"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0", "c12252ceda8be8994d5fa0290a47231c1d16aae3"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b",
       "32d10c7b8cf96570ca04ce37f2a19d84240d3a89"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f",
       "761c457bf73b14d27e9e9265c46f4b4dda11f940"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a", "50abf5706a150990a08b2c5ea40fa0e585554732"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "8215ef0796a20bcaaae116d3876c664a",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21", "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 40));
    EXPECT_EQ(MD5_HexDigest(c.input), c.md5);
    EXPECT_EQ(SHA1_HexDigest(c.input), c.sha1);
  }
}

TEST(Hashes, Md5InPiecesMatchesOneUpdate) {
  // Pieces that straddle the 64-byte blocks and the 56-byte padding boundary.
  std::string text(200, 'x');
  for (size_t i = 0; i < text.size(); ++i) text[i] = char('a' + i % 26);
  for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 200u}) {
    MD5Context whole, pieces;
    MD5_Init(whole);
    MD5_Update(whole, reinterpret_cast<const uint8_t*>(text.data()), length);
    MD5_Final(whole);
    MD5_Init(pieces);
    for (size_t at = 0; at < length; at += 7)
      MD5_Update(pieces, reinterpret_cast<const uint8_t*>(text.data()) + at, std::min<size_t>(7, length - at));
    MD5_Final(pieces);
    EXPECT_EQ(0, memcmp(whole.digest, pieces.digest, 16)) << length;
  }
}

TEST(Hashes, Sha1InputAfterResultCorruptsTheContext) {
  SHA1Context context;
  SHA1_Reset(context);
  const uint8_t abc[] = {'a', 'b', 'c'};
  SHA1_Input(context, abc, 3);
  ASSERT_TRUE(SHA1_Result(context));
  EXPECT_EQ(context.digest[0], 0xA9993E36u);
  EXPECT_TRUE(SHA1_Result(context));  // a second result of a sound context pads nothing more
  EXPECT_EQ(context.digest[0], 0xA9993E36u);
  SHA1_Input(context, abc, 3);
  EXPECT_TRUE(context.corrupted);
  EXPECT_FALSE(SHA1_Result(context));
}

TEST(Hashes, Crc32HasNoFinalInversion) {
  const char* check = "123456789";
  EXPECT_EQ(Crc32_Buffer(reinterpret_cast<const uint8_t*>(check), 9), 0x340BC6D9u);
  EXPECT_EQ(~Crc32_String(check), 0xCBF43926u);  // the usual check value
  EXPECT_EQ(Crc32_String(""), 0xFFFFFFFFu);
  EXPECT_EQ(Crc32_Buffer(reinterpret_cast<const uint8_t*>(check), 0), 0xFFFFFFFFu);
  EXPECT_EQ(Crc32_Buffer(reinterpret_cast<const uint8_t*>(check), -5), 0xFFFFFFFFu);
  // A string ends at its first zero byte; an update continues from a given value.
  EXPECT_EQ(Crc32_String(std::string("123456789\0xyz", 13)), 0x340BC6D9u);
  EXPECT_EQ(Crc32_UpdateString("6789", Crc32_String("12345")), 0x340BC6D9u);
}

TEST(Hashes, Base64EncodeRfc4648Vectors) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"Man", "TWFu"},
      {"Ma", "TWE="},   {"M", "TQ=="},
  };
  for (const auto& [plain, encoded] : cases) {
    EXPECT_EQ(Base64_Encode(plain), encoded);
    EXPECT_EQ(Base64_Decode(encoded), plain);
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  EXPECT_EQ(Base64_Decode(Base64_Encode(all)), all);
}

TEST(Hashes, Base64DecodeStopsAndBounds) {
  EXPECT_EQ(Base64_Decode("TWFu\nxyz"), "Man");     // a line break ends the text
  EXPECT_EQ(Base64_Decode("TWFu TWFu"), "Man");
  EXPECT_EQ(Base64_Decode("TWE=TWFu"), "Ma");       // '=' ends it
  EXPECT_EQ(Base64_Decode("TWFuTQ"), "ManM");       // a last group of 2 gives 1 byte
  EXPECT_EQ(Base64_Decode("T"), "");                // a lone character gives nothing
  EXPECT_EQ(Base64_Decode("TWFu", 3), "Ma");        // output of 3 keeps 2 bytes
  EXPECT_EQ(Base64_Decode("TWFu", 1), "");
  EXPECT_EQ(Base64_Decode("TWFu", 0), "");
}

}  // namespace
