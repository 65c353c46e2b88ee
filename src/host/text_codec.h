#pragma once

#include <QByteArray>
#include <QString>

// Encodings of text files: GBK (through its superset GB18030) and UTF-8.
namespace text_codec {

enum class Encoding {
    Gbk,     // Windows code page 936; what GBK cannot hold is written in GB18030
    Utf8,    // UTF-8 without a byte-order mark
    Utf8Bom, // UTF-8 with a byte-order mark
};

struct Decoded {
    QString text;
    Encoding encoding = Encoding::Gbk;
    bool invalidBytes = false; // some bytes could not be read and became U+FFFD
};

// UTF-8 when the bytes start with a byte-order mark, or are valid UTF-8 and not
// plain ASCII; GBK/GB18030 otherwise.
Decoded decode(const QByteArray& bytes);

// GBK decoding of bytes, with GB18030's four-byte sequences; 0x80 is the euro sign.
QString decodeGbk(const QByteArray& bytes, bool* invalid = nullptr);

// Every character GBK holds is written as GBK writes it; others in GB18030.
// Only unpaired surrogates, which no encoding holds, become "?".
QByteArray encode(const QString& text, Encoding encoding);
QByteArray encodeGbk(const QString& text);

} // namespace text_codec
