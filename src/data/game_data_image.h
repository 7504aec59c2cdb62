// The bytes of a game data file, held for the whole run: a vector (images built in memory, a
// pipe), the file itself mapped read-only (a regular file: no copy is made and its pages come
// in as they are first read), or, where it cannot be mapped, the file read in one pass into
// memory taken for it all at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class GameDataImage {
 public:
  GameDataImage() = default;
  explicit GameDataImage(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  GameDataImage(GameDataImage&& other) noexcept;
  GameDataImage& operator=(GameDataImage&& other) noexcept;
  GameDataImage(const GameDataImage&) = delete;
  GameDataImage& operator=(const GameDataImage&) = delete;
  ~GameDataImage();

  // The whole file; false (and an empty image) when it cannot be opened or read.
  static bool ReadFile(const std::string& path, GameDataImage& out);

  std::span<const uint8_t> Bytes() const {
    return mapped_ != nullptr ? std::span<const uint8_t>(mapped_, size_) : std::span<const uint8_t>(bytes_);
  }
  size_t Size() const { return Bytes().size(); }

  // The bytes in [offset, offset + length) will not be needed soon (a texture page once it is
  // on the device): the memory holding the whole pages among them is handed back. A mapped file
  // reads them again from the file if they are asked for; other images keep them.
  void DropPages(uint64_t offset, uint64_t length) const;

 private:
  void Release();

  std::vector<uint8_t> bytes_;
  uint8_t* mapped_ = nullptr;  // when set: size_ bytes of a mapping of capacity_ bytes
  size_t size_ = 0;
  size_t capacity_ = 0;
  bool fileBacked_ = false;  // mapped_ maps the file itself
};
