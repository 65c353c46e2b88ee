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

QStringList profileSummaryHeader() {
    return {u"file"_s,           u"hanzi"_s,         u"first %"_s,
            u"up to second %"_s, u"up to third %"_s, u"outside %"_s};
}

QStringList profileSummaryRow(const QString& fileName, const Profile& p) {
    const std::uint64_t total = p.hanzi.occurrences;
    std::uint64_t upTo = 0;
    QStringList row{fileName, QString::number(total)};
    for (const Level level : {Level::First, Level::Second, Level::Third}) {
        upTo += p[level].occurrences;
        row << percentText(upTo, total);
    }
    row << percentText(p[Level::Outside].occurrences, total);
    return row;
}

QList<QStringList> profileTable(const Profile& p) {
    QList<QStringList> rows{
        {u"级别 level"_s, u"字种 distinct"_s, u"字次 occurrences"_s, u"占比 % of hanzi"_s}};
    const std::uint64_t total = p.hanzi.occurrences;
    for (const Level level : kLevels)
        rows.append({levelName(level), QString::number(p[level].distinct),
                     QString::number(p[level].occurrences),
                     percentText(p[level].occurrences, total)});
    rows.append({u"汉字 hanzi"_s, QString::number(p.hanzi.distinct), QString::number(total),
                 percentText(total, total)});
    return rows;
}

QString profileText(const Profile& p) {
    QString out;
    for (const QStringList& row : profileTable(p))
        out += row.join(u'\t') + u'\n';
    out += u"表外字 outside the list:"_s;
    for (const CodePointCount& c : p.outside)
        out += u' ' + characterText(c.cp) + u' ' + QString::number(c.count);
    return out + u'\n';
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
            *error = n.isEmpty() ? u"--info: an empty name in \"%1\""_s.arg(list)
                                 : u"--info: unknown \"%1\" (pinyin, strokes, level)"_s.arg(n);
            return {};
        }
        if (std::find(fields.begin(), fields.end(), field) != fields.end()) {
            *error = u"--info: \"%1\" named twice"_s.arg(n);
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
