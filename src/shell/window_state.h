#pragma once

#include "settings/settings_store.h"

#include <QList>
#include <QRect>
#include <QString>

#include <string>

namespace shell {

// What the window keeps between starts, in section "pagelume" of the settings file (never in
// section "setting"): where the open dialog was last, the window's place and size, and how the
// list and the preview share its width.
struct WindowState {
    QString openFolder;
    QRect geometry; // null: centred, at the size of a first start
    QList<int> splitter;
};

WindowState LoadWindowState(const std::string& settingsPath);

// Writes the window's own keys and nothing else: every other key of the file, the settings among
// them, stays as it stands on disk.
settings::WriteStatus SaveWindowState(const std::string& settingsPath, const WindowState& state);

} // namespace shell
