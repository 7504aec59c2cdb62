// The bytes of a game data file, held for the whole run: either a vector (images built in
// memory) or the file read in one pass into memory mapped for it all at once, which spares a
// large file the page-by-page growth and zero filling of a vector.
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

 private:
  void Release();

  std::vector<uint8_t> bytes_;
  uint8_t* mapped_ = nullptr;  // when set: size_ bytes of a mapping of capacity_ bytes
  size_t size_ = 0;
  size_t capacity_ = 0;
};
