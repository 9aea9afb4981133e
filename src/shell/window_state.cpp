#include "shell/window_state.h"

#include "files/atomic_file.h"
#include "files/file_bytes.h"
#include "settings/ini_file.h"
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
    const files::FileBytes file = files::ReadWholeFile(settingsPath);
    if (file.outcome != files::FileBytes::Outcome::Read)
        return state;
    const settings::IniDocument document(file.bytes);
    const auto value = [&](const char* key) {
        return document.value(settings::kPagelumeSection, key).value_or("");
    };
    const std::string_view folder = value("openfolder");
    state.openFolder = PathFromBytes(std::string(folder));
    const QList<int> geometry = numbers(value("window"));
    if (geometry.size() == 4 && geometry[2] > 0 && geometry[3] > 0)
        state.geometry = QRect(geometry[0], geometry[1], geometry[2], geometry[3]);
    const QList<int> splitter = numbers(value("splitter"));
    if (splitter.size() == 2 && splitter[0] >= 0 && splitter[1] >= 0)
        state.splitter = splitter;
    return state;
}

void SaveWindowState(const std::string& settingsPath, const WindowState& state) {
    const files::FileBytes file = files::ReadWholeFile(settingsPath);
    if (file.outcome == files::FileBytes::Outcome::Unreadable)
        return; // never replace a file whose other sections could not be read
    settings::IniDocument document(file.bytes);
    const QRect& g = state.geometry;
    document.setValue(settings::kPagelumeSection, "openfolder", PathToBytes(state.openFolder));
    document.setValue(settings::kPagelumeSection, "window",
                      joined({g.x(), g.y(), g.width(), g.height()}));
    document.setValue(settings::kPagelumeSection, "splitter", joined(state.splitter));
    files::ReplaceFileContents(settingsPath, document.toBytes());
}

} // namespace shell
