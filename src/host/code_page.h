#pragma once

#include <QChar>

// The Chinese ANSI code page (GBK, Windows code page 936), independent of the
// system locale.
namespace code_page {

// The number of bytes GBK uses for the code unit: 1 or 2, or 0 when GBK cannot
// hold it (surrogates included).
int gbkLength(QChar c);

// True when GBK encodes the character in two bytes (Chinese characters,
// full-width signs); false for single-byte and unrepresentable characters.
inline bool isWide(QChar c) {
    return gbkLength(c) == 2;
}

} // namespace code_page
