#pragma once

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

// Keeps every other section and key of the file. A failure is not reported: the window's state
// is a convenience, and the next start simply opens as a first one.
void SaveWindowState(const std::string& settingsPath, const WindowState& state);

} // namespace shell
