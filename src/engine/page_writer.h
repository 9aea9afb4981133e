#pragma once

#include "page_geometry.h"

#include <string>

namespace engine {

// Appends one page to `out` as it is stored on disk: a CR LF, then rows 0 to rowCount - 1, each
// filled up to 40 bytes with spaces on the left and ended by CR LF. The output is a text stream:
// an LF byte inside a row (the second byte of a stray double-byte character) is stored as CR LF
// too.
void WritePage(const PageGeometry& geometry, std::string& out, PageRows& rows);

// Appends bytes to `out` as a text stream stores them: every LF becomes CR LF.
void AppendAsTextStream(std::string& out, std::string_view bytes);

} // namespace engine
