#pragma once

#include <QByteArray>
#include <QString>

// Encodings of text files. Each one reads and writes with the same table, so a
// file that is read without errors is written back byte for byte, and every
// character that can be written is read back as itself.
namespace text_codec {

enum class Encoding {
    Gbk,           // GB18030 bytes, with code page 936's single bytes 0x80 (euro) and 0xFF
    Gb18030,       // GB18030 bytes only: the euro sign is A2 E3
    Utf8,          // UTF-8 without a byte-order mark
    Utf8Bom,       // UTF-8 with a byte-order mark
    Utf16Le,       // UTF-16, little-endian, with a byte-order mark
    Utf16Be,       // UTF-16, big-endian, with a byte-order mark
    Utf16LeNoMark, // UTF-16, little-endian, without a byte-order mark
    Utf16BeNoMark, // UTF-16, big-endian, without a byte-order mark
};

struct Decoded {
    QString text;
    Encoding encoding = Encoding::Gbk;
    bool invalidBytes = false; // some bytes could not be read and became U+FFFD
    // GBK: code page 936's single bytes (80, FF) were read, and also a longer
    // form of one of their characters (A2 E3 for the euro sign, 83 39 FE 30
    // for FF); a save writes the single byte for both.
    bool bothForms = false;
    // NUL characters read (NUL bytes outside UTF-16, or U+0000 after a mark):
    // no text encoding we know; a save may change it (a lone CR becomes a line
    // break).
    bool nulBytes = false;
};

// The byte-order mark the encoding writes first (empty for GBK, GB18030, UTF-8).
QByteArray byteOrderMark(Encoding encoding);
// The encoding whose byte-order mark starts the bytes, if any.
bool startsWithMark(const QByteArray& bytes, Encoding* encoding);

// GBK and GB18030 bytes: both read the same way; what they differ in is which
// of two byte forms a character is written in.
struct GbDecoded {
    QString text;
    bool invalid = false;
    bool gbkForms = false;     // single bytes 0x80 or 0xFF were read
    bool gb18030Forms = false; // A2 E3 or four-byte codes were read
    bool bothForms = false;    // single bytes, and the euro or FF also in a longer form
};
GbDecoded decodeGb(QByteArrayView bytes);

// Decodes bytes (after any byte-order mark) in the given encoding. Unpaired
// surrogates read from UTF-16 count as invalid and become U+FFFD.
Decoded decodeAs(QByteArrayView bytes, Encoding encoding);

// Characters no encoding can hold: unpaired surrogates.
qsizetype countUnencodable(QStringView text);

// The characters GBK writes in one byte that GB18030 also reads from a longer
// code: the euro sign (80, A2 E3) and code page 936's FF.
bool hasTwoForms(QChar c);

// Writes the byte-order mark and the text; every unencodable character becomes "?".
QByteArray encode(QStringView text, Encoding encoding);

// 1 or 2 for the two levels of GB2312's Chinese characters, 0 for anything else.
int gb2312Level(char16_t c);

} // namespace text_codec
