#include "analysis/char_tally.h"

#include <QChar>
#include <algorithm>
#include <unordered_set>

namespace char_tally {

Dense::Dense()
    : m_count(std::make_unique<std::uint64_t[]>(0x10000)),
      m_first(std::make_unique<Key[]>(0x10000)) {}

void Dense::addWide(char32_t c, Key key) {
    auto [it, fresh] = m_wide.try_emplace(c, Item{c, 0, key});
    ++it->second.count;
    it->second.first = std::min(it->second.first, key);
}

void Dense::addItem(const Item& item) {
    if (item.count == 0)
        return;
    if (item.character < 0x10000) {
        const char32_t c = item.character;
        if (m_count[c] == 0) {
            m_first[c] = item.first;
            m_touched.push_back(char16_t(c));
        } else {
            m_first[c] = std::min(m_first[c], item.first);
        }
        m_count[c] += item.count;
        return;
    }
    auto [it, fresh] = m_wide.try_emplace(item.character, Item{item.character, 0, item.first});
    it->second.count += item.count;
    it->second.first = std::min(it->second.first, item.first);
}

Items Dense::take() {
    Items items;
    items.reserve(m_touched.size() + m_wide.size());
    for (const char16_t c : m_touched) {
        items.push_back({c, m_count[c], m_first[c]});
        m_count[c] = 0;
    }
    m_touched.clear();
    for (const auto& [c, item] : m_wide)
        items.push_back(item);
    m_wide.clear();
    return items;
}

void mergeInto(Items& into, const Items& from) {
    std::unordered_map<char32_t, std::size_t> at;
    at.reserve(into.size() + from.size());
    for (std::size_t i = 0; i < into.size(); ++i)
        at.emplace(into[i].character, i);
    for (const Item& item : from) {
        const auto [it, fresh] = at.try_emplace(item.character, into.size());
        if (fresh) {
            into.push_back(item);
        } else {
            Item& mine = into[it->second];
            mine.count += item.count;
            mine.first = std::min(mine.first, item.first);
        }
    }
}

Items merged(const Items& a, const Items& b) {
    Items out = a;
    mergeInto(out, b);
    return out;
}

void sortByCharacter(Items& items) {
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.character < b.character; });
}

namespace {

char32_t lowered(char32_t c) {
    // One code unit at a time, as the window lower-cases: a surrogate pair stays.
    return c < 0x10000 && !QChar::isSurrogate(c) ? QChar::toLower(c) : c;
}

char32_t folded(char32_t c) {
    return QChar::isSurrogate(c) ? c : QChar::toCaseFolded(c);
}

} // namespace

Items prepared(const Items& items, const CountPreparation& p) {
    Items mapped;
    mapped.reserve(items.size());
    const std::unordered_set<char32_t> exact(p.removeExact.begin(), p.removeExact.end());
    std::unordered_set<char32_t> foldedSet;
    for (const char32_t c : p.removeFolded)
        foldedSet.insert(folded(c));
    for (Item item : items) {
        if (p.lowerCase)
            item.character = lowered(item.character);
        if (p.removeSpaces && item.character == U' ')
            continue;
        if (exact.contains(item.character) || foldedSet.contains(folded(item.character)))
            continue;
        mapped.push_back(item);
    }
    if (!p.lowerCase)
        return mapped;
    Items out;
    mergeInto(out, mapped); // characters that lower to the same one join
    return out;
}

Items codeUnits(const Items& codePoints) {
    Items units;
    units.reserve(codePoints.size());
    Items pairs;
    for (const Item& item : codePoints) {
        if (item.character < 0x10000) {
            units.push_back({item.character, item.count, item.first * 2});
        } else {
            pairs.push_back({QChar::highSurrogate(item.character), item.count, item.first * 2});
            pairs.push_back({QChar::lowSurrogate(item.character), item.count, item.first * 2 + 1});
        }
    }
    mergeInto(units, pairs);
    return units;
}

std::uint64_t total(const Items& items) {
    std::uint64_t n = 0;
    for (const Item& item : items)
        n += item.count;
    return n;
}

} // namespace char_tally
