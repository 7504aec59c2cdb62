#include "platform/process_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
#define KF_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KF_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(KF_ADDRESS_SANITIZER)
// The sanitizer's allocator replaces the C library's and keeps its own count.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

uint64_t Process_PrivateResidentBytes() {
  std::FILE* file = std::fopen("/proc/self/statm", "r");
  if (file == nullptr) return 0;
  unsigned long long size = 0, resident = 0, shared = 0;
  const int read = std::fscanf(file, "%llu %llu %llu", &size, &resident, &shared);
  std::fclose(file);
  if (read != 3 || resident < shared) return 0;
  const long page = sysconf(_SC_PAGESIZE);
  return (resident - shared) * static_cast<uint64_t>(page > 0 ? page : 4096);
}

uint64_t Process_HeapBytesInUse() {
#if defined(KF_ADDRESS_SANITIZER)
  const uint64_t heap = __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  const uint64_t heap = static_cast<uint64_t>(info.uordblks) + static_cast<uint64_t>(info.hblkhd);
#endif
  return heap != 0 ? heap : Process_PrivateResidentBytes();
}
