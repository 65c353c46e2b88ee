#include "host/substring_search.h"

#include <QChar>
#include <bit>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace search {

namespace {

// border[i] = length of the longest proper border of p[0..i].
template <typename At> std::vector<qsizetype> borders(qsizetype m, At at) {
    std::vector<qsizetype> border(size_t(m), 0);
    qsizetype k = 0;
    for (qsizetype i = 1; i < m; ++i) {
        while (k > 0 && at(i) != at(k))
            k = border[size_t(k - 1)];
        if (at(i) == at(k))
            ++k;
        border[size_t(i)] = k;
    }
    return border;
}

// QChar::toCaseFolded for every code unit, looked up instead of called: the call
// per unit would dominate a case-insensitive scan.
const char16_t* foldTable() {
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(0x10000);
        for (char32_t c = 0; c < 0x10000; ++c)
            t[c] = QChar::toCaseFolded(char16_t(c));
        return t;
    }();
    return table.data();
}

} // namespace

Matcher::Matcher(QStringView pattern, Qt::CaseSensitivity cs)
    : m_cs(cs), m_fold(cs == Qt::CaseSensitive ? nullptr : foldTable()) {
    m_pattern.reserve(size_t(pattern.size()));
    for (const QChar c : pattern)
        m_pattern.push_back(unit(c.unicode()));
    const auto m = qsizetype(m_pattern.size());
    m_border = borders(m, [this](qsizetype i) { return m_pattern[size_t(i)]; });
    m_reversedBorder = borders(m, [this, m](qsizetype i) { return m_pattern[size_t(m - 1 - i)]; });
}

char16_t Matcher::unit(char16_t c) const {
    return m_fold ? m_fold[c] : c;
}

qsizetype Matcher::indexIn(QStringView text, qsizetype from) const {
    const auto m = qsizetype(m_pattern.size());
    if (m == 0 || from < 0)
        return -1;
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    const char16_t first = m_pattern[0];
    qsizetype k = 0;
    for (qsizetype i = from; i < n; ++i) {
        if (k == 0) {
            // Most of a scan is spent looking for the first unit.
            i = m_cs == Qt::CaseSensitive ? findUnit(s, i, n, first) : findFolded(s, i, n, first);
            if (i == n)
                return -1;
            k = 1;
        } else {
            const char16_t c = unit(s[i]);
            while (k > 0 && c != m_pattern[size_t(k)])
                k = m_border[size_t(k - 1)];
            if (c == m_pattern[size_t(k)])
                ++k;
        }
        if (k == m)
            return i - m + 1;
    }
    return -1;
}

qsizetype Matcher::findFolded(const char16_t* s, qsizetype i, qsizetype n, char16_t u) const {
    while (i < n && unit(s[i]) != u)
        ++i;
    return i;
}

#if defined(__x86_64__) && defined(__GNUC__)
namespace {

// Sixteen units at a time where the processor can; returns the first hit or
// where it stopped looking.
__attribute__((target("avx2"))) qsizetype findUnitWide(const char16_t* s, qsizetype i, qsizetype n,
                                                       char16_t u) {
    const __m256i needle = _mm256_set1_epi16(short(u));
    for (; i + 16 <= n; i += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const auto mask = unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi16(v, needle)));
        if (mask != 0)
            return i + (std::countr_zero(mask) >> 1);
    }
    return i;
}

} // namespace

bool hasWideVectors() {
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
}
#else
bool hasWideVectors() {
    return false;
}
#endif

qsizetype findUnit(const char16_t* s, qsizetype i, qsizetype n, char16_t u) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (hasWideVectors())
        i = findUnitWide(s, i, n, u);
#endif
#ifdef __SSE2__
    const __m128i needle = _mm_set1_epi16(short(u));
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(v, needle));
        if (mask != 0)
            return i + (std::countr_zero(unsigned(mask)) >> 1);
    }
#endif
    for (; i < n; ++i) {
        if (s[i] == u)
            return i;
    }
    return n;
}

qsizetype Matcher::lastIndexIn(QStringView text, qsizetype end) const {
    const auto m = qsizetype(m_pattern.size());
    end = std::min(end, text.size());
    if (m == 0 || end < m)
        return -1;
    // Scan backwards with the reversed pattern: stops at the nearest match.
    const char16_t* s = text.utf16();
    const char16_t last = m_pattern[size_t(m - 1)];
    qsizetype k = 0;
    for (qsizetype i = end - 1; i >= 0; --i) {
        const char16_t c = unit(s[i]);
        if (k == 0) {
            // As in indexIn: most of a scan looks for the pattern's last unit.
            if (c != last)
                continue;
            k = 1;
        } else {
            while (k > 0 && c != m_pattern[size_t(m - 1 - k)])
                k = m_reversedBorder[size_t(k - 1)];
            if (c == m_pattern[size_t(m - 1 - k)])
                ++k;
        }
        if (k == m)
            return i;
    }
    return -1;
}

qsizetype Matcher::countIn(QStringView text) const {
    const qsizetype m = patternLength();
    qsizetype count = 0;
    for (qsizetype at = indexIn(text, 0); at >= 0; at = indexIn(text, at + m))
        ++count;
    return count;
}

} // namespace search
