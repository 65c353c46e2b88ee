#pragma once

#include <QString>
#include <cstdint>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

// Counts per character (code point) for whole corpora, with the place of each
// character's first appearance, so that tallies of pieces merge in any order
// into the tally of the whole.
namespace char_tally {

// The place of a first appearance: the file's index, then the offset in it.
using Key = std::uint64_t;
constexpr Key kNever = std::numeric_limits<Key>::max();
constexpr int kOffsetBits = 40;
inline Key keyOf(std::uint64_t file, std::uint64_t offset) {
    return file << kOffsetBits | offset;
}

struct Item {
    char32_t character;
    std::uint64_t count;
    Key first;
};

// A tally that only ever grows by merging; sparse, in no particular order.
using Items = std::vector<Item>;

// The tally of one running piece of work: a dense table for the Basic
// Multilingual Plane, a map for the rest; `take` empties it for the next piece
// in time proportional to the characters it saw.
class Dense {
  public:
    Dense();
    void add(char32_t c, Key key) {
        if (c < 0x10000) [[likely]] {
            if (m_count[c]++ == 0) [[unlikely]] {
                m_first[c] = key;
                m_touched.push_back(char16_t(c));
            }
        } else {
            addWide(c, key);
        }
    }
    void addItem(const Item& item);
    Items take();

  private:
    void addWide(char32_t c, Key key);
    std::unique_ptr<std::uint64_t[]> m_count;
    std::unique_ptr<Key[]> m_first;
    std::vector<char16_t> m_touched;
    std::unordered_map<char32_t, Item> m_wide;
};

// Sums counts and keeps the earliest first appearance, whatever the order.
Items merged(const Items& a, const Items& b);
void mergeInto(Items& into, const Items& from);

// Items sorted by code point: a canonical form for comparing and writing.
void sortByCharacter(Items& items);

// What the text preparation does to a tally, when it can be done on counts:
// per-character mappings and removals.
struct CountPreparation {
    bool lowerCase = false;
    bool removeSpaces = false;
    std::vector<char32_t> removeExact;  // the separator, compared exactly
    std::vector<char32_t> removeFolded; // list entries, compared by case folding
};
Items prepared(const Items& items, const CountPreparation& preparation);

// The code-unit view: a character outside the BMP counts as its two surrogates,
// each first appearing where the pair does (the high one first).
Items codeUnits(const Items& codePoints);

std::uint64_t total(const Items& items);

} // namespace char_tally
