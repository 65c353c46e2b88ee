#pragma once

#include <QString>

namespace transforms {

// Reverses every piece of `text` between occurrences of `separator` (found from
// the left, case-sensitive, without overlap); pieces and separators keep their
// places. An empty separator leaves one piece, the whole text. Surrogate pairs
// stay whole, as in reversed(). Linear in the length of the text.
QString reverseWords(const QString& text, const QString& separator);

} // namespace transforms
