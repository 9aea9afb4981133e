#pragma once

#include "engine/output_files.h"

#include <functional>
#include <memory>
#include <string>

namespace files {

// An advisory lock on the folder of `path`, held by the returned object: runs of this program
// that place files in one folder take turns. `waiting` is called once when another run holds it;
// the lock is then waited for. Null where the folder cannot be locked, or the wait was broken off
// by a signal.
std::unique_ptr<engine::PlacingLock> LockFolderOf(const std::string& path,
                                                  const std::function<void()>& waiting);

} // namespace files
