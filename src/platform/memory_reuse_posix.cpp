#include "platform/memory_reuse.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void KeepMemoryForReuse() {
#if defined(__GLIBC__)
    // Blocks up to glibc's largest threshold come from the heap and stay there when freed; the
    // heap is given back only past the trim threshold.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

} // namespace platform
