#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// The Chinese ANSI code page (GBK, Windows code page 936), independent of the
// system locale.
namespace code_page {

// True when GBK encodes the character in two bytes (Chinese characters,
// full-width signs); false for single-byte and unrepresentable characters.
bool isWide(QChar c);

} // namespace code_page
