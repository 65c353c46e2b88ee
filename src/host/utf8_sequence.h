#pragma once

#include <cstddef>

// One UTF-8 sequence as every reader of this program takes it: the shortest
// form only, no surrogates, nothing past U+10FFFF.
namespace utf8 {

// The length a lead byte announces and the least code point that length may
// carry; length 0 for a byte that leads no sequence (a continuation byte, C0,
// C1, F5..FF).
struct Lead {
    int length = 0;
    char32_t min = 0;
};

constexpr Lead lead(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF)
        return {2, 0x80};
    if ((b & 0xF0) == 0xE0)
        return {3, 0x800};
    if (b >= 0xF0 && b <= 0xF4)
        return {4, 0x10000};
    return {};
}

// The sequence that `lead` starts at p[i], read no further than p[n - 1]:
// `read` bytes of it were there (the lead and the continuation bytes that
// followed it), `cp` their value.
struct Sequence {
    int read = 1;
    char32_t cp = 0;
    bool valid(const Lead& l) const {
        return read == l.length && cp >= l.min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    }
};

template <typename Size>
constexpr Sequence sequence(const unsigned char* p, Size i, Size n, const Lead& l) {
    Sequence s{1, char32_t(p[i] & (0x7F >> l.length))};
    for (; s.read < l.length && i + Size(s.read) < n && (p[i + Size(s.read)] & 0xC0) == 0x80;
         ++s.read)
        s.cp = (s.cp << 6) | (p[i + Size(s.read)] & 0x3F);
    return s;
}

} // namespace utf8
