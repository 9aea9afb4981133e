#include "shell/window_state.h"

#include "settings/settings_store.h"
#include "shell/text_codec.h"

#include <QStringList>

namespace shell {
namespace {

QList<int> numbers(std::string_view value) {
    QList<int> result;
    for (const QString& part : QString::fromUtf8(value.data(), qsizetype(value.size()))
                                   .split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = part.trimmed().toInt(&ok);
        if (!ok)
            return {};
        result << number;
    }
    return result;
}

std::string joined(const QList<int>& values) {
    QStringList parts;
    for (int value : values)
        parts << QString::number(value);
    return parts.join(QLatin1Char(',')).toStdString();
}

} // namespace

WindowState LoadWindowState(const std::string& settingsPath) {
    WindowState state;
    const settings::PagelumeKeys keys =
        settings::LoadPagelumeKeys(settingsPath, {"openfolder", "window", "splitter"});
    state.openFolder = PathFromBytes(keys[0].second);
    const QList<int> geometry = numbers(keys[1].second);
    if (geometry.size() == 4 && geometry[2] > 0 && geometry[3] > 0)
        state.geometry = QRect(geometry[0], geometry[1], geometry[2], geometry[3]);
    const QList<int> splitter = numbers(keys[2].second);
    if (splitter.size() == 2 && splitter[0] >= 0 && splitter[1] >= 0)
        state.splitter = splitter;
    return state;
}

settings::WriteStatus SaveWindowState(const std::string& settingsPath, const WindowState& state) {
    const QRect& g = state.geometry;
    return settings::SavePagelumeKeys({{"openfolder", PathToBytes(state.openFolder)},
                                       {"window", joined({g.x(), g.y(), g.width(), g.height()})},
                                       {"splitter", joined(state.splitter)}},
                                      settingsPath);
}

} // namespace shell
