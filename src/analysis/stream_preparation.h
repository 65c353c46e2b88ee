#pragma once

#include "analysis/text_preparation.h"

#include <QStringView>
#include <memory>
#include <vector>

// The text preparation over a text that arrives piece by piece: the same
// passes in the same order, each one a left-to-right automaton that holds back
// only the units of a match in progress, so that any cut of the text into
// pieces gives exactly what one call of preparation::prepare gives.
namespace stream_preparation {

class Preparer {
  public:
    explicit Preparer(const preparation::Options& options);
    ~Preparer();
    Preparer(const Preparer&) = delete;
    Preparer& operator=(const Preparer&) = delete;

    // Appends the prepared units that are final to `out`; with `last`, all of them.
    void feed(QStringView piece, bool last, std::vector<char16_t>& out);

    struct Stage;

  private:
    bool m_lowerCase;
    std::vector<std::unique_ptr<Stage>> m_stages;
    std::vector<char16_t> m_a, m_b;
};

// Non-overlapping occurrences of a pattern, counted from the left, exact, over
// a text that arrives piece by piece.
class OccurrenceCounter {
  public:
    explicit OccurrenceCounter(QStringView pattern);
    void feed(const char16_t* units, qsizetype n);
    std::uint64_t count() const { return m_count; }

  private:
    std::vector<char16_t> m_pattern;
    std::vector<int> m_border;
    int m_state = 0;
    std::uint64_t m_count = 0;
};

} // namespace stream_preparation
