#include "shell/text_codec.h"

#include "files/file_names.h"

#include <QFile>
#include <QStringDecoder>

namespace shell {

QString FromShiftJis(std::string_view sjis) {
    // "windows-31j" is the ICU name of code page 932 (0x5C stays a backslash, 0x8160 is U+FF5E).
    QStringDecoder decoder("windows-31j");
    if (!decoder.isValid())
        return QString::fromStdString(files::Utf8FromShiftJis(sjis));
    return decoder.decode(QByteArrayView(sjis.data(), qsizetype(sjis.size())));
}

QString PathFromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

std::string PathToBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace shell
