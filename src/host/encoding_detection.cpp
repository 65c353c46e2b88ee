#include "host/encoding_detection.h"

#include "host/utf8_sequence.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string_view>

namespace encoding_detection {

using text_codec::Decoded;
using text_codec::Encoding;

namespace {

// A long valid UTF-8 text is UTF-8: GBK text is rarely valid UTF-8 for more
// than a few characters. A mostly valid one is UTF-8 with a few stray bytes.
constexpr qsizetype kConvincingSequences = 16;
constexpr qsizetype kValidPerInvalid = 8;
// In a short text without invalid bytes, each well-formed sequence still
// counts for UTF-8: GBK text forms one by chance about one time in seven, and
// four or more in a row with no invalid byte between them rarely.
constexpr long long kValidSequenceWeight = 3;
constexpr qsizetype kRarelyChance = 4;
constexpr long long kRarelyChanceWeight = 5;
// A text with this many invalid bytes, four for every valid sequence, is not
// UTF-8: the scan of a large GBK file stops there.
constexpr qsizetype kHopelessInvalid = 4096;
// An ASCII letter, digit, space or line break read from UTF-16: the NUL byte
// beside it sits where that byte order puts it.
constexpr long long kAsciiWeight = 5;
// How much of a file with NUL bytes is read to decide whether it is UTF-16.
constexpr qsizetype kUtf16Sample = qsizetype(1) << 20;

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
    LatinCommon, // © ®, and the accented letters most often met alone, such as é
    RareLatin,   // letters hardly any language uses; what GBK bytes read as by chance
    Alphabet,    // Greek and Cyrillic: plausible in a word of their own letters
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
        // Whose GBK twin is an uncommon hanzi: 茅 帽 莽 枚 盲 贸 谩 铆 煤 猫 漏 庐.
        for (const char16_t u : std::u16string_view(u"éñçöäóáíúè©®"))
            (*t)[u] = Kind::LatinCommon;
        for (char32_t u = 0x0180; u <= 0x024F; ++u)
            (*t)[u] = Kind::RareLatin;
        for (char32_t u = 0x01CD; u <= 0x01DC; ++u) // pinyin: ǎ ǐ ǒ ǔ ǖ ǘ ǚ ǜ
            (*t)[u] = Kind::LatinLetter;
        for (char32_t u = 0x0218; u <= 0x021B; ++u) // Romanian: ș ț
            (*t)[u] = Kind::LatinLetter;
        for (const char16_t u : std::u16string_view(u"\u0132\u0133\u0138\u013F\u0140\u0149\u017F"))
            (*t)[u] = Kind::RareLatin;
        for (char32_t u = 0x02B0; u <= 0x02FF; ++u) // spacing modifiers, but tone marks
            (*t)[u] = u == 0x02C7 || (u >= 0x02C9 && u <= 0x02CB) || u == 0x02D9 || u == 0x02BC
                          ? Kind::Neutral
                          : Kind::Foreign;
        for (char32_t u = 0x0370; u <= 0x04FF; ++u)
            (*t)[u] = Kind::Alphabet;
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
    case Kind::LatinCommon:
        return 2;
    case Kind::RareLatin:
        return -1;
    case Kind::Alphabet:
        return -3;
    case Kind::Foreign:
        return -3;
    case Kind::Private:
        return -4;
    case Kind::Replacement:
        return -10;
    }
    return 0;
}

bool isHanzi(Kind k) {
    return k == Kind::Hanzi1 || k == Kind::Hanzi2 || k == Kind::OtherHanzi;
}

// Latin letters and signs are plausible where they sit in a word or a number,
// Greek and Cyrillic letters in a word of their own; a hanzi in a run of
// hanzi is stronger evidence than one alone among ASCII words.
int contextBonus(Kind kind, Kind before, Kind after) {
    const auto letter = [](Kind k) { return k == Kind::AsciiLetter; };
    const auto alnum = [](Kind k) { return k == Kind::AsciiLetter || k == Kind::AsciiDigit; };
    const auto either = [&](auto test) { return test(before) || test(after); };
    if ((kind == Kind::LatinLetter || kind == Kind::LatinCommon) && either(letter))
        return 3;
    if (kind == Kind::LatinSign && either(alnum))
        return 3;
    if (kind == Kind::Alphabet && either([](Kind k) { return k == Kind::Alphabet; }))
        return 2;
    if (isHanzi(kind) && either([](Kind k) { return isHanzi(k) || k == Kind::CjkPunct; }))
        return 1;
    return 0;
}

// Letters, digits, spaces and line breaks count in full; other ASCII signs,
// which box drawings and the like read as in the wrong byte order, little.
long long asciiText(QStringView text) {
    long long total = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || (u >= u'0' && u <= u'9') ||
            (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
            total += kAsciiWeight;
        else if (u > 0x20 && u < 0x7F)
            total += 1;
    }
    return total;
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
        const utf8::Lead lead = utf8::lead(b);
        if (!lead.length || !utf8::sequence(p, i, n, lead).valid(lead)) {
            invalid(); // the lead byte; what follows is scanned afresh
            continue;
        }
        ++s.validSequences;
        i += lead.length;
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
    if (text_codec::startsWithMark(bytes, &marked)) {
        Decoded d = text_codec::decodeAs(
            QByteArrayView(bytes).sliced(text_codec::byteOrderMark(marked).size()), marked);
        // A mark does not make NUL characters text: UTF-32 LE begins with
        // UTF-16 LE's mark, and its lone CRs would be saved as line breaks.
        d.nulBytes = d.text.contains(QChar(u'\0'));
        return d;
    }

    Decoded d = decodeUnmarked(bytes);
    if (!bytes.contains('\0'))
        return d;
    // GBK and UTF-8 text has no NUL bytes; UTF-16 without a mark has one in
    // every ASCII character (0D 00 0A 00 for a line break, little-endian). Of
    // the two byte orders, the whole reading without NUL characters that is
    // the more plausible, and at least as plausible as the NULs read as
    // controls, wins; otherwise the file is no text we know and is flagged.
    if (bytes.size() % 2 == 0) {
        // Judged on the first bytes: plenty of evidence, and a large binary
        // file costs no more than that.
        const QByteArrayView sample =
            QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), kUtf16Sample));
        std::optional<Encoding> best;
        long long bestScore = plausibility(text_codec::decodeAs(sample, d.encoding).text);
        for (const Encoding e : {Encoding::Utf16LeNoMark, Encoding::Utf16BeNoMark}) {
            const Decoded utf16 = text_codec::decodeAs(sample, e);
            if (utf16.invalidBytes || utf16.text.contains(QChar(u'\0')))
                continue;
            const long long score = plausibility(utf16.text) + asciiText(utf16.text);
            if (score >= bestScore + (best ? 1 : 0)) {
                bestScore = score;
                best = e;
            }
        }
        if (best) {
            Decoded utf16 = text_codec::decodeAs(bytes, *best);
            if (!utf16.invalidBytes && !utf16.text.contains(QChar(u'\0')))
                return utf16;
        }
    }
    d.nulBytes = true;
    return d;
}

Decoded decodeUnmarked(const QByteArray& bytes) {
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
        const long long weight =
            scan.validSequences >= kRarelyChance ? kRarelyChanceWeight : kValidSequenceWeight;
        const long long evidence = scan.invalidBytes == 0 ? weight * scan.validSequences : 0;
        if (plausibility(utf8.text) + evidence > plausibility(gb.text))
            return utf8;
    }
    Decoded d;
    d.text = std::move(gb.text);
    d.invalidBytes = gb.invalid;
    d.bothForms = gb.bothForms;
    // A file that used a form only GB18030 has keeps to GB18030; one that used
    // code page 936's single bytes keeps to those.
    d.encoding = gb.gb18030Forms && !gb.gbkForms ? Encoding::Gb18030 : Encoding::Gbk;
    return d;
}

} // namespace encoding_detection
