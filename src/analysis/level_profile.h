#pragma once

#include "analysis/unihan_data.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

// How a text's hanzi spread over the levels of the list of characters in
// general use: what a teacher reads a text's difficulty from.
namespace unihan {

struct CodePointCount {
    char32_t cp;
    std::uint64_t count;
};

struct LevelCounts {
    std::uint64_t distinct = 0;
    std::uint64_t occurrences = 0;
};

struct Profile {
    // Indexed by Level: First, Second, Third, Outside.
    std::array<LevelCounts, 4> levels{};
    LevelCounts hanzi; // all four together
    // The hanzi outside the list, most frequent first, then by code point.
    std::vector<CodePointCount> outside;

    const LevelCounts& operator[](Level level) const { return levels[std::size_t(level)]; }
};

// Characters that are not hanzi are left out; each code point is given once,
// with its total count.
Profile levelProfile(const Table& table, std::span<const CodePointCount> counts);

// n / total * 100 with two decimals, rounded half up: "93.21"; empty when
// total is 0, for a text without hanzi has no shares.
QString percentText(std::uint64_t n, std::uint64_t total);

// A profile as one table row, so that a folder's files sort by difficulty:
// hanzi, % first-level, % up to second, % up to third, % outside; then the
// distinct hanzi, the distinct characters and the occurrences of each level,
// and the characters outside the list with their counts ("摵 2 貙 1").
QStringList profileHeader();
QStringList profileRow(const Profile& profile);

// The profile as text: a tab-separated table of the levels, then the
// characters outside the list.
QString profileText(const Profile& profile);
QJsonObject profileJson(const Profile& profile);

// The extra columns of a frequency table.
enum class InfoField { Pinyin, Strokes, Level };

// "pinyin,strokes,level", any of them in any order; a message for an empty,
// unknown or repeated name.
std::vector<InfoField> parseInfoFields(const QString& list, QString* error);
QString infoFieldName(InfoField field);
// Empty where the character has no entry: punctuation, Latin, codes.
QString infoValue(const Table& table, char32_t cp, InfoField field);

} // namespace unihan
