#pragma once

#include <QString>

class QMimeData;

// What the boxes put on the clipboard or into a drag, and take from it. Other
// programs get text/plain with LF line breaks; beside it a private type keeps
// the exact text, so that lone CR and LF come back as they were.
namespace box_clipboard {

// The exact text, UTF-16 in this machine's byte order (lone surrogates too).
inline constexpr char kExactType[] = "application/x-quillet-exact-text";

// Data for `exact`; the caller owns it.
QMimeData* mimeData(const QString& exact);

// True when `data` holds text of either kind.
bool hasText(const QMimeData* data);

// The text a paste or drop writes into a box: the exact text when a box put it
// there, otherwise the plain text with every line break made CR LF; empty when
// `data` is null or holds no text.
QString text(const QMimeData* data);

} // namespace box_clipboard
