#include "cli/partial_tally.h"

#include <QList>
#include <algorithm>
#include <numeric>

namespace partial_tally {

using char_tally::Item;
using corpus_count::FileResult;
using corpus_count::Result;

namespace {

constexpr char kMagic[] = "quillet-partial\t1";

QByteArray hexOf(const QString& s) {
    return s.isEmpty() ? QByteArray("-") : s.toUtf8().toHex();
}

QString fromHex(const QByteArray& h) {
    return h == "-" ? QString() : QString::fromUtf8(QByteArray::fromHex(h));
}

constexpr std::uint64_t kOffsetMask = (std::uint64_t(1) << char_tally::kOffsetBits) - 1;

} // namespace

QByteArray write(const Result& result, const QString& options) {
    QByteArray out = QByteArray(kMagic) + '\n';
    out += "options\t" + hexOf(options) + '\n';
    for (const FileResult& f : result.files)
        out += "file\t" + QByteArray::number(f.bytes) + '\t' + QByteArray::number(f.invalid) +
               '\t' + QByteArray::number(f.occurrences) + '\t' +
               QByteArray::number(int(f.encoding)) + '\t' + hexOf(f.error) + '\t' + hexOf(f.path) +
               '\n';
    char_tally::Items items = result.items;
    char_tally::sortByCharacter(items);
    for (const Item& item : items)
        out += "char\t" + QByteArray::number(uint(item.character), 16) + '\t' +
               QByteArray::number(item.count) + '\t' +
               QByteArray::number(item.first >> char_tally::kOffsetBits) + '\t' +
               QByteArray::number(item.first & kOffsetMask) + '\n';
    out += "end\n";
    return out;
}

std::optional<Read> read(const QByteArray& bytes, QString* error) {
    const QList<QByteArray> lines = bytes.split('\n');
    auto fail = [&](const QString& why) -> std::optional<Read> {
        *error = why;
        return std::nullopt;
    };
    if (lines.isEmpty() || lines[0] != kMagic)
        return fail(QStringLiteral("不是 quillet-report 的 partial 结果 / not a partial tally"));
    Read r;
    bool ended = false;
    std::uint64_t total = 0;
    std::optional<uint> previous; // characters are written in ascending order, once each
    for (qsizetype i = 1; i < lines.size() && !ended; ++i) {
        const QList<QByteArray> f = lines[i].split('\t');
        bool ok = true;
        if (f[0] == "options" && f.size() == 2) {
            r.options = fromHex(f[1]);
        } else if (f[0] == "file" && f.size() == 7) {
            FileResult file;
            bool a, b, c, d;
            file.bytes = f[1].toULongLong(&a);
            file.invalid = f[2].toULongLong(&b);
            file.occurrences = f[3].toULongLong(&c);
            const int encoding = f[4].toInt(&d);
            file.encoding = text_codec::Encoding(encoding);
            file.error = fromHex(f[5]);
            file.path = fromHex(f[6]);
            ok = a && b && c && d && encoding >= 0 &&
                 encoding <= int(text_codec::Encoding::Utf16BeNoMark) &&
                 !__builtin_add_overflow(r.result.occurrences, file.occurrences,
                                         &r.result.occurrences);
            r.result.files.push_back(std::move(file));
        } else if (f[0] == "char" && f.size() == 5) {
            bool a, b, c, d;
            const uint cp = f[1].toUInt(&a, 16);
            const std::uint64_t count = f[2].toULongLong(&b);
            const std::uint64_t file = f[3].toULongLong(&c);
            const std::uint64_t offset = f[4].toULongLong(&d);
            ok = a && b && c && d && cp <= 0x10FFFF && file < r.result.files.size() &&
                 offset <= kOffsetMask && count > 0 && (!previous || cp > *previous) &&
                 !__builtin_add_overflow(total, count, &total);
            previous = cp;
            r.result.items.push_back({char32_t(cp), count, char_tally::keyOf(file, offset)});
        } else if (f[0] == "end" && f.size() == 1) {
            ended = true;
        } else {
            ok = false;
        }
        if (!ok)
            return fail(QStringLiteral("第 %1 行有误 / line %1 is damaged").arg(i + 1));
    }
    if (!ended)
        return fail(QStringLiteral("结果不完整 / the tally is cut short"));
    return r;
}

Result merge(std::vector<Result> parts) {
    struct Place {
        std::size_t part, file;
    };
    std::vector<Place> places;
    for (std::size_t p = 0; p < parts.size(); ++p)
        for (std::size_t f = 0; f < parts[p].files.size(); ++f)
            places.push_back({p, f});
    auto fileOf = [&](const Place& x) -> const FileResult& { return parts[x.part].files[x.file]; };
    std::stable_sort(places.begin(), places.end(), [&](const Place& a, const Place& b) {
        const FileResult &x = fileOf(a), &y = fileOf(b);
        return std::tie(x.path, x.bytes, x.invalid) < std::tie(y.path, y.bytes, y.invalid);
    });
    std::vector<std::vector<std::uint64_t>> index(parts.size());
    for (std::size_t p = 0; p < parts.size(); ++p)
        index[p].resize(parts[p].files.size());
    Result out;
    for (std::size_t i = 0; i < places.size(); ++i) {
        index[places[i].part][places[i].file] = i;
        out.files.push_back(fileOf(places[i]));
    }
    for (std::size_t p = 0; p < parts.size(); ++p) {
        char_tally::Items items = parts[p].items;
        for (Item& item : items)
            item.first = char_tally::keyOf(index[p][item.first >> char_tally::kOffsetBits],
                                           item.first & kOffsetMask);
        char_tally::mergeInto(out.items, items);
        out.occurrences += parts[p].occurrences;
    }
    return out;
}

} // namespace partial_tally
