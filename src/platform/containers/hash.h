// Hash: a chained map from 32-bit integer keys to pointers. The bucket of a key is
// key & mask (the key is not hashed); a bucket keeps its nodes in insertion order and
// duplicate keys are allowed: a later insert of an existing key is found second.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "platform/containers/disposal.h"

template <class T>
class Hash {
 public:
  // bucketCount is rounded up to a power of two (at least 1).
  explicit Hash(int32_t bucketCount) {
    int32_t n = 1;
    while (n < bucketCount && n < (1 << 30)) n <<= 1;
    buckets_.resize(static_cast<size_t>(n));
    mask_ = n - 1;
  }
  Hash(const Hash&) = delete;
  Hash& operator=(const Hash&) = delete;

  int32_t Mask() const { return mask_; }
  int32_t Count() const { return count_; }
  int32_t BucketOf(int32_t key) const { return key & mask_; }

  // A new node at the tail of the key's bucket.
  void Insert(int32_t key, T* value) {
    Bucket(key).push_back(Node{key, value});
    ++count_;
  }

  // The value of the first node with the key, null when there is none.
  T* Find(int32_t key) const {
    for (const Node& node : Bucket(key)) {
      if (node.key == key) return node.value;
    }
    return nullptr;
  }

  // Removes the first node with the key and disposes of its value; false when absent.
  bool Delete(int32_t key, Disposal mode) {
    auto& bucket = Bucket(key);
    for (auto it = bucket.begin(); it != bucket.end(); ++it) {
      if (it->key == key) {
        T* value = it->value;
        bucket.erase(it);
        --count_;
        Dispose(value, mode);
        return true;
      }
    }
    return false;
  }

  // Empties the buckets from the last to the first, each from its head, disposing of
  // every value.
  void Clear(Disposal mode) {
    for (size_t b = buckets_.size(); b-- > 0;) {
      auto& bucket = buckets_[b];
      while (!bucket.empty()) {
        T* value = bucket.front().value;
        bucket.pop_front();
        --count_;
        Dispose(value, mode);
      }
    }
  }

  // Calls f(key, value) for every node, bucket by bucket from the first, each from its head.
  template <class F>
  void ForEach(F&& f) const {
    for (const auto& bucket : buckets_) {
      for (const Node& node : bucket) f(node.key, node.value);
    }
  }

 private:
  struct Node {
    int32_t key;
    T* value;
  };
  std::list<Node>& Bucket(int32_t key) { return buckets_[static_cast<size_t>(key & mask_)]; }
  const std::list<Node>& Bucket(int32_t key) const {
    return buckets_[static_cast<size_t>(key & mask_)];
  }

  std::vector<std::list<Node>> buckets_;
  int32_t mask_ = 0;
  int32_t count_ = 0;
};
