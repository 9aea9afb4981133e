#pragma once

#include "engine/output_files.h"
#include "engine/settings.h"

#include <QPersistentModelIndex>

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QObject;

namespace shell {

class QtConversionUi;

// One entry of a run that saves without asking: its source, and its row while it is listed.
struct SideBySideEntry {
    std::string path;
    QPersistentModelIndex row;
};

// Converts `entries` on up to `workers` threads at once, each with `settings` as taken when the
// run started, while the window's event loop goes on. The window hears of the entries through
// `ui` exactly as it would of a run one entry after another: each entry's messages and outcome
// in the order of the entries (`telling` is called as an entry's turn to be told begins), its
// questions in that order too, and the files of each placed only once every earlier entry has
// ended. An entry that has left the list before its start is passed over. `*stop` stops every
// worker after its page in hand. `context` is an object of the window's thread; no busy cursor
// is set, as the window stays free to use.
void RunSideBySide(QObject* context, const std::vector<SideBySideEntry>& entries,
                   const engine::Settings& settings, QtConversionUi& ui,
                   engine::OutputFiles& outputs, const std::atomic<bool>& stop, std::size_t workers,
                   const std::function<void(const SideBySideEntry&)>& telling);

} // namespace shell
