#include "analysis/frequency_report.h"

#include "host/code_page.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>

namespace frequency {

std::vector<Entry> tally(QStringView text) {
    // Two interleaved 32-bit tables (512 KiB in all) let runs of the same
    // character count without waiting on each other. Texts longer than a slice
    // are folded into 64-bit totals slice by slice, so nothing can overflow.
    using Table = std::array<std::uint32_t, 65536>;
    const auto tables = std::make_unique<std::array<Table, 2>>(); // zeroed
    std::uint32_t* even = (*tables)[0].data();
    std::uint32_t* odd = (*tables)[1].data();
    std::unique_ptr<std::array<std::uint64_t, 65536>> totals;
    constexpr qsizetype kSlice = std::numeric_limits<std::uint32_t>::max();

    const char16_t* const begin = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype from = 0; from < size; from += kSlice) {
        const char16_t* p = begin + from;
        const qsizetype n = std::min(size - from, kSlice);
        qsizetype i = 0;
        for (; i + 4 <= n; i += 4) {
            ++even[p[i]];
            ++odd[p[i + 1]];
            ++even[p[i + 2]];
            ++odd[p[i + 3]];
        }
        for (; i < n; ++i)
            ++even[p[i]];
        if (size > kSlice) {
            if (!totals)
                totals = std::make_unique<std::array<std::uint64_t, 65536>>();
            for (std::size_t u = 0; u < 65536; ++u) {
                (*totals)[u] += std::uint64_t(even[u]) + odd[u];
                even[u] = odd[u] = 0;
            }
        }
    }
    auto countOf = [&](char16_t u) {
        return totals ? (*totals)[u] : std::uint64_t(even[u]) + odd[u];
    };

    std::size_t distinct = 0;
    for (std::size_t u = 0; u < 65536; ++u)
        distinct += countOf(char16_t(u)) != 0;
    // First appearances: scan only until every distinct unit has been met.
    std::vector<Entry> entries;
    entries.reserve(distinct);
    std::bitset<65536> seen;
    for (qsizetype i = 0; i < size && entries.size() < distinct; ++i) {
        const char16_t u = begin[i];
        if (!seen[u]) [[unlikely]] {
            seen[u] = true;
            entries.push_back({u, countOf(u)});
        }
    }
    return entries;
}

void sortEntries(std::vector<Entry>& entries, Order order) {
    if (order == Order::ByCountDescending)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.count > b.count; });
    else if (order == Order::ByCountAscending)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.count < b.count; });
}

std::uint64_t frequencyTenths(std::uint64_t n, std::uint64_t total) {
    const double f = double(n) / double(total) * 100.0;
    // The 15-digit decimal text of f differs from f by far less than 1e-9
    // tenths, so away from a half the double itself decides the rounding.
    const double y = f * 10.0;
    const double whole = std::floor(y);
    const double fraction = y - whole;
    if (std::fabs(fraction - 0.5) > 1e-7)
        return std::uint64_t(whole) + (fraction > 0.5 ? 1 : 0);

    // Near a half: round the decimal text, d.dddddddddddddde±xx, half away from zero.
    char buf[40];
    const char* const end =
        std::to_chars(buf, buf + sizeof buf, f, std::chars_format::scientific, 14).ptr;
    const char* const e = std::find(static_cast<const char*>(buf), end, 'e');
    char digits[15];
    int k = 0;
    for (const char* c = buf; c != e && k < 15; ++c)
        if (*c >= '0' && *c <= '9')
            digits[k++] = *c;
    int exponent = 0;
    const char* const sign = e + 1;
    std::from_chars(sign + (*sign == '+'), end, exponent); // takes '-', not '+'
    const int kept = exponent + 2;                         // digits down to the tenths
    if (kept < 0 || kept > 15)
        return 0;
    std::uint64_t tenths = 0;
    for (int i = 0; i < kept; ++i)
        tenths = tenths * 10 + std::uint64_t(digits[i] - '0');
    if (kept < 15 && digits[kept] >= '5')
        ++tenths;
    return tenths;
}

namespace {

void appendFrequency(QString& out, std::uint64_t tenths) {
    const std::uint64_t whole = tenths / 10;
    if (whole < 10)
        out += u'0';
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, whole).ptr;
    out += QLatin1StringView(buf, end - buf);
    out += u'.';
    out += QChar(char16_t(u'0' + tenths % 10));
}

void appendNumber(QString& out, std::uint64_t n) {
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, n).ptr;
    out += QLatin1StringView(buf, end - buf);
}

bool hasCodeLabel(char16_t unit) {
    return unit == 10 || unit == 13 || unit == 32 || unit == 9;
}

void appendLabel(QString& out, char16_t unit) {
    if (hasCodeLabel(unit))
        out += label(unit);
    else
        out += QChar(unit);
}

void appendWidenedLabel(QString& out, char16_t unit) {
    appendLabel(out, unit);
    if (!hasCodeLabel(unit))
        out += code_page::isWide(QChar(unit)) ? QLatin1StringView(" ") : QLatin1StringView("  ");
}

} // namespace

QString frequencyText(std::uint64_t n, std::uint64_t total) {
    QString text;
    appendFrequency(text, frequencyTenths(n, total));
    return text;
}

int starCount(const QString& frequencyText) {
    return frequencyText.left(frequencyText.indexOf(u'.')).toInt();
}

QString label(char16_t unit) {
    switch (unit) {
    case 10:
        return QStringLiteral("A10");
    case 13:
        return QStringLiteral("A13");
    case 32:
        return QStringLiteral("A32");
    case 9:
        return QStringLiteral("A09");
    default:
        return QString(QChar(unit));
    }
}

QString widenedLabel(char16_t unit) {
    QString out;
    appendWidenedLabel(out, unit);
    return out;
}

QString report(QStringView text, Order order) {
    std::vector<Entry> entries = tally(text);
    sortEntries(entries, order);
    std::vector<Row> rows;
    rows.reserve(entries.size());
    for (const Entry& e : entries)
        rows.push_back({e.unit, e.count});
    return reportText(rows, std::uint64_t(text.size()));
}

QString codeLabel(char32_t c) {
    QString out = QStringLiteral("A");
    if (c < 10)
        out += u'0';
    appendNumber(out, c);
    return out;
}

bool isInvisible(char32_t c) {
    if (c < 0x10000 && QChar::isSurrogate(c))
        return true;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString reportText(const std::vector<Row>& rows, std::uint64_t total, bool codeSurrogates) {
    static const QString kCountLiteral = QStringLiteral(" 出现的次数为:");
    static const QString kFrequencyLiteral = QStringLiteral("出现频率为:");
    static const QString kStars(100, u'*');
    constexpr QLatin1StringView kLineBreak("\r\n");

    std::vector<std::uint64_t> tenths;
    tenths.reserve(rows.size());
    for (const Row& r : rows)
        tenths.push_back(frequencyTenths(r.count, total));

    auto appendRowLabel = [&](QString& out, char32_t c, bool widened) {
        if (c >= 0x10000) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
            if (widened)
                out += u' '; // outside the BMP: GB18030's four-byte, wide characters
        } else if (codeSurrogates && QChar::isSurrogate(c)) {
            out += codeLabel(c);
        } else if (widened) {
            appendWidenedLabel(out, char16_t(c));
        } else {
            appendLabel(out, char16_t(c));
        }
    };

    QString out;
    out.reserve(qsizetype(rows.size()) * 40 + 256);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        appendRowLabel(out, rows[i].character, false);
        out += kCountLiteral;
        appendNumber(out, rows[i].count);
        out += kFrequencyLiteral;
        appendFrequency(out, tenths[i]);
        out += kLineBreak;
    }
    out += kLineBreak;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        appendRowLabel(out, rows[i].character, true);
        // One star per whole percent of the figure as shown.
        out += QStringView(kStars).first(qsizetype(tenths[i] / 10));
        out += kLineBreak;
    }
    return out;
}

} // namespace frequency
