#pragma once

#include "host/exact_text.h"

#include <QtGlobal>
#include <utility>
#include <vector>

// The blocks of a text box's view as the exact text sees them: how many exact
// code units each block covers (its text and the break that ends it) and which
// break ends it. Prefix sums live in a Fenwick tree, so finding the block of an
// exact position and the exact start of a block take O(log n); the tree is
// rebuilt in O(n) only when the number of blocks changes.
class BlockMap {
  public:
    using Break = exact_text::Break;

    void assign(std::vector<int> lengths, std::vector<Break> breaks);
    // Blocks first..last (inclusive) become the given ones.
    void replace(int first, int last, const std::vector<int>& lengths,
                 const std::vector<Break>& breaks);
    void setLength(int block, int length);

    int count() const { return int(m_length.size()); }
    int length(int block) const { return m_length[size_t(block)]; }
    Break breakOf(int block) const { return m_break[size_t(block)]; }
    // Code units of the block's text, without its break.
    int textLength(int block) const {
        return length(block) - exact_text::breakUnits(breakOf(block));
    }
    qsizetype start(int block) const;
    // The block that holds exact position x and x's offset in it; a position
    // at the end of a block that ends without a break belongs to the next one.
    std::pair<int, qsizetype> locate(qsizetype x) const;

  private:
    void rebuild();

    std::vector<int> m_length;
    std::vector<Break> m_break;
    std::vector<qsizetype> m_tree; // 1-based Fenwick tree over m_length
    int m_topBit = 0;
};
