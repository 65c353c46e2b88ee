#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

// Lines as the input box shows them. The box does not wrap: a line ends at every
// break it shows — CR LF, a lone CR, a lone LF, U+2028 and U+2029 — and a text
// that ends in a break has an empty last line. Positions are exact-text code
// units (a CR LF pair counts two).
namespace line_index {

// The first position of the 0-based `line`, or -1 when the text has no such line.
// Line -1 is the line that holds `caret`. Linear in the text scanned.
qsizetype lineStart(QStringView text, qint64 line, qsizetype caret);

// The line box's number: decimal digits with an optional sign, spaces around them
// allowed, leading zeros ignored; nothing when it is empty, not a number or
// outside 32 bits.
std::optional<qint32> parseLineNumber(QStringView text);

} // namespace line_index
