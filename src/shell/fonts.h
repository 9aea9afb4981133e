#pragma once

#include <QFont>

namespace shell {

// "ＭＳ Ｐゴシック" at 12 pixels, or the system's Japanese sans-serif where it is missing.
QFont ProportionalGothic();

// "ＭＳ ゴシック" at 12 pixels, or the system's Japanese monospace where it is missing.
QFont FixedGothic();

} // namespace shell
