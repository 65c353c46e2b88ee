#include "host/file_name.h"

#include "host/text_codec.h"
#include "host/utf8_sequence.h"

#include <QList>

namespace file_name {

namespace {

// The length of the well-formed UTF-8 sequence at p[i], or 0.
int sequenceLength(const unsigned char* p, qsizetype i, qsizetype n) {
    const utf8::Lead lead = utf8::lead(p[i]);
    return lead.length && utf8::sequence(p, i, n, lead).valid(lead) ? lead.length : 0;
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
