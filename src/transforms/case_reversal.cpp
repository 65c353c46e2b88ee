#include "transforms/case_reversal.h"

namespace transforms {

namespace {

template <typename Map> QString mapUnits(QStringView text, Map map) {
    QString result(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    const char16_t* in = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = map(in[i]);
    return result;
}

// A mapping out of the Basic Multilingual Plane would need two code units.
char16_t oneForOne(char16_t original, char32_t mapped) {
    return mapped > 0xFFFF ? original : char16_t(mapped);
}

} // namespace

QString upperCase(QStringView text) {
    return mapUnits(text, [](char16_t c) -> char16_t {
        if (c < 0x80)
            return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c;
        return oneForOne(c, QChar::toUpper(char32_t(c)));
    });
}

QString lowerCase(QStringView text) {
    return mapUnits(text, [](char16_t c) -> char16_t {
        if (c < 0x80)
            return (c >= u'A' && c <= u'Z') ? char16_t(c + 0x20) : c;
        return oneForOne(c, QChar::toLower(char32_t(c)));
    });
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
