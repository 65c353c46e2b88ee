#include "analysis/level_profile.h"

#include <QJsonArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace unihan {

namespace {

constexpr std::array kLevels{Level::First, Level::Second, Level::Third, Level::Outside};

// n / total * 10,000, rounded half up, without overflow for any counts.
std::uint64_t hundredthsOfPercent(std::uint64_t n, std::uint64_t total) {
    __extension__ using Wide = unsigned __int128;
    return std::uint64_t((Wide(n) * 20000 + total) / (Wide(total) * 2));
}

void sortOutside(std::vector<CodePointCount>& outside) {
    std::sort(outside.begin(), outside.end(), [](const CodePointCount& a, const CodePointCount& b) {
        return a.count != b.count ? a.count > b.count : a.cp < b.cp;
    });
}

QString characterText(char32_t cp) {
    return QString::fromUcs4(&cp, 1);
}

QString outsideText(const Profile& p) {
    QStringList items;
    for (const CodePointCount& c : p.outside)
        items << characterText(c.cp) + u' ' + QString::number(c.count);
    return items.join(u' ');
}

} // namespace

Profile levelProfile(const Table& table, std::span<const CodePointCount> counts) {
    Profile p;
    for (const CodePointCount& c : counts) {
        const Level level = table.level(c.cp);
        if (level == Level::NotHanzi || c.count == 0)
            continue;
        LevelCounts& l = p.levels[std::size_t(level)];
        ++l.distinct;
        l.occurrences += c.count;
        ++p.hanzi.distinct;
        p.hanzi.occurrences += c.count;
        if (level == Level::Outside)
            p.outside.push_back(c);
    }
    sortOutside(p.outside);
    return p;
}

QString percentText(std::uint64_t n, std::uint64_t total) {
    if (total == 0)
        return {};
    const std::uint64_t h = hundredthsOfPercent(n, total);
    return u"%1.%2"_s.arg(h / 100).arg(h % 100, 2, 10, QLatin1Char('0'));
}

QStringList profileHeader() {
    return {u"hanzi"_s,
            u"first_percent"_s,
            u"up_to_second_percent"_s,
            u"up_to_third_percent"_s,
            u"outside_percent"_s,
            u"distinct"_s,
            u"first_distinct"_s,
            u"second_distinct"_s,
            u"third_distinct"_s,
            u"outside_distinct"_s,
            u"first_count"_s,
            u"second_count"_s,
            u"third_count"_s,
            u"outside_count"_s,
            u"outside_characters"_s};
}

QStringList profileRow(const Profile& p) {
    const std::uint64_t total = p.hanzi.occurrences;
    std::uint64_t upTo = 0;
    QStringList row{QString::number(total)};
    for (const Level level : {Level::First, Level::Second, Level::Third}) {
        upTo += p[level].occurrences;
        row << percentText(upTo, total);
    }
    row << percentText(p[Level::Outside].occurrences, total) << QString::number(p.hanzi.distinct);
    for (const Level level : kLevels)
        row << QString::number(p[level].distinct);
    for (const Level level : kLevels)
        row << QString::number(p[level].occurrences);
    return row << outsideText(p);
}

QString profileText(const Profile& p) {
    const std::uint64_t total = p.hanzi.occurrences;
    QStringList lines{u"级别 level\t字种 distinct\t字次 occurrences\t占比 % of hanzi"_s};
    for (const Level level : kLevels)
        lines << QStringList{levelName(level), QString::number(p[level].distinct),
                             QString::number(p[level].occurrences),
                             percentText(p[level].occurrences, total)}
                     .join(u'\t');
    lines << u"汉字 hanzi\t%1\t%2\t%3"_s.arg(p.hanzi.distinct)
                 .arg(total)
                 .arg(percentText(total, total));
    const QString outside = outsideText(p);
    lines << u"表外字 outside the list:"_s + (outside.isEmpty() ? QString() : u' ' + outside);
    return lines.join(u'\n') + u'\n';
}

QJsonObject profileJson(const Profile& p) {
    const std::uint64_t total = p.hanzi.occurrences;
    auto percent = [&](std::uint64_t n) {
        return total == 0 ? QJsonValue() : QJsonValue(double(hundredthsOfPercent(n, total)) / 100);
    };
    QJsonArray levels;
    for (const Level level : kLevels)
        levels.append(QJsonObject{{u"level"_s, levelName(level)},
                                  {u"distinct"_s, qint64(p[level].distinct)},
                                  {u"occurrences"_s, qint64(p[level].occurrences)},
                                  {u"percent"_s, percent(p[level].occurrences)}});
    QJsonArray outside;
    for (const CodePointCount& c : p.outside)
        outside.append(
            QJsonObject{{u"character"_s, characterText(c.cp)}, {u"count"_s, qint64(c.count)}});
    return QJsonObject{{u"hanzi"_s, qint64(total)},
                       {u"distinct"_s, qint64(p.hanzi.distinct)},
                       {u"levels"_s, levels},
                       {u"outside"_s, outside}};
}

std::vector<InfoField> parseInfoFields(const QString& list, QString* error) {
    std::vector<InfoField> fields;
    for (const QString& name : list.split(u',')) {
        const QString n = name.trimmed();
        InfoField field;
        if (n == "pinyin"_L1)
            field = InfoField::Pinyin;
        else if (n == "strokes"_L1)
            field = InfoField::Strokes;
        else if (n == "level"_L1)
            field = InfoField::Level;
        else {
            *error = n.isEmpty() ? u"--info 中有空的名称 / an empty name: \"%1\""_s.arg(list)
                                 : u"--info 只能是 pinyin、strokes、level: %1"_s.arg(n);
            return {};
        }
        if (std::find(fields.begin(), fields.end(), field) != fields.end()) {
            *error = u"--info 中 %1 重复 / named twice: %1"_s.arg(n);
            return {};
        }
        fields.push_back(field);
    }
    return fields;
}

QString infoFieldName(InfoField field) {
    switch (field) {
    case InfoField::Pinyin:
        return u"pinyin"_s;
    case InfoField::Strokes:
        return u"strokes"_s;
    case InfoField::Level:
        break;
    }
    return u"level"_s;
}

QString infoValue(const Table& table, char32_t cp, InfoField field) {
    switch (field) {
    case InfoField::Pinyin:
        return table.pinyin(cp);
    case InfoField::Strokes: {
        const int strokes = table.strokes(cp);
        return strokes ? QString::number(strokes) : QString();
    }
    case InfoField::Level:
        break;
    }
    return levelName(table.level(cp));
}

} // namespace unihan
