// The bytes the program holds on its heap right now: every live allocation of the process,
// whether it came through MemoryManager, operator new or the C library.
#pragma once

#include <cstdint>

// The heap allocator's count of bytes in use (ordinary and separately mapped blocks). Where
// the allocator keeps no such count, the private resident memory of the process stands in.
uint64_t Process_HeapBytesInUse();
