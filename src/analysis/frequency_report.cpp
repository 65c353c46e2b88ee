#include "analysis/frequency_report.h"

#include "host/code_page.h"

#include <algorithm>
#include <array>
#include <bitset>
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

QString frequencyText(std::uint64_t n, std::uint64_t total) {
    const double f = double(n) / double(total) * 100.0;
    // The decimal text of the double, 15 significant digits: d.dddddddddddddde±x.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", f);
    char digits[15];
    int k = 0;
    for (const char* s = buf; *s && *s != 'e'; ++s)
        if (*s >= '0' && *s <= '9')
            digits[k++] = *s;
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // Keep the digits down to the tenths, round half away from zero on the next one.
    const int kept = exponent + 2;
    std::uint64_t tenths = 0;
    if (kept >= 0 && kept <= 15) {
        for (int i = 0; i < kept; ++i)
            tenths = tenths * 10 + std::uint64_t(digits[i] - '0');
        if (kept < 15 && digits[kept] >= '5')
            ++tenths;
    } else if (kept > 15) {
        tenths = 0; // cannot happen: f is at most 100
    }
    QString text = QString::number(tenths / 10);
    if (text.size() < 2)
        text.prepend(u'0');
    text += u'.';
    text += QChar(u'0' + char16_t(tenths % 10));
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
    if (unit == 10 || unit == 13 || unit == 32 || unit == 9)
        return label(unit);
    return label(unit) +
           (code_page::isWide(QChar(unit)) ? QStringLiteral(" ") : QStringLiteral("  "));
}

QString report(QStringView text, Order order) {
    std::vector<Entry> entries = tally(text);
    sortEntries(entries, order);
    const auto total = std::uint64_t(text.size());

    static const QString kCountLiteral = QStringLiteral(" 出现的次数为:");
    static const QString kFrequencyLiteral = QStringLiteral("出现频率为:");
    static const QString kLineBreak = QStringLiteral("\r\n");

    std::vector<QString> frequencies;
    frequencies.reserve(entries.size());
    for (const Entry& e : entries)
        frequencies.push_back(frequencyText(e.count, total));

    QString out;
    out.reserve(qsizetype(entries.size()) * 48 + 256);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += label(entries[i].unit);
        out += kCountLiteral;
        out += QString::number(entries[i].count);
        out += kFrequencyLiteral;
        out += frequencies[i];
        out += kLineBreak;
    }
    out += kLineBreak;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += widenedLabel(entries[i].unit);
        out += QString(starCount(frequencies[i]), u'*');
        out += kLineBreak;
    }
    return out;
}

} // namespace frequency
