// The bytes the program holds on its heap right now: every live allocation of the process,
// whether it came through MemoryManager, operator new or the C library.
#pragma once

#include <cstdint>

// The heap allocator's count of bytes in use (ordinary and separately mapped blocks). Where
// the allocator keeps no such count, the private resident memory of the process stands in.
// Costly on a large heap: the C library's count walks every free block of every arena.
uint64_t Process_HeapBytesInUse();
// The process's resident memory that no other process shares (one read of /proc/self/statm):
// cheap enough to take every frame.
uint64_t Process_PrivateResidentBytes();
