// PNG writing over libpng. libpng reports errors by longjmp, so everything with a destructor
// lives outside the function that sets the jump point.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "platform/bitmap32.h"
#include "platform/console.h"

namespace {

enum class PngStage { Open, WriteStruct, InfoStruct, InitIo, Header, Bytes, End, Done };

const char* StageMessage(PngStage stage) {
  switch (stage) {
    case PngStage::WriteStruct: return "[write_png_file] png_create_write_struct failed\n";
    case PngStage::InfoStruct: return "[write_png_file] png_create_info_struct failed\n";
    case PngStage::InitIo: return "[write_png_file] Error during init_io\n";
    case PngStage::Header: return "[write_png_file] Error during writing header\n";
    case PngStage::Bytes: return "[write_png_file] Error during writing bytes\n";
    case PngStage::End: return "[write_png_file] Error during end of write\n";
    default: return nullptr;
  }
}

// libpng's own warnings and errors go nowhere: the stage message says what failed.
void SilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void SilentWarning(png_structp, png_const_charp) {}

// Writes the rows; answers the stage that failed, or Done. Holds nothing that needs a destructor
// across the jump point.
PngStage WriteRows(FILE* file, png_bytepp rows, uint32_t width, uint32_t height) {
  volatile PngStage stage = PngStage::WriteStruct;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  if (!png) return PngStage::WriteStruct;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return PngStage::InfoStruct;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return stage;
  }
  stage = PngStage::InitIo;
  png_init_io(png, file);
  stage = PngStage::Header;
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  stage = PngStage::Bytes;
  png_write_image(png, rows);
  stage = PngStage::End;
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return PngStage::Done;
}

}  // namespace

bool CBitmap32::write_png_file(const std::string& fileName) const {
  FILE* file = std::fopen(fileName.c_str(), "wb");
  if (!file) {
    g_DebugConsole->Output("[write_png_file] File %s could not be opened for writing\n", fileName.c_str());
    return false;
  }
  if (!valid_) {
    // libpng refuses a 0x0 header: the same message as a refused header.
    std::fclose(file);
    std::remove(fileName.c_str());
    g_DebugConsole->Output("%s", StageMessage(PngStage::Header));
    return false;
  }
  // Each pixel as red, green, blue, alpha: the sample order of colour type 6.
  std::vector<uint8_t> bytes(pixels_.size() * 4);
  for (size_t i = 0; i < pixels_.size(); ++i) {
    uint32_t p = pixels_[i];
    bytes[i * 4 + 0] = static_cast<uint8_t>(p >> 16);
    bytes[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
    bytes[i * 4 + 2] = static_cast<uint8_t>(p);
    bytes[i * 4 + 3] = static_cast<uint8_t>(p >> 24);
  }
  std::vector<png_bytep> rows(static_cast<size_t>(height_));
  for (int32_t y = 0; y < height_; ++y) rows[size_t(y)] = bytes.data() + size_t(y) * size_t(width_) * 4;

  PngStage result = WriteRows(file, rows.data(), uint32_t(width_), uint32_t(height_));
  bool closed = std::fclose(file) == 0;
  if (result == PngStage::Done && !closed) result = PngStage::End;
  if (result != PngStage::Done) {
    std::remove(fileName.c_str());
    g_DebugConsole->Output("%s", StageMessage(result));
    return false;
  }
  return true;
}
