#include "host/block_map.h"

#include <bit>
#include <numeric>

namespace {

template <typename T> T prefix(const std::vector<T>& tree, size_t n) {
    T sum = 0;
    for (size_t i = n; i > 0; i -= i & (~i + 1))
        sum += tree[i];
    return sum;
}

template <typename T> void addAt(std::vector<T>& tree, size_t at, T delta) {
    for (size_t i = at + 1; i < tree.size(); i += i & (~i + 1))
        tree[i] += delta;
}

} // namespace

void BlockMap::assign(std::vector<int> lengths, std::vector<Break> breaks) {
    m_chunks.clear();
    for (size_t from = 0; from < lengths.size(); from += kChunk) {
        const size_t to = std::min(lengths.size(), from + kChunk);
        Chunk c;
        c.length.assign(lengths.begin() + qsizetype(from), lengths.begin() + qsizetype(to));
        c.breaks.assign(breaks.begin() + qsizetype(from), breaks.begin() + qsizetype(to));
        m_chunks.push_back(std::move(c));
    }
    for (size_t c = 0; c < m_chunks.size(); ++c)
        m_chunks[c].units =
            std::accumulate(m_chunks[c].length.begin(), m_chunks[c].length.end(), qsizetype(0));
    rebuild();
}

BlockMap::Place BlockMap::find(int block) const {
    size_t pos = 0;
    int rest = block;
    for (size_t step = m_topBit; step > 0; step >>= 1) {
        if (pos + step < m_countTree.size() && m_countTree[pos + step] <= rest) {
            pos += step;
            rest -= m_countTree[pos];
        }
    }
    return {pos, rest}; // pos whole chunks lie before the block
}

int BlockMap::length(int block) const {
    const Place p = find(block);
    return m_chunks[p.chunk].length[size_t(p.index)];
}

BlockMap::Break BlockMap::breakOf(int block) const {
    const Place p = find(block);
    return m_chunks[p.chunk].breaks[size_t(p.index)];
}

void BlockMap::setLength(int block, int length) {
    const Place p = find(block);
    int& l = m_chunks[p.chunk].length[size_t(p.index)];
    const qsizetype delta = qsizetype(length) - l;
    l = length;
    m_chunks[p.chunk].units += delta;
    addAt(m_unitTree, p.chunk, delta);
}

qsizetype BlockMap::start(int block) const {
    if (block >= m_count) // one past the last block: the end of the text
        return prefix(m_unitTree, m_chunks.size());
    const Place p = find(block);
    const std::vector<int>& l = m_chunks[p.chunk].length;
    return prefix(m_unitTree, p.chunk) +
           std::accumulate(l.begin(), l.begin() + p.index, qsizetype(0));
}

std::pair<int, qsizetype> BlockMap::locate(qsizetype x) const {
    // The whole chunks that end at or before x, then the blocks in the next one.
    size_t pos = 0;
    qsizetype rest = x;
    for (size_t step = m_topBit; step > 0; step >>= 1) {
        if (pos + step < m_unitTree.size() && m_unitTree[pos + step] <= rest) {
            pos += step;
            rest -= m_unitTree[pos];
        }
    }
    if (pos >= m_chunks.size()) {
        const Chunk& c = m_chunks.back();
        return {m_count - 1, rest + c.length.back()};
    }
    const Chunk& c = m_chunks[pos];
    int i = 0;
    while (c.length[size_t(i)] <= rest) { // the chunk ends after x: this stops inside it
        rest -= c.length[size_t(i)];
        ++i;
    }
    return {prefix(m_countTree, pos) + i, rest};
}

int BlockMap::longest() const {
    int best = 0;
    int bestLength = -1;
    int block = 0;
    for (const Chunk& c : m_chunks) {
        for (size_t i = 0; i < c.length.size(); ++i, ++block) {
            const int text = c.length[i] - exact_text::breakUnits(c.breaks[i]);
            if (text > bestLength) {
                bestLength = text;
                best = block;
            }
        }
    }
    return best;
}

void BlockMap::resum(size_t c) {
    const qsizetype units =
        std::accumulate(m_chunks[c].length.begin(), m_chunks[c].length.end(), qsizetype(0));
    add(c, units - m_chunks[c].units, 0);
    m_chunks[c].units = units;
}

void BlockMap::add(size_t chunk, qsizetype units, int blocks) {
    addAt(m_unitTree, chunk, units);
    addAt(m_countTree, chunk, blocks);
}

void BlockMap::replace(int first, int last, const std::vector<int>& lengths,
                       const std::vector<Break>& breaks) {
    const Place a = find(first);
    const Place b = find(last);
    const auto firstChunk = qsizetype(a.chunk);
    const auto lastChunk = qsizetype(b.chunk);
    // Chunks removed or added: the trees are built again. Their number alone
    // does not tell, chunks merged away and split off may balance out.
    bool reshaped = false;
    // The removed blocks go, the new ones take their place in the first chunk.
    Chunk& c = m_chunks[a.chunk];
    if (a.chunk == b.chunk) {
        c.length.erase(c.length.begin() + a.index, c.length.begin() + b.index + 1);
        c.breaks.erase(c.breaks.begin() + a.index, c.breaks.begin() + b.index + 1);
    } else {
        c.length.erase(c.length.begin() + a.index, c.length.end());
        c.breaks.erase(c.breaks.begin() + a.index, c.breaks.end());
        Chunk& e = m_chunks[b.chunk];
        e.length.erase(e.length.begin(), e.length.begin() + b.index + 1);
        e.breaks.erase(e.breaks.begin(), e.breaks.begin() + b.index + 1);
        c.length.insert(c.length.end(), e.length.begin(), e.length.end());
        c.breaks.insert(c.breaks.end(), e.breaks.begin(), e.breaks.end());
        m_chunks.erase(m_chunks.begin() + firstChunk + 1, m_chunks.begin() + lastChunk + 1);
        reshaped = true;
    }
    Chunk& d = m_chunks[a.chunk];
    d.length.insert(d.length.begin() + a.index, lengths.begin(), lengths.end());
    d.breaks.insert(d.breaks.begin() + a.index, breaks.begin(), breaks.end());
    m_count += int(lengths.size()) - (last - first + 1);

    // Keep chunks between a quarter of kChunk and 2 * kChunk blocks, none empty.
    if (d.length.size() < kChunk / 4 && a.chunk + 1 < m_chunks.size()) {
        Chunk& next = m_chunks[a.chunk + 1];
        d.length.insert(d.length.end(), next.length.begin(), next.length.end());
        d.breaks.insert(d.breaks.end(), next.breaks.begin(), next.breaks.end());
        m_chunks.erase(m_chunks.begin() + firstChunk + 1);
        reshaped = true;
    }
    if (m_chunks[a.chunk].length.empty()) {
        m_chunks.erase(m_chunks.begin() + firstChunk);
        reshaped = true;
    } else if (m_chunks[a.chunk].length.size() > 2 * kChunk) {
        Chunk whole = std::move(m_chunks[a.chunk]);
        std::vector<Chunk> parts;
        for (size_t from = 0; from < whole.length.size(); from += kChunk) {
            const auto f = qsizetype(from);
            const auto t = qsizetype(std::min(whole.length.size(), from + kChunk));
            parts.push_back({{whole.length.begin() + f, whole.length.begin() + t},
                             {whole.breaks.begin() + f, whole.breaks.begin() + t},
                             0});
        }
        m_chunks.erase(m_chunks.begin() + firstChunk);
        m_chunks.insert(m_chunks.begin() + firstChunk, std::make_move_iterator(parts.begin()),
                        std::make_move_iterator(parts.end()));
        reshaped = true;
    }
    if (reshaped || m_chunks.empty()) {
        for (Chunk& k : m_chunks)
            k.units = std::accumulate(k.length.begin(), k.length.end(), qsizetype(0));
        rebuild();
        return;
    }
    // The same chunks: only the first one changed.
    add(a.chunk, 0,
        int(m_chunks[a.chunk].length.size()) -
            int(prefix(m_countTree, a.chunk + 1) - prefix(m_countTree, a.chunk)));
    resum(a.chunk);
}

void BlockMap::rebuild() {
    const size_t n = m_chunks.size();
    m_unitTree.assign(n + 1, 0);
    m_countTree.assign(n + 1, 0);
    m_count = 0;
    for (size_t i = 1; i <= n; ++i) {
        m_unitTree[i] += m_chunks[i - 1].units;
        m_countTree[i] += int(m_chunks[i - 1].length.size());
        m_count += int(m_chunks[i - 1].length.size());
        const size_t parent = i + (i & (~i + 1));
        if (parent <= n) {
            m_unitTree[parent] += m_unitTree[i];
            m_countTree[parent] += m_countTree[i];
        }
    }
    m_topBit = n == 0 ? 0 : std::bit_floor(n);
}
