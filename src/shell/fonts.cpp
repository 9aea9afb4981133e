#include "shell/fonts.h"

#include <QStringList>

namespace shell {
namespace {

QFont gothic(const QStringList& families, QFont::StyleHint hint) {
    QFont font;
    // The first family that the font system knows wins; the style hint picks a fallback with
    // Japanese glyphs when none of them is installed.
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(12);
    return font;
}

} // namespace

QFont ProportionalGothic() {
    return gothic({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                   QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")},
                  QFont::SansSerif);
}

QFont FixedGothic() {
    return gothic({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                   QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                   QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic")},
                  QFont::TypeWriter);
}

QFont PageFont() {
    QFont font = gothic({QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("MS Gothic"),
                         QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic")},
                        QFont::TypeWriter);
    // The size of the window's other text, so that a whole page fits a window of ordinary size.
    font.setPixelSize(12);
    return font;
}

} // namespace shell
