#include "analysis/frequency_report.h"

#include "host/code_page.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace frequency {

std::vector<Entry> tally(QStringView text) {
    // 32-bit counters keep the table small (256 KiB); the text is counted in
    // slices short enough that none of them can overflow.
    auto counts = std::make_unique<std::array<std::uint32_t, 65536>>();
    counts->fill(0);
    std::bitset<65536> listed;
    std::vector<Entry> entries;
    const char16_t* p = text.utf16();
    qsizetype left = text.size();
    constexpr qsizetype kSlice = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t* c = counts->data();
    while (left > 0) {
        const qsizetype n = std::min(left, kSlice);
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t u = p[i];
            if (c[u]++ == 0 && !listed[u]) [[unlikely]] {
                listed[u] = true;
                entries.push_back({u, 0});
            }
        }
        for (Entry& e : entries) {
            e.count += c[e.unit];
            c[e.unit] = 0;
        }
        p += n;
        left -= n;
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

    // Near a half: round the decimal text, d.dddddddddddddde±x, half away from zero.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", f);
    char digits[15];
    int k = 0;
    for (const char* c = buf; *c && *c != 'e' && k < 15; ++c)
        if (*c >= '0' && *c <= '9')
            digits[k++] = *c;
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    const int kept = exponent + 2; // digits down to the tenths
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
    const auto total = std::uint64_t(text.size());

    static const QString kCountLiteral = QStringLiteral(" 出现的次数为:");
    static const QString kFrequencyLiteral = QStringLiteral("出现频率为:");
    static const QString kStars(100, u'*');
    constexpr QLatin1StringView kLineBreak("\r\n");

    std::vector<std::uint64_t> tenths;
    tenths.reserve(entries.size());
    for (const Entry& e : entries)
        tenths.push_back(frequencyTenths(e.count, total));

    QString out;
    out.reserve(qsizetype(entries.size()) * 40 + 256);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        appendLabel(out, entries[i].unit);
        out += kCountLiteral;
        appendNumber(out, entries[i].count);
        out += kFrequencyLiteral;
        appendFrequency(out, tenths[i]);
        out += kLineBreak;
    }
    out += kLineBreak;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        appendWidenedLabel(out, entries[i].unit);
        // One star per whole percent of the figure as shown.
        out += QStringView(kStars).first(qsizetype(tenths[i] / 10));
        out += kLineBreak;
    }
    return out;
}

} // namespace frequency
