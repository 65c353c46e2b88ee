#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// What Unicode's Han database (Unihan) says about a character: its Mandarin
// readings, its total strokes, its GB 2312 membership and its place in the 2013
// list of characters in general use (kTGH: 8,105 characters in three levels).
namespace unihan {

inline constexpr int kListSize = 8105;

// A hanzi is a code point of a CJK unified ideographs block (the main block and
// extensions A to I) or of a compatibility ideographs block. Radicals, strokes
// and 〇 (a symbol block) are not.
bool isHanzi(char32_t cp);

enum class Level : std::uint8_t { First, Second, Third, Outside, NotHanzi };

// 1-3,500 first, 3,501-6,500 second, 6,501-8,105 third; Outside otherwise.
Level levelOfIndex(int listIndex);

// "一级", "二级", "三级", "表外"; empty for NotHanzi.
QString levelName(Level level);

// The compact table: one small record per hanzi code point (about 500 KB).
class Table {
  public:
    // The character's index in the list, 0 when it is not listed.
    int listIndex(char32_t cp) const;
    // NotHanzi for anything but a hanzi; Outside for a hanzi not in the list.
    Level level(char32_t cp) const;
    // The readings, the customary one first, then the list's other readings,
    // separated by single spaces; empty when there is none.
    QString pinyin(char32_t cp) const;
    // Total strokes of the form used in mainland China; 0 when unknown.
    int strokes(char32_t cp) const;
    bool inGb2312(char32_t cp) const;
    int listedCount() const { return listed_; }
    std::size_t byteSize() const;

    // A self-checking copy; deserialize() refuses any damaged or foreign bytes.
    QByteArray serialize() const;
    static std::optional<Table> deserialize(QByteArrayView bytes);

  private:
    friend class TableBuilder;
    std::vector<std::uint16_t> readingId_; // per slot, into readings_; 0: none
    std::vector<std::uint16_t> listIndex_; // per slot; 0: not listed
    std::vector<std::uint8_t> strokes_;    // per slot; 0: unknown
    std::vector<std::uint64_t> gb0_;       // one bit per slot
    std::vector<QString> readings_;        // distinct pinyin texts; [0] is empty
    int listed_ = 0;
};

struct LoadResult {
    std::optional<Table> table;
    QString error; // why there is no table
    bool fromCache = false;
};

// Where Debian's unicode-data installs the files.
QString defaultDirectory();
// quillet/ under the user's cache folder.
QString defaultCacheDirectory();

// Reads Unihan_Readings, Unihan_OtherMappings and Unihan_IRGSources (each as
// .txt.bz2 or plain .txt) from dir, and any other Unihan_* file there when a
// field is not in those. With a cache directory, a compact copy of the table is
// kept there and used while dir's Unihan files are unchanged, since
// decompressing them takes far longer than reading the copy; an empty cacheDir
// reads the files every time.
LoadResult load(const QString& dir, const QString& cacheDir);

} // namespace unihan
