#include "analysis/level_profile.h"
#include "unihan_extract.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;
using unihan::CodePointCount;
using unihan::InfoField;

namespace {

// 的 一 万 first level, 乂 second, 亍 third, 豈 㐀 𠀀 outside; the rest no hanzi.
const std::vector<CodePointCount> kCounts{
    {U'A', 100}, {0x7684, 50}, {0xFF0C, 20}, {0x4E00, 30}, {0x4E07, 10}, {0x4E42, 5},
    {0x4E8D, 3}, {0x20000, 1}, {0x3400, 1},  {0xF900, 2},  {0x884C, 0},
};

QString json(const unihan::Profile& p) {
    return QString::fromUtf8(QJsonDocument(unihan::profileJson(p)).toJson(QJsonDocument::Compact));
}

} // namespace

class TestLevelProfile : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void profile();
    void noHanzi();
    void percent_data();
    void percent();
    void infoFields_data();
    void infoFields();
    void infoValues_data();
    void infoValues();

  private:
    std::optional<unihan::Table> table_;
};

void TestLevelProfile::initTestCase() {
    QTemporaryDir dir;
    QVERIFY(fixtures::writeUnihanExtract(dir.path(), false));
    unihan::LoadResult r = unihan::load(dir.path(), {});
    QVERIFY2(r.table, qPrintable(r.error));
    table_ = std::move(r.table);
}

void TestLevelProfile::profile() {
    const unihan::Profile p = unihan::levelProfile(*table_, kCounts);
    QCOMPARE(unihan::profileText(p),
             u"级别 level\t字种 distinct\t字次 occurrences\t占比 % of hanzi\n"
             u"一级\t3\t90\t88.24\n"
             u"二级\t1\t5\t4.90\n"
             u"三级\t1\t3\t2.94\n"
             u"表外\t3\t4\t3.92\n"
             u"汉字 hanzi\t8\t102\t100.00\n"
             u"表外字 outside the list: \uF900 2 㐀 1 𠀀 1\n"_s);
    QCOMPARE(unihan::profileHeader().join(u'|'),
             u"hanzi|first_percent|up_to_second_percent|up_to_third_percent|outside_percent|"
             u"distinct|first_distinct|second_distinct|third_distinct|outside_distinct|"
             u"first_count|second_count|third_count|outside_count|outside_characters"_s);
    // Shares up to a level are rounded from the sum, not summed from the rounded.
    QCOMPARE(unihan::profileRow(p).join(u'|'),
             u"102|88.24|93.14|96.08|3.92|8|3|1|1|3|90|5|3|4|\uF900 2 㐀 1 𠀀 1"_s);
    QCOMPARE(json(p), u"{\"distinct\":8,\"hanzi\":102,\"levels\":["
                      u"{\"distinct\":3,\"level\":\"一级\",\"occurrences\":90,\"percent\":88.24},"
                      u"{\"distinct\":1,\"level\":\"二级\",\"occurrences\":5,\"percent\":4.9},"
                      u"{\"distinct\":1,\"level\":\"三级\",\"occurrences\":3,\"percent\":2.94},"
                      u"{\"distinct\":3,\"level\":\"表外\",\"occurrences\":4,\"percent\":3.92}],"
                      u"\"outside\":[{\"character\":\"\uF900\",\"count\":2},"
                      u"{\"character\":\"㐀\",\"count\":1},{\"character\":\"𠀀\",\"count\":1}]}"_s);
}

void TestLevelProfile::noHanzi() {
    // No hanzi, no shares: empty cells, never a division by zero or "nan".
    const std::vector<CodePointCount> latin{{U'A', 3}, {U'\n', 1}};
    const unihan::Profile p = unihan::levelProfile(*table_, latin);
    QCOMPARE(unihan::profileRow(p).join(u'|'), u"0|||||0|0|0|0|0|0|0|0|0|"_s);
    QCOMPARE(unihan::profileText(p),
             u"级别 level\t字种 distinct\t字次 occurrences\t占比 % of hanzi\n"
             u"一级\t0\t0\t\n二级\t0\t0\t\n三级\t0\t0\t\n表外\t0\t0\t\n"
             u"汉字 hanzi\t0\t0\t\n表外字 outside the list:\n"_s);
    QVERIFY(json(p).contains(u"\"percent\":null"_s));
}

void TestLevelProfile::percent_data() {
    QTest::addColumn<quint64>("n");
    QTest::addColumn<quint64>("total");
    QTest::addColumn<QString>("expected");
    constexpr quint64 max = std::numeric_limits<quint64>::max();
    QTest::newRow("a third") << 1ull << 3ull << u"33.33"_s;
    QTest::newRow("two thirds") << 2ull << 3ull << u"66.67"_s;
    QTest::newRow("trailing zero") << 1ull << 8ull << u"12.50"_s;
    QTest::newRow("below half a hundredth") << 1ull << 20001ull << u"0.00"_s;
    QTest::newRow("half a hundredth rounds up") << 1ull << 20000ull << u"0.01"_s;
    QTest::newRow("none") << 0ull << 5ull << u"0.00"_s;
    QTest::newRow("all") << 5ull << 5ull << u"100.00"_s;
    QTest::newRow("no total") << 0ull << 0ull << QString();
    QTest::newRow("largest counts") << max << max << u"100.00"_s;
    QTest::newRow("largest half") << max / 2 << max << u"50.00"_s;
}

void TestLevelProfile::percent() {
    QFETCH(quint64, n);
    QFETCH(quint64, total);
    QFETCH(QString, expected);
    QCOMPARE(unihan::percentText(n, total), expected);
}

void TestLevelProfile::infoFields_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("expected"); // the names again, or the error
    QTest::newRow("all") << u"pinyin,strokes,level"_s << u"pinyin,strokes,level"_s;
    QTest::newRow("order kept, spaces") << u"level, pinyin"_s << u"level,pinyin"_s;
    QTest::newRow("one") << u"strokes"_s << u"strokes"_s;
    QTest::newRow("empty") << u""_s << u"--info 中有空的名称 / an empty name: \"\""_s;
    QTest::newRow("empty between")
        << u"pinyin,,level"_s << u"--info 中有空的名称 / an empty name: \"pinyin,,level\""_s;
    QTest::newRow("unknown") << u"pinyin,tone"_s << u"--info 只能是 pinyin、strokes、level: tone"_s;
    QTest::newRow("twice") << u"level,pinyin,level"_s
                           << u"--info 中 level 重复 / named twice: level"_s;
}

void TestLevelProfile::infoFields() {
    QFETCH(QString, list);
    QFETCH(QString, expected);
    QString error;
    QStringList names;
    for (const InfoField f : unihan::parseInfoFields(list, &error))
        names << unihan::infoFieldName(f);
    QCOMPARE(error.isEmpty() ? names.join(u',') : error, expected);
}

void TestLevelProfile::infoValues_data() {
    QTest::addColumn<uint>("cp");
    QTest::addColumn<QString>("expected"); // pinyin|strokes|level
    QTest::newRow("的") << 0x7684u << u"de dī dí dì|8|一级"_s;
    QTest::newRow("乂, no reading or strokes") << 0x4E42u << u"||二级"_s;
    QTest::newRow("亍") << 0x4E8Du << u"||三级"_s;
    QTest::newRow("𠀀") << 0x20000u << u"hē|2|表外"_s;
    QTest::newRow("Latin") << uint('A') << u"||"_s;
    QTest::newRow("line feed") << 10u << u"||"_s;
    QTest::newRow("lone surrogate") << 0xD800u << u"||"_s;
}

void TestLevelProfile::infoValues() {
    QFETCH(uint, cp);
    QFETCH(QString, expected);
    QStringList cells;
    for (const InfoField f : {InfoField::Pinyin, InfoField::Strokes, InfoField::Level})
        cells << unihan::infoValue(*table_, char32_t(cp), f);
    QCOMPARE(cells.join(u'|'), expected);
}

QTEST_GUILESS_MAIN(TestLevelProfile)
#include "tst_level_profile.moc"
