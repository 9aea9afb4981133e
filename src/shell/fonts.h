#pragma once

#include <QFont>

namespace shell {

// "ＭＳ Ｐゴシック" at 12 pixels, or the system's Japanese sans-serif where it is missing.
QFont ProportionalGothic();

// "ＭＳ ゴシック" at 12 pixels, or the system's Japanese monospace where it is missing.
QFont FixedGothic();

// The font of the page preview: a half-width character exactly half as wide as a full-width one,
// as on the viewer ("Noto Sans Mono CJK JP").
QFont PageFont();

} // namespace shell
