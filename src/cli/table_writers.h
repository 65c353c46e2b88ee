#pragma once

#include "analysis/char_tally.h"
#include "cli/report_options.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

// The tables of quillet-report and one writer per output format.
namespace report_cli {

// A column that a module adds to every table row, after the standard ones (for
// example a reading or a stroke count): a name for the header and the cell of
// each character (a code point).
struct ExtraColumn {
    QString name;
    std::function<QString(char32_t)> value;
};
using ExtraColumns = std::vector<ExtraColumn>;

struct TableRow {
    char32_t character;
    std::uint64_t count;
    std::uint64_t cumulative; // this row's count and all before it
};

struct Table {
    std::vector<TableRow> rows; // in the chosen order, cut to --top
    std::uint64_t total = 0;    // characters counted
    std::uint64_t distinct = 0; // before the cut
};

// The prepared code points in the chosen units and order; ties keep the order
// of first appearance.
Table makeTable(const char_tally::Items& codePoints, Units units, frequency::Order order,
                std::optional<std::uint64_t> top);

// For each share, how many distinct characters, the most frequent first,
// cover at least that share of the text.
std::vector<std::uint64_t> coverage(const char_tally::Items& codePoints, Units units,
                                    const std::vector<Share>& shares);

// n / total in percent with four decimals, rounded half up: "12.3457".
QString percentText(std::uint64_t n, std::uint64_t total);
// The character, or its code ("A10", "A12288") when it does not show itself.
QString characterText(char32_t c);
QString codePointText(char32_t c); // "U+4E2D"
QString shareText(Share share);    // "90", "99.5"

struct FileCount {
    QString path;
    std::uint64_t count;
};

// Writes one format to a stream: tables (per file, then the total), coverage
// or substring counts. `file` is null for the total.
class Writer {
  public:
    virtual ~Writer() = default;
    virtual void table(const QString* file, const Table& table) = 0;
    virtual void coverage(const QString* file, const std::vector<Share>& shares,
                          const std::vector<std::uint64_t>& characters, std::uint64_t total) = 0;
    virtual void counts(const QString& substring, const std::vector<FileCount>& files,
                        std::uint64_t total) = 0;
    virtual void finish() {}
};

std::unique_ptr<Writer> makeWriter(Format format, std::FILE* out, bool perFile, bool bom,
                                   Units units, const ExtraColumns& extras);

} // namespace report_cli
