// zlib blocks in streams.
#include <zlib.h>

#include <cstdlib>

#include "platform/console.h"
#include "platform/stream.h"

namespace {

constexpr int kPiece = 16384;

voidpf ZeroedAlloc(voidpf, uInt items, uInt size) {
  return std::calloc(static_cast<size_t>(items), static_cast<size_t>(size));
}

void ZlibFree(voidpf, voidpf block) { std::free(block); }

z_stream NewZStream() {
  z_stream z{};
  z.zalloc = ZeroedAlloc;
  z.zfree = ZlibFree;
  z.opaque = Z_NULL;
  return z;
}

// Appends what the last call produced; false when the destination could not take it.
bool AppendOutput(CStream& destination, const unsigned char* out, const z_stream& z) {
  int64_t have = kPiece - static_cast<int64_t>(z.avail_out);
  return have == 0 || destination.WriteBuffer(out, have) == have;
}

}  // namespace

int Stream_Inflate(CStream& source, CStream& destination) {
  z_stream z = NewZStream();
  if (inflateInit(&z) != Z_OK) return Z_MEM_ERROR;
  unsigned char in[kPiece];
  unsigned char out[kPiece];
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    int64_t got = source.ReadBuffer(in, kPiece);
    if (got == 0) break;
    z.next_in = in;
    z.avail_in = static_cast<uInt>(got);
    do {
      z.next_out = out;
      z.avail_out = kPiece;
      result = inflate(&z, Z_NO_FLUSH);
      if (result == Z_NEED_DICT) result = Z_DATA_ERROR;
      if (result == Z_DATA_ERROR || result == Z_MEM_ERROR || result == Z_STREAM_ERROR) {
        inflateEnd(&z);
        return result;
      }
      if (!AppendOutput(destination, out, z)) {
        inflateEnd(&z);
        return -1;
      }
    } while (z.avail_out == 0 && result != Z_STREAM_END);
  }
  inflateEnd(&z);
  return result == Z_STREAM_END ? 0 : Z_DATA_ERROR;
}

int Stream_Deflate(CStream& source, CStream& destination, int level) {
  z_stream z = NewZStream();
  if (deflateInit(&z, level) != Z_OK) return -1;
  unsigned char in[kPiece];
  unsigned char out[kPiece];
  int flush = Z_NO_FLUSH;
  do {
    int64_t got = source.ReadBuffer(in, kPiece);
    flush = (got == 0 || source.GetPosition() >= source.GetSize()) ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = in;
    z.avail_in = static_cast<uInt>(got);
    do {
      z.next_out = out;
      z.avail_out = kPiece;
      deflate(&z, flush);
      if (!AppendOutput(destination, out, z)) {
        deflateEnd(&z);
        return -1;
      }
    } while (z.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&z);
  return 0;
}

void ZCompressStream(CStream& target, CStream& source) {
  int64_t kept = source.GetPosition();
  source.SetPosition(0);
  CStream compressed;
  Stream_Deflate(source, compressed, Z_DEFAULT_COMPRESSION);
  int64_t length = compressed.GetSize();
  target.WriteInteger(static_cast<int32_t>(length));
  target.WriteBuffer(compressed.GetBuffer(), length);
  source.SetPosition(kept);
}

std::unique_ptr<CStream> ZDecompressStream(CStream& source) {
  int32_t length = source.ReadInteger();
  g_DebugConsole->Output("ZDecompressStream %d\n", length);
  if (length <= 0) return nullptr;  // no zlib stream fits in an empty block
  CStream block;
  block.CopyFromEx(source, length, true);
  block.SetPosition(0);
  auto inflated = std::make_unique<CStream>();
  int result = Stream_Inflate(block, *inflated);
  g_DebugConsole->Output("Done ZDecompressStream\n");
  if (result != 0) return nullptr;
  inflated->SetPosition(0);
  return inflated;
}
