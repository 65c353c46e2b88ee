#include "host/block_map.h"

#include <bit>

void BlockMap::assign(std::vector<int> lengths, std::vector<Break> breaks) {
    m_length = std::move(lengths);
    m_break = std::move(breaks);
    rebuild();
}

void BlockMap::replace(int first, int last, const std::vector<int>& lengths,
                       const std::vector<Break>& breaks) {
    const auto oldCount = size_t(last - first + 1);
    if (oldCount == lengths.size()) {
        for (size_t k = 0; k < lengths.size(); ++k) {
            setLength(first + int(k), lengths[k]);
            m_break[size_t(first) + k] = breaks[k];
        }
        return;
    }
    const auto at = m_length.begin() + first;
    m_length.erase(at, at + qsizetype(oldCount));
    m_length.insert(m_length.begin() + first, lengths.begin(), lengths.end());
    const auto bt = m_break.begin() + first;
    m_break.erase(bt, bt + qsizetype(oldCount));
    m_break.insert(m_break.begin() + first, breaks.begin(), breaks.end());
    rebuild();
}

void BlockMap::setLength(int block, int length) {
    const qsizetype delta = qsizetype(length) - m_length[size_t(block)];
    m_length[size_t(block)] = length;
    if (delta == 0)
        return;
    for (size_t i = size_t(block) + 1; i < m_tree.size(); i += i & (~i + 1))
        m_tree[i] += delta;
}

qsizetype BlockMap::start(int block) const {
    qsizetype sum = 0;
    for (size_t i = size_t(block); i > 0; i -= i & (~i + 1))
        sum += m_tree[i];
    return sum;
}

std::pair<int, qsizetype> BlockMap::locate(qsizetype x) const {
    size_t pos = 0;
    qsizetype rest = x;
    for (size_t step = size_t(m_topBit); step > 0; step >>= 1) {
        if (pos + step < m_tree.size() && m_tree[pos + step] <= rest) {
            pos += step;
            rest -= m_tree[pos];
        }
    }
    // pos blocks lie wholly before x.
    if (pos >= m_length.size()) {
        const int last = count() - 1;
        return {last, rest + m_length[size_t(last)]};
    }
    return {int(pos), rest};
}

void BlockMap::rebuild() {
    const size_t n = m_length.size();
    m_tree.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        m_tree[i] += m_length[i - 1];
        const size_t parent = i + (i & (~i + 1));
        if (parent <= n)
            m_tree[parent] += m_tree[i];
    }
    m_topBit = n == 0 ? 0 : int(std::bit_floor(n));
}
