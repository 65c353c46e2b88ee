#include "analysis/text_preparation.h"

#include "host/substring_search.h"

#include <QBitArray>
#include <QStringList>
#include <bit>
#include <bitset>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif
#include <cstring>
#include <memory>

namespace preparation {

QString lowerCaseUnits(const QString& text) {
    QString out(text.size(), Qt::Uninitialized);
    const QChar* src = text.constData();
    QChar* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = src[i];
        dst[i] = c.isSurrogate() ? c : c.toLower();
    }
    return out;
}

namespace {

// The text folded one character at a time (a surrogate pair as one code
// point), so that a case-insensitive match is an exact match of folded units
// and has the length of the entry.
QString folded(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    const char16_t* in = text.utf16();
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(c, in[i + 1]));
            const bool pair = QChar::requiresSurrogates(f);
            o[i] = pair ? QChar::highSurrogate(f) : c;
            o[i + 1] = pair ? QChar::lowSurrogate(f) : in[i + 1];
            ++i;
        } else {
            o[i] = QChar::toCaseFolded(c);
        }
    }
    return out;
}

// Code units of the folded text, counted; removals only ever lower them.
using UnitCounts = std::vector<qsizetype>;

UnitCounts countUnits(QStringView text) {
    UnitCounts counts(65536, 0);
    for (const QChar c : text)
        ++counts[c.unicode()];
    return counts;
}

// One left-to-right pass that deletes every non-overlapping occurrence that
// `matcher` finds in `key`, from `key` and at the same places from `text` (when
// it is not `key` itself). Nothing moves before the first occurrence.
void removeMatches(QString& text, QString* key, const search::Matcher& matcher,
                   UnitCounts* counts) {
    QString& k = key ? *key : text;
    qsizetype at = matcher.indexIn(k, 0);
    if (at < 0)
        return;
    const qsizetype m = matcher.patternLength();
    const qsizetype n = k.size();
    char16_t* t = reinterpret_cast<char16_t*>(text.data());
    char16_t* f = key ? reinterpret_cast<char16_t*>(key->data()) : t;
    const QStringView rest(f, n); // still intact from each `src` on
    qsizetype dst = at;
    qsizetype src = at;
    auto keep = [&](qsizetype to) {
        if (dst != src) {
            std::memmove(t + dst, t + src, size_t(to - src) * sizeof(char16_t));
            if (key)
                std::memmove(f + dst, f + src, size_t(to - src) * sizeof(char16_t));
        }
        dst += to - src;
    };
    while (at >= 0) {
        keep(at);
        if (counts) {
            for (qsizetype j = at; j < at + m; ++j)
                --(*counts)[f[j]];
        }
        src = at + m;
        at = matcher.indexIn(rest, src);
    }
    keep(n);
    text.truncate(dst);
    if (key)
        key->truncate(dst);
}

bool isSingleUnit(const QString& entry) {
    return entry.size() == 1;
}

// One entry of the list as a stage of a pipeline: a Knuth-Morris-Pratt
// automaton that deletes the entry's non-overlapping occurrences from the
// stream of units that the stages before it let through. The units of a match
// in progress at the end of a chunk wait in `carry` for the next chunk.
struct Stage {
    QString entry; // folded
    std::vector<int> border;
    QBitArray* units = nullptr; // for a run of single-unit entries instead of `entry`
    int state = 0;
    std::vector<char16_t> carryText, carryKey;
};

std::vector<int> bordersOf(QStringView p) {
    std::vector<int> border(size_t(p.size()), 0);
    int k = 0;
    for (qsizetype i = 1; i < p.size(); ++i) {
        while (k > 0 && p[i] != p[k])
            k = border[size_t(k - 1)];
        if (p[i] == p[k])
            ++k;
        border[size_t(i)] = k;
    }
    return border;
}

#if defined(__x86_64__) && defined(__GNUC__)
// Sixteen places at a time; returns the first hit or where it stopped looking.
__attribute__((target("avx2"))) qsizetype findStartWide(const char16_t* f, qsizetype i,
                                                        qsizetype end, char16_t a, char16_t b) {
    const __m256i va = _mm256_set1_epi16(short(a));
    const __m256i vb = _mm256_set1_epi16(short(b));
    for (; i + 17 <= end; i += 16) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f + i));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f + i + 1));
        const auto mask = unsigned(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi16(x, va), _mm256_cmpeq_epi16(y, vb))));
        if (mask != 0)
            return i + (std::countr_zero(mask) >> 1);
    }
    return i;
}
#endif

// The first i in [from, end) where a match of an entry starting with a, b may
// begin: f[i] == a and f[i + 1] == b, or f[i] == a as the last unit; else end.
qsizetype findStart(const char16_t* f, qsizetype i, qsizetype end, char16_t a, char16_t b) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (search::hasWideVectors())
        i = findStartWide(f, i, end, a, b);
#endif
#ifdef __SSE2__
    const __m128i va = _mm_set1_epi16(short(a));
    const __m128i vb = _mm_set1_epi16(short(b));
    for (; i + 9 <= end; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + i + 1));
        const int mask =
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(x, va), _mm_cmpeq_epi16(y, vb)));
        if (mask != 0)
            return i + (std::countr_zero(unsigned(mask)) >> 1);
    }
#endif
    for (; i + 1 < end; ++i) {
        if (f[i] == a && f[i + 1] == b)
            return i;
    }
    return i < end && f[i] == a ? i : end;
}

// Runs `stage` over units [from, end) of the chunk, writing what it keeps in
// place from `dst` on (dst <= from); the units before `dst` that the stage still
// holds are the last `state` units written.
qsizetype runStage(Stage& stage, char16_t* t, char16_t* f, qsizetype from, qsizetype end,
                   qsizetype dst) {
    const auto* e = reinterpret_cast<const char16_t*>(stage.entry.constData());
    const int m = int(stage.entry.size()); // at least 2
    int s = stage.state;
    qsizetype src = from;
    while (src < end) {
        if (s == 0) {
            const qsizetype hit = findStart(f, src, end, e[0], e[1]);
            if (dst != src) {
                std::memmove(t + dst, t + src, size_t(hit - src) * sizeof(char16_t));
                std::memmove(f + dst, f + src, size_t(hit - src) * sizeof(char16_t));
            }
            dst += hit - src;
            src = hit;
            if (src == end)
                break;
        }
        const char16_t c = f[src];
        while (s > 0 && c != e[s])
            s = stage.border[size_t(s - 1)];
        if (c == e[s])
            ++s;
        t[dst] = t[src];
        f[dst++] = f[src++];
        if (s == m) {
            dst -= m; // the match is the last m units written
            s = 0;
        }
    }
    stage.state = s;
    return dst;
}

// Each entry in turn is removed from what the ones before left, ignoring case:
// the passes run one after another over each chunk of the text while it is in
// the cache, which gives the same result as pass after pass over the whole
// text. An entry with a unit that the text does not hold is left out.
void removeListed(QString& text, const QStringList& entries) {
    const QString key = folded(text);
    const UnitCounts counts = countUnits(key);
    std::vector<Stage> stages;
    std::vector<std::unique_ptr<QBitArray>> unitSets;
    qsizetype margin = 1;
    for (qsizetype i = 0; i < entries.size();) {
        if (isSingleUnit(entries[i])) {
            // Removing single characters never brings new ones together: a run
            // of them is one stage, whatever its length.
            auto set = std::make_unique<QBitArray>(65536);
            for (; i < entries.size() && isSingleUnit(entries[i]); ++i)
                set->setBit(QChar::toCaseFolded(entries[i].front().unicode()));
            stages.push_back({});
            stages.back().units = set.get();
            unitSets.push_back(std::move(set));
            continue;
        }
        QString entry = folded(entries[i++]);
        bool possible = !entry.isEmpty();
        for (const QChar c : std::as_const(entry))
            possible = possible && counts[c.unicode()] > 0;
        if (!possible)
            continue;
        margin += entry.size();
        Stage stage;
        stage.entry = entry;
        stage.border = bordersOf(entry);
        stages.push_back(std::move(stage));
    }
    if (stages.empty())
        return;

    constexpr qsizetype kChunk = 16 * 1024;
    std::vector<char16_t> t(size_t(margin + kChunk + 1)), f(t.size());
    QString out;
    out.reserve(text.size());
    const auto* inText = reinterpret_cast<const char16_t*>(text.constData());
    const auto* inKey = reinterpret_cast<const char16_t*>(key.constData());
    const qsizetype n = text.size();
    for (qsizetype at = 0;;) {
        const bool last = at == n;
        qsizetype length = std::min(kChunk, n - at);
        if (at + length < n && QChar::isHighSurrogate(inText[at + length - 1]))
            ++length; // keep a surrogate pair in one chunk
        std::memcpy(t.data() + margin, inText + at, size_t(length) * sizeof(char16_t));
        std::memcpy(f.data() + margin, inKey + at, size_t(length) * sizeof(char16_t));
        at += length;
        qsizetype start = margin;
        qsizetype end = margin + length;
        for (Stage& stage : stages) {
            if (stage.units) {
                qsizetype dst = start;
                for (qsizetype i = start; i < end; ++i) {
                    if (!stage.units->testBit(f[size_t(i)])) {
                        t[size_t(dst)] = t[size_t(i)];
                        f[size_t(dst++)] = f[size_t(i)];
                    }
                }
                end = dst;
                continue;
            }
            const auto held = qsizetype(stage.carryText.size());
            start -= held;
            std::copy(stage.carryText.begin(), stage.carryText.end(), t.begin() + start);
            std::copy(stage.carryKey.begin(), stage.carryKey.end(), f.begin() + start);
            end = runStage(stage, t.data(), f.data(), start + held, end, start + held);
            if (last) {
                stage.state = 0; // the text ends: what was held is no match
                stage.carryText.clear();
                stage.carryKey.clear();
                continue;
            }
            const qsizetype hold = stage.state;
            stage.carryText.assign(t.begin() + end - hold, t.begin() + end);
            stage.carryKey.assign(f.begin() + end - hold, f.begin() + end);
            end -= hold;
        }
        out.append(reinterpret_cast<const QChar*>(t.data() + start), end - start);
        if (last)
            break;
    }
    text = out;
}

} // namespace

void removeAll(QString& text, const QString& pattern, Qt::CaseSensitivity cs) {
    if (pattern.isEmpty())
        return;
    if (cs == Qt::CaseSensitive) {
        removeMatches(text, nullptr, search::Matcher(pattern), nullptr);
        return;
    }
    QString key = folded(text);
    removeMatches(text, &key, search::Matcher(folded(pattern)), nullptr);
}

QString prepare(QString text, const Options& options) {
    if (options.lowerCase)
        text = lowerCaseUnits(text);
    if (options.removeLineBreaks)
        removeAll(text, QStringLiteral("\r\n"), Qt::CaseSensitive);
    if (options.removeSpaces)
        text.remove(u' ');
    if (!options.separator.isEmpty())
        removeAll(text, options.separator, Qt::CaseSensitive);
    if (options.removeListed && !options.ignoreList.isEmpty())
        removeListed(text, options.ignoreList.split(u' '));
    return text;
}

qsizetype countOccurrences(const QString& text, const QString& pattern) {
    if (pattern.isEmpty())
        return 0;
    return search::Matcher(pattern).countIn(text);
}

} // namespace preparation
