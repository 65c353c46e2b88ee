#include "analysis/stream_preparation.h"

#include <QChar>
#include <QStringList>
#include <deque>
#include <unordered_set>

namespace stream_preparation {

namespace {

std::vector<int> bordersOf(const std::vector<char16_t>& p) {
    std::vector<int> border(p.size(), 0);
    int k = 0;
    for (std::size_t i = 1; i < p.size(); ++i) {
        while (k > 0 && p[i] != p[std::size_t(k)])
            k = border[std::size_t(k - 1)];
        if (p[i] == p[std::size_t(k)])
            ++k;
        border[i] = k;
    }
    return border;
}

// The case-folded units of a text, one code point at a time, keeping its length.
void foldInto(const char16_t* in, std::size_t n, std::vector<char16_t>& out) {
    out.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(c, in[i + 1]));
            const bool pair = QChar::requiresSurrogates(f);
            out[i] = pair ? QChar::highSurrogate(f) : c;
            out[i + 1] = pair ? QChar::lowSurrogate(f) : in[i + 1];
            ++i;
        } else {
            out[i] = QChar::toCaseFolded(c);
        }
    }
}

} // namespace

// One pass: removes the units of a set, or every non-overlapping occurrence of
// a pattern (compared exactly or by case folding).
struct Preparer::Stage {
    bool folding = false;
    std::unordered_set<char16_t> units; // when the pattern is empty
    std::vector<char16_t> pattern;
    std::vector<int> border;
    int state = 0;
    std::deque<char16_t> held;     // the text units of the match in progress
    std::vector<char16_t> pending; // a high surrogate whose pair is still to come
    std::vector<char16_t> input, key;

    void run(const std::vector<char16_t>& in, bool last, std::vector<char16_t>& out) {
        input.assign(pending.begin(), pending.end());
        input.insert(input.end(), in.begin(), in.end());
        pending.clear();
        if (folding && !last && !input.empty() && QChar::isHighSurrogate(input.back())) {
            pending.push_back(input.back());
            input.pop_back();
        }
        if (folding)
            foldInto(input.data(), input.size(), key);
        const std::vector<char16_t>& k = folding ? key : input;
        if (pattern.empty()) {
            for (std::size_t i = 0; i < input.size(); ++i)
                if (!units.contains(k[i]))
                    out.push_back(input[i]);
            return;
        }
        const int m = int(pattern.size());
        for (std::size_t i = 0; i < input.size(); ++i) {
            const char16_t c = k[i];
            while (state > 0 && c != pattern[std::size_t(state)]) {
                // The units that can no longer start a match go through.
                const int next = border[std::size_t(state - 1)];
                out.insert(out.end(), held.begin(), held.begin() + (state - next));
                held.erase(held.begin(), held.begin() + (state - next));
                state = next;
            }
            if (c == pattern[std::size_t(state)]) {
                ++state;
                held.push_back(input[i]);
                if (state == m) {
                    held.clear();
                    state = 0;
                }
            } else {
                out.push_back(input[i]);
            }
        }
        if (last) {
            out.insert(out.end(), held.begin(), held.end());
            held.clear();
            state = 0;
        }
    }
};

Preparer::Preparer(const preparation::Options& options) : m_lowerCase(options.lowerCase) {
    auto patternStage = [&](QStringView pattern, bool folding) {
        auto stage = std::make_unique<Stage>();
        stage->folding = folding;
        if (folding)
            foldInto(pattern.utf16(), std::size_t(pattern.size()), stage->pattern);
        else
            stage->pattern.assign(pattern.utf16(), pattern.utf16() + pattern.size());
        stage->border = bordersOf(stage->pattern);
        m_stages.push_back(std::move(stage));
    };
    if (options.removeLineBreaks)
        patternStage(u"\r\n", false);
    if (options.removeSpaces) {
        auto stage = std::make_unique<Stage>();
        stage->units.insert(u' ');
        m_stages.push_back(std::move(stage));
    }
    if (!options.separator.isEmpty())
        patternStage(options.separator, false);
    if (options.removeListed && !options.ignoreList.isEmpty()) {
        for (const QString& entry : options.ignoreList.split(u' ')) {
            if (entry.isEmpty())
                continue;
            if (entry.size() == 1) {
                // Single units never bring others together: one set for a run of them.
                if (m_stages.empty() || !m_stages.back()->folding ||
                    !m_stages.back()->pattern.empty()) {
                    m_stages.push_back(std::make_unique<Stage>());
                    m_stages.back()->folding = true;
                }
                m_stages.back()->units.insert(QChar::toCaseFolded(entry.front().unicode()));
                continue;
            }
            patternStage(entry, true);
        }
    }
}

Preparer::~Preparer() = default;

void Preparer::feed(QStringView piece, bool last, std::vector<char16_t>& out) {
    m_a.assign(piece.utf16(), piece.utf16() + piece.size());
    if (m_lowerCase)
        for (char16_t& c : m_a)
            if (!QChar::isSurrogate(c))
                c = QChar::toLower(c);
    for (const auto& stage : m_stages) {
        m_b.clear();
        stage->run(m_a, last, m_b);
        std::swap(m_a, m_b);
    }
    out.insert(out.end(), m_a.begin(), m_a.end());
}

OccurrenceCounter::OccurrenceCounter(QStringView pattern)
    : m_pattern(pattern.utf16(), pattern.utf16() + pattern.size()), m_border(bordersOf(m_pattern)) {
}

void OccurrenceCounter::feed(const char16_t* units, qsizetype n) {
    const int m = int(m_pattern.size());
    if (m == 0)
        return;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = units[i];
        while (m_state > 0 && c != m_pattern[std::size_t(m_state)])
            m_state = m_border[std::size_t(m_state - 1)];
        if (c == m_pattern[std::size_t(m_state)] && ++m_state == m) {
            ++m_count;
            m_state = 0;
        }
    }
}

} // namespace stream_preparation
