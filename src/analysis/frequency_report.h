#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

// The character frequency report: one code unit is one character.
namespace frequency {

enum class Order {
    ByCountDescending, // largest count first
    ByCountAscending,  // smallest count first
    FirstAppearance,
};

struct Entry {
    char16_t unit;
    std::uint64_t count;
};

// Every distinct code unit with its count, in the order of first appearance.
// Linear in the text; extra memory independent of the text's length.
std::vector<Entry> tally(QStringView text);

// Stable: equal counts keep their order of first appearance.
void sortEntries(std::vector<Entry>& entries, Order order);

// n / N * 100 in tenths, rounded half away from zero from its
// 15-significant-digit decimal text (what the report shows, times ten).
std::uint64_t frequencyTenths(std::uint64_t n, std::uint64_t total);

// n / N * 100 as "00.0": at least two integer digits, one decimal, rounded half
// away from zero from its 15-significant-digit decimal text.
QString frequencyText(std::uint64_t n, std::uint64_t total);

// The number of whole percent in a frequency text ("33.96" is shown as "34.0": 34).
int starCount(const QString& frequencyText);

// "A10", "A13", "A32", "A09" for LF, CR, space, TAB; the character itself otherwise.
QString label(char16_t unit);

// The label widened to three narrow cells for the bar chart.
QString widenedLabel(char16_t unit);

// The whole two-section report, each line ended by CR LF; an empty text gives CR LF.
QString report(QStringView text, Order order);

// One line of a report: a code unit, or a code point when counted so.
struct Row {
    char32_t character;
    std::uint64_t count;
};

// The report of rows already in their order, `total` being the count of all
// characters. With `codeSurrogates`, a surrogate, which no file can hold
// alone, is shown by its code.
QString reportText(const std::vector<Row>& rows, std::uint64_t total, bool codeSurrogates = false);

// "A" and the decimal code, at least two digits, as "A10" shows LF.
QString codeLabel(char32_t c);

// Characters that do not show themselves: controls, spaces of every width,
// line and paragraph separators, surrogates.
bool isInvisible(char32_t c);

} // namespace frequency
