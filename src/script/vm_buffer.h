// A buffer of bytecode or of a line table: either owned (made by the bytecode generator)
// or a view over the loaded game data (stored code), which outlives every code object.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

class VMBuffer {
 public:
  VMBuffer() = default;
  explicit VMBuffer(std::vector<uint8_t> owned) : owned_(std::move(owned)), view_(owned_) {}
  static VMBuffer View(std::span<const uint8_t> bytes) {
    VMBuffer buffer;
    buffer.view_ = bytes;
    return buffer;
  }
  virtual ~VMBuffer() = default;

  VMBuffer(VMBuffer&& other) noexcept { *this = std::move(other); }
  VMBuffer& operator=(VMBuffer&& other) noexcept {
    if (this == &other) return *this;
    bool owning = other.view_.data() == other.owned_.data() && !other.owned_.empty();
    owned_ = std::move(other.owned_);
    view_ = owning ? std::span<const uint8_t>(owned_) : other.view_;
    derived_ = std::move(other.derived_);
    other.owned_.clear();
    other.view_ = {};
    return *this;
  }
  VMBuffer(const VMBuffer&) = delete;
  VMBuffer& operator=(const VMBuffer&) = delete;

  std::span<const uint8_t> Bytes() const { return view_; }
  const uint8_t* Data() const { return view_.data(); }
  int32_t Size() const { return static_cast<int32_t>(view_.size()); }
  bool Empty() const { return view_.empty(); }
  bool Owned() const { return !owned_.empty(); }

  // What the machine works out from the bytes once (its decoded form); it goes with them.
  const std::shared_ptr<const void>& Derived() const { return derived_; }
  void SetDerived(std::shared_ptr<const void> derived) const { derived_ = std::move(derived); }

 private:
  std::vector<uint8_t> owned_;
  std::span<const uint8_t> view_;
  mutable std::shared_ptr<const void> derived_;
};
