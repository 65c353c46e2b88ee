#include "transforms/case_reversal.h"

#include <vector>

namespace transforms {

namespace {

// A mapping out of the Basic Multilingual Plane would need two code units.
char16_t oneForOne(char16_t original, char32_t mapped) {
    return mapped > 0xFFFF ? original : char16_t(mapped);
}

// One table per direction over all 65,536 code units, built at first use.
struct CaseTable {
    explicit CaseTable(char32_t (*map)(char32_t)) : units(0x10000) {
        for (char32_t c = 0; c < 0x10000; ++c)
            units[c] = oneForOne(char16_t(c), map(c));
    }
    std::vector<char16_t> units;
};

QString mapUnits(QStringView text, const CaseTable& table) {
    QString result(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    const char16_t* in = text.utf16();
    const char16_t* map = table.units.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = map[in[i]];
    return result;
}

} // namespace

QString upperCase(QStringView text) {
    static const CaseTable table([](char32_t c) { return QChar::toUpper(c); });
    return mapUnits(text, table);
}

QString lowerCase(QStringView text) {
    static const CaseTable table([](char32_t c) { return QChar::toLower(c); });
    return mapUnits(text, table);
}

void reverseInto(QStringView text, char16_t* out) {
    const char16_t* in = text.utf16();
    qsizetype i = text.size();
    while (i > 0) {
        const char16_t c = in[--i];
        if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(in[i - 1])) {
            *out++ = in[i - 1];
            *out++ = c;
            --i;
        } else {
            *out++ = c;
        }
    }
}

QString reversed(QStringView text) {
    QString result(text.size(), Qt::Uninitialized);
    reverseInto(text, reinterpret_cast<char16_t*>(result.data()));
    return result;
}

} // namespace transforms
