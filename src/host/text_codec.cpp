#include "host/text_codec.h"

#include "host/code_page.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace text_codec {

namespace {

bool isAscii(const QByteArray& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Stops at the first byte that is not well-formed UTF-8, which for a GBK file
// is almost always within its first few characters.
bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length;
        char32_t min;
        if ((b & 0xE0) == 0xC0) {
            length = 2;
            min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            min = 0x10000;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        char32_t cp = b & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

} // namespace

QString decodeGbk(const QByteArray& bytes, bool* invalid) {
    // GB18030 reads every GBK sequence but the single bytes 0x80 (the euro sign
    // in code page 936) and 0xFF; those are taken out at character boundaries.
    QString out;
    out.reserve(bytes.size());
    bool bad = false;
    auto decodeRun = [&](qsizetype from, qsizetype to) {
        if (from >= to)
            return;
        QStringDecoder gb("GB18030", QStringConverter::Flag::Stateless);
        out += gb.decode(QByteArrayView(bytes).sliced(from, to - from));
        bad = bad || gb.hasError();
    };
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
        } else if (b == 0x80 || b == 0xFF) {
            decodeRun(runStart, i);
            out += QChar(b == 0x80 ? char16_t(0x20AC) : char16_t(0xF8F5));
            runStart = ++i;
        } else {
            const qsizetype length = (i + 1 < n && p[i + 1] >= 0x30 && p[i + 1] <= 0x39) ? 4 : 2;
            if (i + length > n) {
                // A sequence cut off by the end of the file: the decoder would
                // keep it back silently.
                decodeRun(runStart, i);
                out += QChar(char16_t(0xFFFD));
                bad = true;
                runStart = n;
                break;
            }
            i += length;
        }
    }
    decodeRun(runStart, n);
    if (invalid)
        *invalid = bad;
    return out;
}

Decoded decode(const QByteArray& bytes) {
    Decoded d;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        d.text = utf8.decode(QByteArrayView(bytes).sliced(3));
        d.encoding = Encoding::Utf8Bom;
        d.invalidBytes = utf8.hasError();
        return d;
    }
    if (!isAscii(bytes) && isValidUtf8(bytes)) {
        d.text = QString::fromUtf8(bytes);
        d.encoding = Encoding::Utf8;
        return d;
    }
    d.text = decodeGbk(bytes, &d.invalidBytes);
    d.encoding = Encoding::Gbk;
    return d;
}

QByteArray encodeGbk(const QString& text) {
    {
        QStringEncoder gbk("windows-936", QStringConverter::Flag::Stateless);
        QByteArray bytes = gbk.encode(text);
        if (!gbk.hasError())
            return bytes;
    }
    // Some characters are not in GBK: write runs of GBK characters as GBK and
    // each other character in GB18030.
    QByteArray out;
    out.reserve(text.size() * 2);
    QStringEncoder gbk("windows-936", QStringConverter::Flag::Stateless);
    QStringEncoder gb18030("GB18030", QStringConverter::Flag::Stateless);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype j = i;
        while (j < n && code_page::gbkLength(text[j]) != 0)
            ++j;
        if (j > i) {
            out += gbk.encode(QStringView(text).sliced(i, j - i));
            i = j;
            continue;
        }
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out += gb18030.encode(QStringView(text).sliced(i, 2));
            i += 2;
        } else if (c.isSurrogate()) {
            out += '?';
            ++i;
        } else {
            out += gb18030.encode(QStringView(text).sliced(i, 1));
            ++i;
        }
    }
    return out;
}

QByteArray encode(const QString& text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Gbk:
        return encodeGbk(text);
    case Encoding::Utf8:
    case Encoding::Utf8Bom: {
        QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QByteArray bytes =
            encoding == Encoding::Utf8Bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        bytes += utf8.encode(text); // an unpaired surrogate becomes U+FFFD
        return bytes;
    }
    }
    return {};
}

} // namespace text_codec
