// Work over many particles shared among threads: the passes of an update whose particles do not
// touch one another (and draw nothing from the generator) run in slices side by side.
#pragma once

#include <cstddef>
#include <functional>

// Runs work(begin, end) over [0, count), every index in exactly one slice; on several threads
// only when count is large enough to pay for them. Returns when every slice is done.
void Particle_InSlices(size_t count, const std::function<void(size_t begin, size_t end)>& work);
