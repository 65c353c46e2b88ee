#include "analysis/unihan_data.h"
#include "unihan_extract.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using unihan::Level;

namespace {

// Everything the table says of a character, as one string.
QString entry(const unihan::Table& t, char32_t cp) {
    return u"%1|%2|%3|%4|%5"_s.arg(t.pinyin(cp))
        .arg(t.strokes(cp))
        .arg(unihan::levelName(t.level(cp)))
        .arg(t.listIndex(cp))
        .arg(t.inGb2312(cp) ? "GB" : "-");
}

QString path(const QTemporaryDir& dir, const char* name) {
    return dir.filePath(QString::fromUtf8(name));
}

} // namespace

class TestUnihanData : public QObject {
    Q_OBJECT

  private slots:
    void lookups_data();
    void lookups();
    void hanziBlocks_data();
    void hanziBlocks();
    void missingData_data();
    void missingData();
    void badData_data();
    void badData();
    void fieldInAnotherFile();
    void keptCopy();
    void damagedCopyRefused_data();
    void damagedCopyRefused();
    void installedFiles();
};

void TestUnihanData::lookups_data() {
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<uint>("cp");
    QTest::addColumn<QString>("expected"); // pinyin|strokes|level|index|GB 2312
    const QList<std::tuple<const char*, uint, const char*>> rows{
        {"的: several readings, GB and list", 0x7684, "de dī dí dì|8|一级|1155|GB"},
        {"万: customary reading first", 0x4E07, "wàn mò|3|一级|35|GB"},
        {"范: first stroke count, one reading", 0x8303, "fàn|8|一级|1010|-"},
        {"行: listed readings after the customary", 0x884C, "xíng háng héng|6|一级|483|-"},
        {"一: index 1", 0x4E00, "yī|1|一级|1|GB"},
        {"矗: index 3500", 0x77D7, "|0|一级|3500|-"},
        {"乂: index 3501", 0x4E42, "|0|二级|3501|-"},
        {"齉: index 6500", 0x9F49, "|0|二级|6500|-"},
        {"亍: index 6501", 0x4E8D, "|0|三级|6501|-"},
        {"蠼: index 8105", 0x883C, "|0|三级|8105|-"},
        {"丌: GB 2312 only", 0x4E0C, "jī|0|表外|0|GB"},
        {"㐀: extension A", 0x3400, "qiū|5|表外|0|-"},
        {"𠀀: extension B", 0x20000, "hē|2|表外|0|-"},
        {"豈: compatibility ideograph", 0xF900, "|10|表外|0|-"},
        {"a hanzi without an entry", 0x9FA0, "|0|表外|0|-"},
        {"Latin", 'A', "|0||0|-"},
        {"full-width comma", 0xFF0C, "|0||0|-"},
        {"〇", 0x3007, "|0||0|-"},
    };
    for (const bool compressed : {false, true})
        for (const auto& [name, cp, expected] : rows)
            QTest::addRow("%s %s", compressed ? "bz2" : "txt", name)
                << compressed << cp << QString::fromUtf8(expected);
}

void TestUnihanData::lookups() {
    QFETCH(bool, compressed);
    QFETCH(uint, cp);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(fixtures::writeUnihanExtract(dir.path(), compressed));
    const unihan::LoadResult r = unihan::load(dir.path(), {});
    QVERIFY2(r.table, qPrintable(r.error));
    QCOMPARE(entry(*r.table, char32_t(cp)), expected);
    QCOMPARE(r.table->listedCount(), 10);
}

void TestUnihanData::hanziBlocks_data() {
    QTest::addColumn<uint>("cp");
    QTest::addColumn<bool>("hanzi");
    // The first and last of each block, and the code points next to them.
    const QList<std::pair<uint, uint>> blocks{
        {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xF900, 0xFAFF},  {0x20000, 0x2A6DF},
        {0x2A700, 0x2EE5F}, {0x2F800, 0x2FA1F}, {0x30000, 0x323AF}};
    for (const auto& [first, last] : blocks) {
        QTest::addRow("U+%X", first - 1) << first - 1 << false;
        QTest::addRow("U+%X", first) << first << true;
        QTest::addRow("U+%X", last) << last << true;
        QTest::addRow("U+%X", last + 1) << last + 1 << false;
    }
    QTest::newRow("Kangxi radical one") << 0x2F00u << false;
    QTest::newRow("ideographic zero") << 0x3007u << false;
    QTest::newRow("last code point") << 0x10FFFFu << false;
}

void TestUnihanData::hanziBlocks() {
    QFETCH(uint, cp);
    QFETCH(bool, hanzi);
    QCOMPARE(unihan::isHanzi(char32_t(cp)), hanzi);
}

void TestUnihanData::missingData_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("expected"); // DIR: the folder given
    const QString notFound =
        u"Unihan data not found: no %1.txt.bz2 or %1.txt in DIR (the package unicode-data "
        u"installs them)"_s;
    const QString notRegular =
        u"Unihan data unreadable: DIR/Unihan_IRGSources.txt is not a regular file"_s;
    QTest::newRow("no folder") << u"nothing"_s
                               << u"Unihan data not found: DIR/none is not a folder"_s;
    QTest::newRow("a file, not a folder")
        << u"file"_s << u"Unihan data not found: DIR/none is not a folder"_s;
    QTest::newRow("empty folder") << u""_s << notFound.arg("Unihan_Readings");
    QTest::newRow("one file") << u"Readings"_s << notFound.arg("Unihan_OtherMappings");
    QTest::newRow("a folder of the name")
        << u"Readings OtherMappings IRGSources-folder"_s << notRegular;
    QTest::newRow("a FIFO of the name")
        << u"Readings OtherMappings IRGSources-fifo"_s << notRegular;
}

void TestUnihanData::missingData() {
    QFETCH(QString, setup);
    QFETCH(QString, expected);
    QTemporaryDir tmp;
    QTemporaryDir full;
    QVERIFY(fixtures::writeUnihanExtract(full.path(), false));
    QString dir = tmp.path();
    if (setup == "nothing"_L1 || setup == "file"_L1) {
        dir = tmp.filePath(u"none"_s);
        if (setup == "file"_L1)
            QVERIFY(fixtures::writeFile(dir, "x"));
    }
    for (const QString& item : setup.split(u' ', Qt::SkipEmptyParts)) {
        const QString name = u"Unihan_"_s + item.section(u'-', 0, 0) + u".txt"_s;
        if (item.endsWith("-folder"_L1))
            QVERIFY(QDir(dir).mkdir(name));
        else if (item.endsWith("-fifo"_L1))
            QCOMPARE(mkfifo(QFile::encodeName(QDir(dir).filePath(name)).constData(), 0600), 0);
        else if (item != "nothing"_L1 && item != "file"_L1)
            QVERIFY(QFile::copy(full.filePath(name), QDir(dir).filePath(name)));
    }
    const unihan::LoadResult r = unihan::load(dir, tmp.filePath(u"cache"_s));
    QVERIFY(!r.table);
    QCOMPARE(r.error, QString(expected).replace(u"DIR"_s, tmp.path()));
}

void TestUnihanData::badData_data() {
    QTest::addColumn<QString>("file"); // replaced in the extract
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // FILE: its path
    const QByteArray good = fixtures::bzip2(fixtures::kReadings);
    QTest::newRow("cut short") << u"Unihan_Readings.txt.bz2"_s << good.first(good.size() / 2)
                               << u"Unihan data unreadable: FILE: the compressed data is "
                                  u"damaged or cut short"_s;
    QTest::newRow("not bzip2") << u"Unihan_Readings.txt.bz2"_s << QByteArray(fixtures::kReadings)
                               << u"Unihan data unreadable: FILE: the compressed data is "
                                  u"damaged or cut short"_s;
    QTest::newRow("trailing bytes")
        << u"Unihan_Readings.txt.bz2"_s << good + "junk"
        << u"Unihan data unreadable: FILE: the compressed data is damaged or cut short"_s;
    QTest::newRow("not a Unihan line")
        << u"Unihan_Readings.txt"_s << QByteArray("# comment\nU+4E00\tkMandarin\tyī\nhello\n")
        << u"Unihan data unreadable: FILE:3: not a line of the Unihan database"_s;
    QTest::newRow("code point too large")
        << u"Unihan_Readings.txt"_s << QByteArray("U+110000\tkMandarin\tyī\n")
        << u"Unihan data unreadable: FILE:1: not a line of the Unihan database"_s;
    QTest::newRow("list index out of range")
        << u"Unihan_OtherMappings.txt"_s << QByteArray("U+4E00\tkTGH\t2013:8106\n")
        << u"Unihan data unreadable: FILE:1: not a list index from 1 to 8105"_s;
    QTest::newRow("no stroke count")
        << u"Unihan_IRGSources.txt"_s << QByteArray("U+4E00\tkTotalStrokes\t\n")
        << u"Unihan data unreadable: FILE:1: not a stroke count"_s;
    QTest::newRow("a line of 1 MB")
        << u"Unihan_IRGSources.txt"_s << "U+4E00\tkTotalStrokes\t1\n" + QByteArray(1 << 20, 'x')
        << u"Unihan data unreadable: FILE:1: a line longer than 65536 bytes: not Unihan data"_s;
    QTest::newRow("no kTGH anywhere")
        << u"Unihan_OtherMappings.txt"_s << QByteArray("U+4E00\tkGB0\t5027\n")
        << u"Unihan data incomplete: no kTGH field in the Unihan files of DIR"_s;
}

void TestUnihanData::badData() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(fixtures::writeUnihanExtract(dir.path(), file.endsWith(".bz2"_L1)));
    QVERIFY(fixtures::writeFile(dir.filePath(file), bytes));
    const unihan::LoadResult r = unihan::load(dir.path(), dir.filePath(u"cache"_s));
    QVERIFY(!r.table);
    QCOMPARE(
        r.error,
        QString(expected).replace(u"FILE"_s, dir.filePath(file)).replace(u"DIR"_s, dir.path()));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"cache"_s)));
}

void TestUnihanData::fieldInAnotherFile() {
    // Older Unicode versions kept the stroke counts in another file.
    QTemporaryDir dir;
    QVERIFY(fixtures::writeUnihanExtract(dir.path(), false));
    QVERIFY(QFile::rename(path(dir, "Unihan_IRGSources.txt"),
                          path(dir, "Unihan_DictionaryLikeData.txt")));
    QVERIFY(fixtures::writeFile(path(dir, "Unihan_IRGSources.txt"), "# empty\n"));
    const unihan::LoadResult r = unihan::load(dir.path(), {});
    QVERIFY2(r.table, qPrintable(r.error));
    QCOMPARE(entry(*r.table, 0x7684), u"de dī dí dì|8|一级|1155|GB"_s);
}

void TestUnihanData::keptCopy() {
    QTemporaryDir dir;
    QVERIFY(fixtures::writeUnihanExtract(dir.path(), true));
    const QString cache = dir.filePath(u"cache/sub"_s);
    const unihan::LoadResult first = unihan::load(dir.path(), cache);
    QVERIFY2(first.table && !first.fromCache, qPrintable(first.error));
    const unihan::LoadResult second = unihan::load(dir.path(), cache);
    QVERIFY(second.table && second.fromCache);
    QCOMPARE(second.table->serialize(), first.table->serialize());
    QCOMPARE(entry(*second.table, 0x4E07), u"wàn mò|3|一级|35|GB"_s);

    // A changed file makes the copy stale.
    QByteArray readings(fixtures::kReadings);
    readings.replace("U+4E07\tkMandarin\twàn mò", "U+4E07\tkMandarin\tmò wàn");
    QVERIFY(fixtures::writeFile(path(dir, "Unihan_Readings.txt.bz2"), fixtures::bzip2(readings)));
    const unihan::LoadResult third = unihan::load(dir.path(), cache);
    QVERIFY(third.table && !third.fromCache);
    QCOMPARE(entry(*third.table, 0x4E07), u"mò wàn|3|一级|35|GB"_s);
    QVERIFY(unihan::load(dir.path(), cache).fromCache);

    // A cache folder that cannot be made costs speed only.
    QVERIFY(fixtures::writeFile(path(dir, "blocked"), "x"));
    const unihan::LoadResult blocked = unihan::load(dir.path(), path(dir, "blocked"));
    QVERIFY(blocked.table && !blocked.fromCache);
}

void TestUnihanData::damagedCopyRefused_data() {
    QTest::addColumn<int>("offset"); // from the end when negative
    QTest::addColumn<int>("cut");    // bytes removed there; 0: one byte flipped
    QTest::newRow("flipped in the stamp") << 3 << 0;
    QTest::newRow("flipped in the table") << 400 << 0;
    QTest::newRow("flipped in the checksum") << -1 << 0;
    QTest::newRow("cut short") << -9 << 9;
    QTest::newRow("emptied") << 0 << 1;
}

void TestUnihanData::damagedCopyRefused() {
    QFETCH(int, offset);
    QFETCH(int, cut);
    QTemporaryDir dir;
    QVERIFY(fixtures::writeUnihanExtract(dir.path(), false));
    const QString cacheDir = dir.filePath(u"cache"_s);
    const QByteArray expected = unihan::load(dir.path(), cacheDir).table->serialize();
    const QStringList copies = QDir(cacheDir).entryList(QDir::Files);
    QCOMPARE(copies.size(), 1);
    const QString copy = QDir(cacheDir).filePath(copies[0]);
    QFile f(copy);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    f.close();
    const int at = offset < 0 ? int(bytes.size()) + offset : offset;
    if (cut == 0)
        bytes[at] = char(bytes[at] ^ 0x10);
    else
        bytes = offset == 0 ? QByteArray() : bytes.remove(at, cut);
    QVERIFY(fixtures::writeFile(copy, bytes));
    const unihan::LoadResult r = unihan::load(dir.path(), cacheDir);
    QVERIFY(r.table && !r.fromCache);
    QCOMPARE(r.table->serialize(), expected);
}

void TestUnihanData::installedFiles() {
    const QString dir = unihan::defaultDirectory();
    if (!QFileInfo::exists(dir + u"/Unihan_OtherMappings.txt.bz2"_s))
        QSKIP("unicode-data is not installed: no /usr/share/unicode/Unihan_*.txt.bz2");
    const unihan::LoadResult r = unihan::load(dir, {});
    QVERIFY2(r.table, qPrintable(r.error));
    const unihan::Table& t = *r.table;
    QCOMPARE(t.listedCount(), unihan::kListSize);
    std::array<int, 5> perLevel{};
    for (char32_t cp = 0; cp < 0x40000; ++cp)
        ++perLevel[std::size_t(t.level(cp))];
    QCOMPARE(perLevel[std::size_t(Level::First)], 3500);
    QCOMPARE(perLevel[std::size_t(Level::Second)], 3000);
    QCOMPARE(perLevel[std::size_t(Level::Third)], 1605);
    QCOMPARE(t.level(U'的'), Level::First);
    QCOMPARE(t.pinyin(U'的').section(u' ', 0, 0), u"de"_s);
    QCOMPARE(t.strokes(U'的'), 8);
    QVERIFY(t.inGb2312(U'的'));
}

QTEST_GUILESS_MAIN(TestUnihanData)
#include "tst_unihan_data.moc"
