#include "host/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cstdint>
#include <memory>

namespace text_codec {

namespace {

constexpr int kTrails = 190;                 // 0x40..0x7E and 0x80..0xFE
constexpr int kTwoByteCodes = 126 * kTrails; // leads 0x81..0xFE
constexpr int kFourByteBmp = 39420;          // 81 30 81 30 .. 84 31 A4 39
constexpr int kFirstSupplementary = 189000;  // 90 30 81 30 is U+10000
constexpr int kLastSupplementary = kFirstSupplementary + 0xFFFFF;
constexpr std::uint32_t kFourByteFlag = 0x10000;

constexpr char16_t kEuro = 0x20AC;
constexpr char16_t kGbkFF = 0xF8F5; // code page 936's single byte 0xFF
constexpr char16_t kReplacement = 0xFFFD;

int trailIndex(unsigned char trail) {
    if (trail >= 0x40 && trail <= 0x7E)
        return trail - 0x40;
    if (trail >= 0x80 && trail <= 0xFE)
        return trail - 0x41;
    return -1;
}

// One mapping of GB18030, used in both directions. The character of every
// two-byte and four-byte code is taken from the system's GB18030 decoder once;
// the reverse table is built from it, so reading and writing cannot disagree.
struct GbTables {
    std::array<char16_t, kTwoByteCodes> twoByte{};
    std::array<char16_t, kFourByteBmp> fourByte{};
    // For each BMP character: its two-byte code (lead << 8 | trail), or its
    // four-byte linear index with kFourByteFlag set; 0 for ASCII and surrogates.
    std::array<std::uint32_t, 65536> code{};
};

const GbTables& tables() {
    static const std::unique_ptr<GbTables> t = [] {
        auto t = std::make_unique<GbTables>();
        QByteArray two;
        two.reserve(kTwoByteCodes * 2);
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail)
                if (trail != 0x7F)
                    two.append(char(lead)).append(char(trail));
        QByteArray four;
        four.reserve(kFourByteBmp * 4);
        for (int linear = 0; linear < kFourByteBmp; ++linear) {
            const int b4 = linear % 10, b3 = linear / 10 % 126, b2 = linear / 1260 % 10,
                      b1 = linear / 12600;
            four.append(char(0x81 + b1)).append(char(0x30 + b2));
            four.append(char(0x81 + b3)).append(char(0x30 + b4));
        }
        QStringDecoder gb("GB18030", QStringConverter::Flag::Stateless);
        const QString twoText = gb.decode(two);
        const QString fourText = gb.decode(four);
        // Every code names one BMP character; should the system's table ever
        // not, the codes it leaves out read as U+FFFD.
        for (int i = 0; i < kTwoByteCodes; ++i) {
            const char16_t c =
                twoText.size() == kTwoByteCodes ? twoText[i].unicode() : kReplacement;
            t->twoByte[i] = c;
            if (c >= 0x80 && !t->code[c])
                t->code[c] = std::uint32_t(0x8100 + (i / kTrails) * 0x100) |
                             std::uint32_t(i % kTrails + (i % kTrails < 0x3F ? 0x40 : 0x41));
        }
        for (int i = 0; i < kFourByteBmp; ++i) {
            const char16_t c =
                fourText.size() == kFourByteBmp ? fourText[i].unicode() : kReplacement;
            t->fourByte[i] = c;
            if (c >= 0x80 && !t->code[c] && !QChar::isSurrogate(c))
                t->code[c] = kFourByteFlag | std::uint32_t(i);
        }
        return t;
    }();
    return *t;
}

// A growing byte buffer written through a pointer, for the encoders' loops.
class ByteSink {
  public:
    explicit ByteSink(qsizetype expected) { m_bytes.resize(std::max<qsizetype>(expected, 16)); }
    void reserve(int more) {
        if (m_used + more > m_bytes.size())
            m_bytes.resize(m_bytes.size() + m_bytes.size() / 2 + more);
    }
    void put(unsigned char b) { m_bytes.data()[m_used++] = char(b); }
    void putFourByte(std::uint32_t linear) {
        put(std::uint8_t(0x81 + linear / 12600));
        put(std::uint8_t(0x30 + linear / 1260 % 10));
        put(std::uint8_t(0x81 + linear / 10 % 126));
        put(std::uint8_t(0x30 + linear % 10));
    }
    QByteArray take() {
        m_bytes.truncate(m_used);
        return std::move(m_bytes);
    }

  private:
    QByteArray m_bytes;
    qsizetype m_used = 0;
};

QByteArray encodeGb(QStringView text, bool gbk) {
    const GbTables& t = tables();
    ByteSink out(text.size() * 2);
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        out.reserve(4);
        const char16_t c = p[i];
        if (c < 0x80) {
            out.put(std::uint8_t(c));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t cp = QChar::surrogateToUcs4(c, p[++i]);
            out.putFourByte(std::uint32_t(kFirstSupplementary + (cp - 0x10000)));
        } else if (QChar::isSurrogate(c)) {
            out.put('?');
        } else if (gbk && (c == kEuro || c == kGbkFF)) {
            out.put(c == kEuro ? 0x80 : 0xFF);
        } else {
            const std::uint32_t code = t.code[c];
            if (code & kFourByteFlag) {
                out.putFourByte(code & ~kFourByteFlag);
            } else {
                out.put(std::uint8_t(code >> 8));
                out.put(std::uint8_t(code));
            }
        }
    }
    return out.take();
}

QByteArray encodeUtf16(QStringView text, bool bigEndian) {
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char* q = out.data();
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = p[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            // a pair: written as it is, the low half on the next round
        } else if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(p[i - 1])) {
        } else if (QChar::isSurrogate(c)) {
            c = u'?';
        }
        *q++ = char(bigEndian ? c >> 8 : c & 0xFF);
        *q++ = char(bigEndian ? c & 0xFF : c >> 8);
    }
    return out;
}

Decoded decodeUtf16(QByteArrayView bytes, bool bigEndian) {
    Decoded d;
    const qsizetype units = bytes.size() / 2;
    d.text.resize(units + (bytes.size() % 2));
    char16_t* out = reinterpret_cast<char16_t*>(d.text.data());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < units; ++i)
        out[i] = bigEndian ? char16_t(p[2 * i] << 8 | p[2 * i + 1])
                           : char16_t(p[2 * i + 1] << 8 | p[2 * i]);
    for (qsizetype i = 0; i < units; ++i) {
        if (QChar::isHighSurrogate(out[i]) && i + 1 < units && QChar::isLowSurrogate(out[i + 1])) {
            ++i;
        } else if (QChar::isSurrogate(out[i])) {
            out[i] = kReplacement;
            d.invalidBytes = true;
        }
    }
    if (bytes.size() % 2) {
        out[units] = kReplacement;
        d.invalidBytes = true;
    }
    return d;
}

} // namespace

QByteArray byteOrderMark(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF");
    case Encoding::Utf16Le:
        return QByteArray("\xFF\xFE");
    case Encoding::Utf16Be:
        return QByteArray("\xFE\xFF");
    default:
        return QByteArray();
    }
}

bool startsWithMark(const QByteArray& bytes, Encoding* encoding) {
    for (const Encoding e : {Encoding::Utf8Bom, Encoding::Utf16Le, Encoding::Utf16Be}) {
        if (bytes.startsWith(byteOrderMark(e))) {
            *encoding = e;
            return true;
        }
    }
    return false;
}

GbDecoded decodeGb(QByteArrayView bytes) {
    const GbTables& t = tables();
    GbDecoded d;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    bool single[2] = {false, false}, longer[2] = {false, false}; // euro, FF
    const auto twin = [](char16_t c) { return c == kEuro ? 0 : c == kGbkFF ? 1 : -1; };
    d.text.resize(n); // never more code units than bytes
    char16_t* out = reinterpret_cast<char16_t*>(d.text.data());
    qsizetype o = 0;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out[o++] = b;
            ++i;
            continue;
        }
        if (b == 0x80 || b == 0xFF) {
            out[o++] = b == 0x80 ? kEuro : kGbkFF;
            single[b == 0xFF] = true;
            d.gbkForms = true;
            ++i;
            continue;
        }
        const int trail = i + 1 < n ? trailIndex(p[i + 1]) : -1;
        if (trail >= 0) {
            const int index = (b - 0x81) * kTrails + trail;
            out[o++] = t.twoByte[index];
            if (const int k = twin(out[o - 1]); k >= 0)
                longer[k] = true;
            d.gb18030Forms = d.gb18030Forms || (b == 0xA2 && p[i + 1] == 0xE3);
            i += 2;
            continue;
        }
        if (i + 3 < n && p[i + 1] >= 0x30 && p[i + 1] <= 0x39 && p[i + 2] >= 0x81 &&
            p[i + 2] <= 0xFE && p[i + 3] >= 0x30 && p[i + 3] <= 0x39) {
            const int linear =
                (((b - 0x81) * 10 + (p[i + 1] - 0x30)) * 126 + (p[i + 2] - 0x81)) * 10 +
                (p[i + 3] - 0x30);
            if (linear < kFourByteBmp) {
                out[o++] = t.fourByte[linear];
                if (const int k = twin(out[o - 1]); k >= 0)
                    longer[k] = true;
            } else if (linear >= kFirstSupplementary && linear <= kLastSupplementary) {
                const char32_t cp = char32_t(0x10000 + (linear - kFirstSupplementary));
                out[o++] = QChar::highSurrogate(cp);
                out[o++] = QChar::lowSurrogate(cp);
            } else {
                out[o++] = kReplacement; // a four-byte code that names nothing
                d.invalid = true;
            }
            d.gb18030Forms = true;
            i += 4;
            continue;
        }
        // A lead byte without a valid continuation: it alone is unreadable,
        // and what follows is read afresh.
        out[o++] = kReplacement;
        d.invalid = true;
        ++i;
    }
    d.text.truncate(o);
    d.bothForms = (single[0] || single[1]) && (longer[0] || longer[1]);
    return d;
}

Decoded decodeAs(QByteArrayView bytes, Encoding encoding) {
    Decoded d;
    switch (encoding) {
    case Encoding::Gbk:
    case Encoding::Gb18030: {
        GbDecoded gb = decodeGb(bytes);
        d.text = std::move(gb.text);
        d.invalidBytes = gb.invalid;
        d.bothForms = gb.bothForms;
        break;
    }
    case Encoding::Utf8:
    case Encoding::Utf8Bom: {
        // A U+FEFF that follows the mark is text, not a second mark.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
        d.text = utf8.decode(bytes);
        d.text.squeeze(); // room was made for one unit a byte
        d.invalidBytes = utf8.hasError();
        break;
    }
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
    case Encoding::Utf16LeNoMark:
    case Encoding::Utf16BeNoMark:
        d = decodeUtf16(bytes,
                        encoding == Encoding::Utf16Be || encoding == Encoding::Utf16BeNoMark);
        break;
    }
    d.encoding = encoding;
    return d;
}

qsizetype countUnencodable(QStringView text) {
    qsizetype count = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
            ++i;
        else
            ++count;
    }
    return count;
}

QByteArray encode(QStringView text, Encoding encoding) {
    QByteArray bytes = byteOrderMark(encoding);
    switch (encoding) {
    case Encoding::Gbk:
    case Encoding::Gb18030:
        return encodeGb(text, encoding == Encoding::Gbk);
    case Encoding::Utf8:
    case Encoding::Utf8Bom: {
        QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        if (countUnencodable(text) == 0)
            return bytes + utf8.encode(text);
        QString copy = text.toString();
        for (qsizetype i = 0; i < copy.size(); ++i) {
            if (copy[i].isHighSurrogate() && i + 1 < copy.size() && copy[i + 1].isLowSurrogate())
                ++i;
            else if (copy[i].isSurrogate())
                copy[i] = u'?';
        }
        return bytes + utf8.encode(copy);
    }
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
    case Encoding::Utf16LeNoMark:
    case Encoding::Utf16BeNoMark:
        return bytes + encodeUtf16(text, encoding == Encoding::Utf16Be ||
                                             encoding == Encoding::Utf16BeNoMark);
    }
    return bytes;
}

bool hasTwoForms(QChar c) {
    return c == QChar(kEuro) || c == QChar(kGbkFF);
}

int gb2312Level(char16_t c) {
    const std::uint32_t code = tables().code[c];
    if (code & kFourByteFlag || code == 0)
        return 0;
    const unsigned lead = code >> 8, trail = code & 0xFF;
    if (trail < 0xA1 || trail > 0xFE || lead < 0xB0 || lead > 0xF7)
        return 0;
    return lead <= 0xD7 ? 1 : 2;
}

} // namespace text_codec
