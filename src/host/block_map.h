#pragma once

#include "host/exact_text.h"

#include <QtGlobal>
#include <utility>
#include <vector>

// The blocks of a text box's view as the exact text sees them: how many exact
// code units each block covers (its text and the break that ends it) and which
// break ends it. The blocks are kept in chunks of at most 2 * kChunk, with the
// chunks' units and block counts in Fenwick trees: finding the block of an
// exact position, the exact start of a block or a block by number takes
// O(log n + kChunk), and an edit that adds or removes blocks (Enter, Backspace
// over a line break) costs O(kChunk + log n); only a change in the number of
// chunks (one in about kChunk such edits) rebuilds the trees, in O(n / kChunk).
class BlockMap {
  public:
    using Break = exact_text::Break;
    static constexpr int kChunk = 512;

    void assign(std::vector<int> lengths, std::vector<Break> breaks);
    // Blocks first..last (inclusive) become the given ones.
    void replace(int first, int last, const std::vector<int>& lengths,
                 const std::vector<Break>& breaks);
    void setLength(int block, int length);

    int count() const { return m_count; }
    int length(int block) const;
    Break breakOf(int block) const;
    // Code units of the block's text, without its break.
    int textLength(int block) const {
        return length(block) - exact_text::breakUnits(breakOf(block));
    }
    qsizetype start(int block) const;
    // The block that holds exact position x and x's offset in it; a position
    // at the end of a block that ends without a break belongs to the next one.
    std::pair<int, qsizetype> locate(qsizetype x) const;
    // The block with the most code units of text: O(n).
    int longest() const;

  private:
    struct Chunk {
        std::vector<int> length;
        std::vector<Break> breaks;
        qsizetype units = 0;
    };
    struct Place {
        size_t chunk;
        int index; // in the chunk
    };

    Place find(int block) const;
    void rebuild();
    void add(size_t chunk, qsizetype units, int blocks);
    // Chunk c's units summed again after its blocks changed.
    void resum(size_t c);

    std::vector<Chunk> m_chunks;
    std::vector<qsizetype> m_unitTree; // 1-based Fenwick trees over the chunks
    std::vector<int> m_countTree;
    size_t m_topBit = 0;
    int m_count = 0;
};
