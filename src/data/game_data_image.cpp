#include "data/game_data_image.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace {

// Private memory of `size` bytes with every page present from the start (one call instead of
// a fault per page as the read fills it); null when none can be had.
uint8_t* MapMemory(size_t size) {
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return memory == MAP_FAILED ? nullptr : static_cast<uint8_t*>(memory);
}

// Reads to the end of the file or of the buffer; false on a read error.
bool ReadInto(int fd, uint8_t* buffer, size_t capacity, size_t& filled) {
  while (filled < capacity) {
    const ssize_t got = read(fd, buffer + filled, capacity - filled);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    filled += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

GameDataImage::GameDataImage(GameDataImage&& other) noexcept { *this = std::move(other); }

GameDataImage& GameDataImage::operator=(GameDataImage&& other) noexcept {
  if (this != &other) {
    Release();
    bytes_ = std::move(other.bytes_);
    mapped_ = std::exchange(other.mapped_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    fileBacked_ = std::exchange(other.fileBacked_, false);
  }
  return *this;
}

GameDataImage::~GameDataImage() { Release(); }

void GameDataImage::Release() {
  if (mapped_ != nullptr) munmap(mapped_, capacity_);
  mapped_ = nullptr;
  size_ = capacity_ = 0;
  fileBacked_ = false;
  bytes_.clear();
}

void GameDataImage::DropPages(uint64_t offset, uint64_t length) const {
  if (!fileBacked_ || offset >= size_) return;
  length = std::min<uint64_t>(length, size_ - offset);
  const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  const uint64_t first = (offset + page - 1) / page * page;
  const uint64_t last = (offset + length) / page * page;
  if (last > first) madvise(mapped_ + first, static_cast<size_t>(last - first), MADV_DONTNEED);
}

bool GameDataImage::ReadFile(const std::string& path, GameDataImage& out) {
  out = GameDataImage();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    close(fd);
    return false;
  }
  // A regular file is mapped: its pages come from the page cache as they are first read, with
  // no copy, and the parts read once (texture pages) can be handed back. Where it cannot be
  // mapped it is read in one call into memory of its size, plus a spare byte that shows it grew
  // meanwhile; anything else (a pipe, a file that grew) goes on into a vector.
  GameDataImage image;
  size_t filled = 0;
  bool ok = true;
  const size_t expected = static_cast<size_t>(info.st_size);
  if (S_ISREG(info.st_mode) && expected > 0) {
    void* file = mmap(nullptr, expected, PROT_READ, MAP_PRIVATE, fd, 0);
    if (file != MAP_FAILED) {
      close(fd);
      image.mapped_ = static_cast<uint8_t*>(file);
      image.size_ = image.capacity_ = expected;
      image.fileBacked_ = true;
      out = std::move(image);
      return true;
    }
  }
  if (S_ISREG(info.st_mode) && expected > 0) {
    image.capacity_ = expected + 1;
    image.mapped_ = MapMemory(image.capacity_);
  }
  if (image.mapped_ != nullptr) {
    ok = ReadInto(fd, image.mapped_, image.capacity_, filled);
    image.size_ = filled;
    if (ok && filled < image.capacity_) mprotect(image.mapped_, image.capacity_, PROT_READ);  // never written once read
  }
  if (ok && (image.mapped_ == nullptr || filled == image.capacity_)) {
    std::vector<uint8_t> bytes(image.Bytes().begin(), image.Bytes().end());
    image.Release();
    filled = bytes.size();
    for (;;) {
      bytes.resize(std::max<size_t>(filled * 2, 65536));
      const size_t before = filled;
      ok = ReadInto(fd, bytes.data(), bytes.size(), filled);
      if (!ok || filled < bytes.size() || filled == before) break;
    }
    bytes.resize(filled);
    image.bytes_ = std::move(bytes);
  }
  close(fd);
  if (!ok) return false;
  out = std::move(image);
  return true;
}
