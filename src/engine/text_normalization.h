#pragma once

#include "event_pump.h"
#include "page_geometry.h"

#include <string>

namespace engine {

// Every LF becomes CR LF; a lone CR becomes CR LF as well and a CR LF pair stays as it is. The
// second byte of a double-byte character is never taken for a line break.
void ConvertLineBreaks(std::string& text);

// Both passes remove every CR LF line break of the text and insert full-width spaces where the
// next line is to begin at the top of a new column of geometry.rowCount cells. The end byte stays
// last. NormalizeVerse starts a column for every line; NormalizeProse only for paragraphs (a line
// indented by one full-width space), quotations opening with 「, after a line closing with 」, and
// around empty lines.
void NormalizeVerse(const PageGeometry& geometry, std::string& text, EventPump& pump);
void NormalizeProse(const PageGeometry& geometry, std::string& text, EventPump& pump);

} // namespace engine
