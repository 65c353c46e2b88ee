#include "host/encoding_detection.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <memory>

namespace encoding_detection {

using text_codec::Decoded;
using text_codec::Encoding;

namespace {

// A long valid UTF-8 text is UTF-8: GBK text is rarely valid UTF-8 for more
// than a few characters. A mostly valid one is UTF-8 with a few stray bytes.
constexpr qsizetype kConvincingSequences = 16;
constexpr qsizetype kValidPerInvalid = 8;
// In a short text without invalid bytes, each well-formed sequence still
// counts for UTF-8: GBK text forms one by chance about one time in seven.
constexpr long long kValidSequenceWeight = 3;
// A text with this many invalid bytes, four for every valid sequence, is not
// UTF-8: the scan of a large GBK file stops there.
constexpr qsizetype kHopelessInvalid = 4096;

enum class Kind {
    Ascii,
    AsciiLetter,
    AsciiDigit,
    Control,
    Hanzi,       // in the ranges; the table splits it by GB2312 level
    Hanzi1,      // GB2312 level 1: the 3,755 common hanzi
    Hanzi2,      // GB2312 level 2
    OtherHanzi,  // unified hanzi outside GB2312 (traditional forms, GBK extras)
    RareHanzi,   // extensions and compatibility ideographs
    CjkPunct,    // CJK punctuation, full-width forms, common punctuation
    Symbol,      // arrows, shapes, letterlike, enclosed numbers, emoji
    LatinLetter, // letters with diacritics: pinyin, European names
    LatinSign,   // Latin-1 signs such as ° ± × ·
    Neutral,
    Foreign, // scripts a Simplified-Chinese text has no use for
    Private,
    Replacement,
};

struct Range {
    char32_t first, last;
    Kind kind;
};

// Sorted, non-overlapping; what falls between ranges is Foreign.
constexpr Range kRanges[] = {
    {0x0000, 0x0008, Kind::Control},     {0x0009, 0x000A, Kind::Ascii},
    {0x000B, 0x000C, Kind::Control},     {0x000D, 0x000D, Kind::Ascii},
    {0x000E, 0x001F, Kind::Control},     {0x0020, 0x002F, Kind::Ascii},
    {0x0030, 0x0039, Kind::AsciiDigit},  {0x003A, 0x0040, Kind::Ascii},
    {0x0041, 0x005A, Kind::AsciiLetter}, {0x005B, 0x0060, Kind::Ascii},
    {0x0061, 0x007A, Kind::AsciiLetter}, {0x007B, 0x007E, Kind::Ascii},
    {0x007F, 0x009F, Kind::Control},     {0x00A0, 0x00BF, Kind::LatinSign},
    {0x00C0, 0x00D6, Kind::LatinLetter}, {0x00D7, 0x00D7, Kind::LatinSign},
    {0x00D8, 0x00F6, Kind::LatinLetter}, {0x00F7, 0x00F7, Kind::LatinSign},
    {0x00F8, 0x024F, Kind::LatinLetter}, {0x02B0, 0x02FF, Kind::Neutral},
    {0x1E00, 0x1EFF, Kind::LatinLetter}, {0x2000, 0x200A, Kind::Neutral},
    {0x2010, 0x2027, Kind::CjkPunct},    {0x2030, 0x205E, Kind::Neutral},
    {0x2070, 0x209F, Kind::Neutral},     {0x20A0, 0x20BF, Kind::Symbol},
    {0x2100, 0x21FF, Kind::Symbol},      {0x2200, 0x23FF, Kind::Neutral},
    {0x2460, 0x24FF, Kind::Symbol},      {0x2500, 0x257F, Kind::Symbol},
    {0x25A0, 0x27BF, Kind::Symbol},      {0x2E80, 0x2FDF, Kind::RareHanzi},
    {0x3000, 0x303F, Kind::CjkPunct},    {0x3100, 0x312F, Kind::Neutral},
    {0x3200, 0x33FF, Kind::Neutral},     {0x3400, 0x4DBF, Kind::RareHanzi},
    {0x4E00, 0x9FFF, Kind::Hanzi},       {0xE000, 0xF8FF, Kind::Private},
    {0xF900, 0xFAFF, Kind::RareHanzi},   {0xFE30, 0xFE6F, Kind::Neutral},
    {0xFF01, 0xFF5E, Kind::CjkPunct},    {0xFFE0, 0xFFE6, Kind::CjkPunct},
    {0xFFFD, 0xFFFD, Kind::Replacement}, {0x1F000, 0x1FAFF, Kind::Symbol},
    {0x20000, 0x3FFFF, Kind::RareHanzi}, {0xF0000, 0x10FFFF, Kind::Private},
};

Kind kindInRanges(char32_t c) {
    const auto* it = std::upper_bound(std::begin(kRanges), std::end(kRanges), c,
                                      [](char32_t v, const Range& r) { return v < r.first; });
    if (it == std::begin(kRanges))
        return Kind::Foreign;
    --it;
    return c <= it->last ? it->kind : Kind::Foreign;
}

// The BMP through a table, built once from the ranges.
Kind kindOf(char32_t c) {
    static const std::unique_ptr<std::array<Kind, 65536>> bmp = [] {
        auto t = std::make_unique<std::array<Kind, 65536>>();
        constexpr Kind levels[] = {Kind::OtherHanzi, Kind::Hanzi1, Kind::Hanzi2};
        for (char32_t u = 0; u < 65536; ++u) {
            const Kind k = kindInRanges(u);
            (*t)[u] = k == Kind::Hanzi ? levels[text_codec::gb2312Level(char16_t(u))] : k;
        }
        return t;
    }();
    return c < 65536 ? (*bmp)[c] : kindInRanges(c);
}

int baseWeight(Kind kind) {
    switch (kind) {
    case Kind::Ascii:
    case Kind::AsciiLetter:
    case Kind::AsciiDigit:
    case Kind::Neutral:
        return 0;
    case Kind::Control:
        return -6;
    case Kind::Hanzi1:
        return 3;
    case Kind::Hanzi2:
        return 2;
    case Kind::Hanzi:
    case Kind::OtherHanzi:
        return -1;
    case Kind::RareHanzi:
        return -4;
    case Kind::CjkPunct:
        return 2;
    case Kind::Symbol:
        return 1;
    case Kind::LatinLetter:
    case Kind::LatinSign:
        return 0; // plausible only in a word or a number: see contextBonus
    case Kind::Foreign:
        return -3;
    case Kind::Private:
        return -4;
    case Kind::Replacement:
        return -10;
    }
    return 0;
}

// Latin letters and signs are plausible where they sit in a word or a number.
int contextBonus(Kind kind, Kind before, Kind after) {
    const auto letter = [](Kind k) { return k == Kind::AsciiLetter; };
    const auto alnum = [](Kind k) { return k == Kind::AsciiLetter || k == Kind::AsciiDigit; };
    if (kind == Kind::LatinLetter && (letter(before) || letter(after)))
        return 3;
    if (kind == Kind::LatinSign && (alnum(before) || alnum(after)))
        return 3;
    return 0;
}

} // namespace

Utf8Scan scanUtf8(QByteArrayView bytes) {
    Utf8Scan s;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    auto invalid = [&] {
        if (s.firstError < 0)
            s.firstError = i;
        ++s.invalidBytes;
        ++i;
    };
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (s.invalidBytes >= kHopelessInvalid && s.invalidBytes > 4 * s.validSequences) {
            s.gaveUp = true;
            break;
        }
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
            invalid(); // a continuation byte, C0, C1 or F5..FF
            continue;
        }
        char32_t cp = b & (0x7F >> length);
        int k = 1;
        for (; k < length && i + k < n && (p[i + k] & 0xC0) == 0x80; ++k)
            cp = (cp << 6) | (p[i + k] & 0x3F);
        // The shortest form only, no surrogates, nothing past U+10FFFF.
        if (k < length || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            invalid(); // the lead byte; what follows is scanned afresh
            continue;
        }
        ++s.validSequences;
        i += length;
    }
    return s;
}

long long plausibility(QStringView text) {
    long long total = 0;
    Kind before = Kind::Ascii;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto next = [&](qsizetype& at) -> char32_t {
        const QChar c = text[at++];
        if (c.isHighSurrogate() && at < n && text[at].isLowSurrogate())
            return QChar::surrogateToUcs4(c, text[at++]);
        return c.isSurrogate() ? char32_t(0xFFFD) : char32_t(c.unicode());
    };
    if (n == 0)
        return 0;
    char32_t current = next(i);
    Kind kind = kindOf(current);
    while (true) {
        const bool last = i >= n;
        const char32_t following = last ? U' ' : next(i);
        const Kind after = last ? Kind::Ascii : kindOf(following);
        total += baseWeight(kind) + contextBonus(kind, before, after);
        if (last)
            break;
        before = kind;
        current = following;
        kind = after;
    }
    return total;
}

Decoded decode(const QByteArray& bytes) {
    Encoding marked;
    if (text_codec::startsWithMark(bytes, &marked))
        return text_codec::decodeAs(
            QByteArrayView(bytes).sliced(text_codec::byteOrderMark(marked).size()), marked);

    const Utf8Scan scan = scanUtf8(bytes);
    auto asUtf8 = [&] {
        Decoded d;
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
        d.text = utf8.decode(bytes);
        d.text.squeeze(); // room was made for one unit a byte: 2.4 times too much for Chinese
        d.encoding = Encoding::Utf8;
        d.invalidBytes = scan.invalidBytes > 0;
        return d;
    };
    if (!scan.gaveUp && scan.validSequences >= kConvincingSequences &&
        scan.validSequences >= kValidPerInvalid * scan.invalidBytes)
        return asUtf8();

    // Plainly not UTF-8 (more invalid bytes than valid sequences, and many of
    // them), or no multi-byte sequence at all: no need to compare readings.
    const bool plainlyNot =
        scan.invalidBytes >= kConvincingSequences && scan.invalidBytes > scan.validSequences;
    text_codec::GbDecoded gb = text_codec::decodeGb(bytes);
    if (!plainlyNot && scan.validSequences > 0) {
        Decoded utf8 = asUtf8();
        const long long evidence =
            scan.invalidBytes == 0 ? kValidSequenceWeight * scan.validSequences : 0;
        if (plausibility(utf8.text) + evidence > plausibility(gb.text))
            return utf8;
    }
    Decoded d;
    d.text = std::move(gb.text);
    d.invalidBytes = gb.invalid;
    // A file that used a form only GB18030 has keeps to GB18030; one that used
    // code page 936's single bytes keeps to those.
    d.encoding = gb.gb18030Forms && !gb.gbkForms ? Encoding::Gb18030 : Encoding::Gbk;
    return d;
}

} // namespace encoding_detection
