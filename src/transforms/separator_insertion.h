#pragma once

#include <QString>
#include <QStringView>

namespace transforms {

// The value of the decimal digits at the start of `text`; 0 when there are
// none. Saturates at the largest 64-bit value instead of overflowing, so a
// number too large for the text simply lies beyond its end.
qint64 leadingNumber(QStringView text);

// Longest text separator insertion builds (2 Gi bytes of UTF-16).
inline constexpr qsizetype kMaxInsertionResult = qsizetype(1) << 30;

struct SeparatorInsertion {
    qsizetype insertions = 0; // 0: nothing was inserted, the text stays as it is
    bool tooLong = false;     // the result would exceed the limit; nothing was built
    QString text;             // the new text when insertions > 0
};

// Inserts `separator` into `text` at the points that `pattern` gives, with the
// result of inserting one separator at a time and removing the spaces (U+0020)
// at the end of the whole text after each insertion, built in linear time.
//
// A pattern without a space is a fixed interval n: a separator after every n-th
// character of the original text, for every multiple of n up to its length + 1;
// n = 0 inserts nothing. A pattern with spaces is a list of group lengths, cut at
// every single space; empty parts are skipped, and a separator goes after each
// group of the original text (at the end for groups beyond it). Each insertion
// point moves on by the length of the separators already inserted, so a
// separator of several code units lands on the group boundaries too. A point
// inside a surrogate pair moves to just after the pair.
SeparatorInsertion insertSeparators(const QString& text, QStringView pattern, QStringView separator,
                                    qsizetype maxLength = kMaxInsertionResult);

} // namespace transforms
