#include "platform/memory_reuse.h"

namespace platform {

// The Windows heap keeps freed blocks for reuse of its own accord.
void KeepMemoryForReuse() {}

} // namespace platform
