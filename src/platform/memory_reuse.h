#pragma once

namespace platform {

// Keeps the memory of a book converted for the next one, rather than giving it back to the system
// and faulting fresh pages in again: a batch then touches its pages once, and workers do not hold
// each other up mapping and unmapping memory. The peak stays that of the largest books at once.
void KeepMemoryForReuse();

} // namespace platform
