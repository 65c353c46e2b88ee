#pragma once

#include <QStringView>
#include <vector>

// Exact substring search over UTF-16 code units in worst-case linear time
// (Knuth-Morris-Pratt): a pattern like "b" + "aaa..." against "aaaa..." costs
// no more than any other. Case-insensitive matching folds both sides one code
// unit at a time, so a match always has the length of the pattern.
namespace search {

class Matcher {
  public:
    explicit Matcher(QStringView pattern, Qt::CaseSensitivity cs = Qt::CaseSensitive);

    qsizetype patternLength() const { return qsizetype(m_pattern.size()); }

    // Start of the first occurrence at or after `from`; -1 when there is none
    // (always for an empty pattern).
    qsizetype indexIn(QStringView text, qsizetype from = 0) const;

    // Start of the last occurrence that lies wholly within the first `end`
    // code units of `text`; -1 when there is none.
    qsizetype lastIndexIn(QStringView text, qsizetype end) const;

    // Non-overlapping occurrences, scanning from the left.
    qsizetype countIn(QStringView text) const;

  private:
    char16_t unit(char16_t c) const;
    qsizetype findFolded(const char16_t* s, qsizetype i, qsizetype n, char16_t u) const;

    Qt::CaseSensitivity m_cs;
    const char16_t* m_fold = nullptr;        // folding table when case-insensitive
    std::vector<char16_t> m_pattern;         // folded when case-insensitive
    std::vector<qsizetype> m_border;         // KMP failure function of m_pattern
    std::vector<qsizetype> m_reversedBorder; // the same for the reversed pattern
};

// True when the processor compares sixteen code units at a time (AVX2).
bool hasWideVectors();

// The first i' >= i with s[i'] == u, or n.
qsizetype findUnit(const char16_t* s, qsizetype i, qsizetype n, char16_t u);

} // namespace search
