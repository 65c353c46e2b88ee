#pragma once

#include "host/text_codec.h"

#include <QByteArrayView>
#include <QStringView>

// Which encoding a text file is in, decided by evidence: a byte-order mark
// first; then how well the bytes read as UTF-8; for short or mixed texts, which
// of the two readings (UTF-8, GBK) is the more plausible text for a
// Simplified-Chinese reader.
namespace encoding_detection {

struct Utf8Scan {
    qsizetype validSequences = 0; // well-formed multi-byte sequences
    qsizetype invalidBytes = 0;   // bytes in no well-formed sequence
    qsizetype firstError = -1;    // offset of the first such byte
    bool gaveUp = false;          // stopped after 4096 invalid bytes, 4 per valid sequence
};

// Well-formed means the shortest form, no surrogates, nothing above U+10FFFF.
Utf8Scan scanUtf8(QByteArrayView bytes);

// How plausible a text is for a Simplified-Chinese reader: GB2312 hanzi, CJK
// punctuation, full-width forms and Latin letters (with diacritics next to
// ASCII letters) count for it; other scripts, private use, rare hanzi,
// controls and U+FFFD count against it.
long long plausibility(QStringView text);

// The encoding of a file's bytes and its text in that encoding. Plain ASCII
// and ties go to GBK, the system's code page. UTF-16 without a byte-order mark
// is recognised by its NUL bytes; other bytes with NULs are flagged.
text_codec::Decoded decode(const QByteArray& bytes);

// The same without the byte-order mark and UTF-16 steps: GBK or UTF-8.
text_codec::Decoded decodeUnmarked(const QByteArray& bytes);

} // namespace encoding_detection
