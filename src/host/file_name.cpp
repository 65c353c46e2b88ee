#include "host/file_name.h"

#include "host/text_codec.h"

#include <QList>

namespace file_name {

namespace {

// The length of the well-formed UTF-8 sequence at p[i], or 0.
int sequenceLength(const unsigned char* p, qsizetype i, qsizetype n) {
    const unsigned char b = p[i];
    int length;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > n)
        return 0;
    char32_t cp = b & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((p[i + k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

bool isEscapedByte(QChar c) {
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}

} // namespace

QString fromBytes(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    QString name;
    name.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            name += QChar(p[i++]);
            continue;
        }
        const int length = sequenceLength(p, i, n);
        if (length == 0) {
            name += QChar(char16_t(0xDC00 | p[i++]));
            continue;
        }
        name += QString::fromUtf8(bytes.sliced(i, length));
        i += length;
    }
    return name;
}

QByteArray toBytes(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size() * 3);
    qsizetype start = 0; // of the run that is plain text
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isEscapedByte(name[i]))
            continue;
        bytes += QStringView(name).sliced(start, i - start).toUtf8();
        if (i < name.size())
            bytes += char(name[i].unicode() & 0xFF);
        start = i + 1;
    }
    return bytes;
}

QString display(const QString& name) {
    if (std::none_of(name.begin(), name.end(), isEscapedByte))
        return name;
    QStringList parts;
    for (const QByteArray& part : toBytes(name).split('/')) {
        const QString text = fromBytes(part);
        parts << (std::any_of(text.begin(), text.end(), isEscapedByte)
                      ? text_codec::decodeGb(part).text
                      : text);
    }
    return parts.join(u'/');
}

} // namespace file_name
