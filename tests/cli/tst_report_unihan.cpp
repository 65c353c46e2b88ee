// quillet-report's --info columns, --profile tables and --unihan folder, on a
// Unihan extract: what the user reads, and the exit status when data is missing.
#include "unihan_extract.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int status = -1;
    QString out, err; // decoding drops a byte-order mark
    QByteArray bytes; // standard output as written
};

// 的 twice; 一 万 first level, 乂 second, 亍 third, 㐀 𠀀 outside; A and ， no hanzi.
const QByteArray kText = "的一的万乂亍㐀𠀀A，\r\n";

} // namespace

class TstReportUnihan : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void infoColumns_data();
    void infoColumns();
    void infoInJson();
    void profile_data();
    void profile();
    void profilePerFile();
    void profileInJson();
    void missingData();
    void refused_data();
    void refused();

  private:
    Run report(const QStringList& arguments, const QByteArray& input = kText) const;
    QTemporaryDir m_dir;
};

Run TstReportUnihan::report(const QStringList& arguments, const QByteArray& input) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CACHE_HOME"_s, m_dir.filePath(u"cache"_s)); // not the user's
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUILLET_REPORT_EXE),
            QStringList{u"--unihan"_s, m_dir.filePath(u"data"_s)} + arguments);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    const QByteArray out = p.readAllStandardOutput();
    return {p.exitCode(), QString::fromUtf8(out), QString::fromUtf8(p.readAllStandardError()), out};
}

void TstReportUnihan::initTestCase() {
    QVERIFY(QDir(m_dir.path()).mkdir(u"data"_s));
    QVERIFY(fixtures::writeUnihanExtract(m_dir.filePath(u"data"_s), true));
}

void TstReportUnihan::infoColumns_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("expected"); // the header's last cells, then character|info rows
    const char* all = "pinyin|strokes|level;的|de dī dí dì|8|一级;一|yī|1|一级;万|wàn mò|3|一级;"
                      "乂|||二级;亍|||三级;㐀|qiū|5|表外;𠀀|hē|2|表外;A|||;，|||";
    QTest::newRow("tsv") << u"tsv"_s << u"pinyin,strokes,level"_s << QString::fromUtf8(all);
    QTest::newRow("csv") << u"csv"_s << u"pinyin,strokes,level"_s << QString::fromUtf8(all);
    QTest::newRow("one field, csv")
        << u"csv"_s << u"level"_s
        << u"level;的|一级;一|一级;万|一级;乂|二级;亍|三级;㐀|表外;𠀀|表外;A|;，|"_s;
    QTest::newRow("reordered") << u"tsv"_s << u"strokes,pinyin"_s
                               << u"strokes|pinyin;的|8|de dī dí dì;一|1|yī;万|3|wàn mò;乂||;"
                                  u"亍||;㐀|5|qiū;𠀀|2|hē;A||;，||"_s;
}

void TstReportUnihan::infoColumns() {
    QFETCH(QString, format);
    QFETCH(QString, fields);
    QFETCH(QString, expected);
    const Run r = report({u"--info"_s, fields, u"--format"_s, format});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    const int extra = int(fields.count(u',')) + 1;
    QStringList seen;
    const QString sep = format == "csv"_L1 ? u","_s : u"\t"_s;
    const QStringList lines = r.out.split(QRegularExpression(u"\r?\n"_s), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(sep);
        const QStringList info = cells.mid(cells.size() - extra);
        seen << (i == 0 ? info : QStringList{cells[1]} + info).join(u'|');
    }
    QCOMPARE(seen.join(u';'), expected);
}

void TstReportUnihan::infoInJson() {
    const Run r = report({u"--info"_s, u"pinyin,level"_s, u"--format"_s, u"json"_s});
    QCOMPARE(r.status, 0);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    QCOMPARE(error.errorString(), u"no error occurred"_s);
    QStringList seen;
    for (const QJsonValue row : doc[u"total"_s][u"rows"_s].toArray())
        seen << row[u"character"_s].toString() + u'|' + row[u"pinyin"_s].toString() + u'|' +
                    row[u"level"_s].toString();
    QCOMPARE(seen.join(u';'), u"的|de dī dí dì|一级;一|yī|一级;万|wàn mò|一级;乂||二级;亍||三级;"
                              u"㐀|qiū|表外;𠀀|hē|表外;A||;，||"_s);
}

void TstReportUnihan::profile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const QString row = u"8\t50.00\t62.50\t75.00\t25.00\t7\t3\t1\t1\t2\t4\t1\t1\t2\t㐀 1 𠀀 1"_s;
    const QString header = u"hanzi\tfirst_percent\tup_to_second_percent\tup_to_third_percent\t"
                           u"outside_percent\tdistinct\tfirst_distinct\tsecond_distinct\t"
                           u"third_distinct\toutside_distinct\tfirst_count\tsecond_count\t"
                           u"third_count\toutside_count\toutside_characters"_s;
    QTest::newRow("tsv, the profile only")
        << QStringList{u"--profile"_s, u"--top"_s, u"0"_s} << header + u'\n' + row + u'\n';
    QTest::newRow("csv, with a byte-order mark")
        << QStringList{u"--profile"_s, u"--top"_s, u"0"_s, u"--format"_s, u"csv"_s, u"--bom"_s}
        << QString(header).replace(u'\t', u',') + u"\r\n"_s + QString(row).replace(u'\t', u',') +
               u"\r\n"_s;
    QTest::newRow("report, the profile only")
        << QStringList{u"--profile"_s, u"--top"_s, u"0"_s, u"--format"_s, u"report"_s}
        << u"级别 level\t字种 distinct\t字次 occurrences\t占比 % of hanzi\r\n"
           u"一级\t3\t4\t50.00\r\n二级\t1\t1\t12.50\r\n三级\t1\t1\t12.50\r\n表外\t2\t2\t25.00\r\n"
           u"汉字 hanzi\t7\t8\t100.00\r\n表外字 outside the list: 㐀 1 𠀀 1\r\n"_s;
}

void TstReportUnihan::profile() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const Run r = report(arguments);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, expected);
    const bool bom = arguments.contains(u"--bom"_s);
    QCOMPARE(r.bytes.startsWith("\xEF\xBB\xBF"), bom);

    // After the table when there is one, with a blank line between.
    const Run both = report(arguments.mid(0, 1) + arguments.mid(3));
    QCOMPARE(both.status, 0);
    QVERIFY(both.out.endsWith(expected));
    QCOMPARE(both.bytes.startsWith("\xEF\xBB\xBF"), bom);
    const QString before = both.out.chopped(expected.size());
    QVERIFY(before.endsWith(u"\n\n"_s) || before.endsWith(u"\r\n\r\n"_s));
    QVERIFY(before.contains(u"亍"_s));
}

void TstReportUnihan::profilePerFile() {
    const QString folder = m_dir.filePath(u"texts, one"_s);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(fixtures::writeFile(folder + u"/a.txt"_s, "的一的"));
    QVERIFY(fixtures::writeFile(folder + u"/b.txt"_s, "㐀A乂"));
    QVERIFY(fixtures::writeFile(folder + u"/c.txt"_s, "no hanzi"));
    const Run r = report({u"--profile"_s, u"--per-file"_s, u"--top"_s, u"0"_s, folder});
    QCOMPARE(r.status, 0);
    QStringList rows = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 5);
    QVERIFY(rows[0].startsWith(u"file\thanzi\tfirst_percent\t"_s));
    for (QString& row : rows)
        row = row.mid(row.lastIndexOf(u'/', row.indexOf(u'\t')) + 1); // the folder left out
    QCOMPARE(rows.mid(1).join(u'\n'),
             u"a.txt\t3\t100.00\t100.00\t100.00\t0.00\t2\t2\t0\t0\t0\t3\t0\t0\t0\t\n"
             u"b.txt\t2\t0.00\t50.00\t50.00\t50.00\t2\t0\t1\t0\t1\t0\t1\t0\t1\t㐀 1\n"
             u"c.txt\t0\t\t\t\t\t0\t0\t0\t0\t0\t0\t0\t0\t0\t\n"
             u"\t5\t60.00\t80.00\t80.00\t20.00\t4\t2\t1\t0\t1\t3\t1\t0\t1\t㐀 1"_s);
}

void TstReportUnihan::profileInJson() {
    const Run r = report({u"--profile"_s, u"--info"_s, u"strokes"_s, u"--format"_s, u"json"_s});
    QCOMPARE(r.status, 0);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    QCOMPARE(error.errorString(), u"no error occurred"_s);
    const QJsonObject total = doc[u"profile"_s][u"total"_s].toObject();
    QCOMPARE(total[u"hanzi"_s].toInteger(), 8);
    QCOMPARE(total[u"levels"_s][3][u"level"_s].toString(), u"表外"_s);
    QCOMPARE(total[u"levels"_s][3][u"percent"_s].toDouble(), 25.0);
    QCOMPARE(doc[u"total"_s][u"rows"_s][0][u"strokes"_s].toString(), u"8"_s);
}

void TstReportUnihan::missingData() {
    const QString empty = m_dir.filePath(u"empty"_s);
    QVERIFY(QDir().mkpath(empty));
    for (const QString& option : {u"--info"_s, u"--profile"_s}) {
        QStringList arguments{u"--unihan"_s, empty, option};
        if (option == "--info"_L1)
            arguments << u"level"_s;
        const Run r = report(arguments);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err,
                 u"quillet-report: Unihan 数据不可用,--info 和 --profile 无法使用 / Unihan data "
                 u"not found: no Unihan_Readings.txt.bz2 or Unihan_Readings.txt in %1 (the "
                 u"package unicode-data installs them)\n请安装 unicode-data 包,或用 --unihan DIR "
                 u"指定文件夹 / install the package unicode-data, or name the folder with "
                 u"--unihan DIR\n"_s.arg(empty));
    }
    // A plain report does not need the data.
    const Run plain = report({u"--unihan"_s, empty});
    QCOMPARE(plain.status, 0);
    QVERIFY(plain.out.contains(u"亍"_s));
}

void TstReportUnihan::refused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown field") << QStringList{u"--info"_s, u"pinyin,tone"_s}
                                   << u"--info 只能是 pinyin、strokes、level: tone"_s;
    QTest::newRow("info in the window's report")
        << QStringList{u"--info"_s, u"level"_s, u"--format"_s, u"report"_s}
        << u"--info 只用于 tsv、csv 和 json 表 / adds columns to the tsv, csv and json tables "
           u"only"_s;
    QTest::newRow("profile in a partial tally")
        << QStringList{u"--profile"_s, u"--format"_s, u"partial"_s}
        << u"--info、--profile 不能与 --format partial 同用 / a partial tally holds counts only"_s;
    QTest::newRow("profile with a substring count")
        << QStringList{u"--profile"_s, u"--count"_s, u"的"_s}
        << u"--info、--profile 不能与 --count 同用 / cannot be used with --count"_s;
    QTest::newRow("info with coverage")
        << QStringList{u"--info"_s, u"level"_s, u"--coverage"_s, u"50"_s}
        << u"--info、--profile 不能与 --coverage 同用 / cannot be used with --coverage"_s;
}

void TstReportUnihan::refused() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run r = report(arguments);
    QCOMPARE(r.status, 2);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err.section(u'\n', 0, 0), u"quillet-report: "_s + message);
}

QTEST_GUILESS_MAIN(TstReportUnihan)
#include "tst_report_unihan.moc"
