#include "graphics/particles/particle_slices.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Fewer particles than this a slice cost more to hand to a thread than to move at once.
constexpr size_t kSmallestSlice = 8192;
constexpr size_t kMostSlices = 8;

size_t SliceCount(size_t count) {
  static const size_t cores = std::max<size_t>(1, std::thread::hardware_concurrency());
  return std::clamp<size_t>(count / kSmallestSlice, 1, std::min(cores, kMostSlices));
}

}  // namespace

void Particle_InSlices(size_t count, const std::function<void(size_t begin, size_t end)>& work) {
  const size_t slices = SliceCount(count);
  if (slices == 1) {
    if (count > 0) work(0, count);
    return;
  }
  const auto bound = [&](size_t slice) { return count * slice / slices; };
  std::vector<std::jthread> helpers;
  helpers.reserve(slices - 1);
  size_t next = 1;
  try {
    for (; next < slices; ++next) helpers.emplace_back(work, bound(next), bound(next + 1));
  } catch (const std::system_error&) {
    // No thread to be had: the slices left are worked here.
  }
  for (size_t slice = next; slice < slices; ++slice) work(bound(slice), bound(slice + 1));
  work(0, bound(1));
}
