// quillet-report as a user runs it: its report equals the window's, its
// tables, partial tallies, failures and exit statuses.
#include "file_fixtures.h"
#include "form_fixtures.h"
#include "host/text_codec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Run {
    int status = -1;
    QByteArray out, err;
};

Run report(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(QUILLET_REPORT_EXE), arguments);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

QByteArray lines(const QStringList& rows, const char* end) {
    return (rows.join(QLatin1String(end)) + QLatin1String(end)).toUtf8();
}

} // namespace

class TstReportCli : public QObject, FormFixture {
    Q_OBJECT

  private slots:
    void init() { start(false); }
    void cleanup() { stop(); }

    // The window's count command and --format report --units code-unit give
    // the same bytes for the same text and options.
    void reportEqualsTheWindow_data() {
        // Text, Check1..Check5 ("1" ticked), option 1..3, separator, list.
        QTest::addColumn<QStringList>("c");
        const char* start = "01101";
        QTest::newRow("start") << QStringList{"a b\r\nb 中中文", start, "3"};
        QTest::newRow("all kept") << QStringList{" \r\n\tx\r\n", "00000", "3"};
        QTest::newRow("case") << QStringList{"aAbB中Ä ä", "11101", "1"};
        QTest::newRow("separator") << QStringList{"a,b,,c", start, "2", ","};
        QTest::newRow("long separator") << QStringList{"a, b,c, ,d", "01001", "3", ", "};
        QTest::newRow("single entries") << QStringList{"aAbBcC中", "01111", "3", "", "a 中"};
        QTest::newRow("long entries") << QStringList{"中文文中abAB", "11011", "1", "", "中文 ab"};
        QTest::newRow("full-width space") << QStringList{"第一\u3000段。第二段。", start, "1"};
        QTest::newRow("outside the BMP") << QStringList{"😀a😀𠀀", start, "3"};
        QTest::newRow("nothing left") << QStringList{"   ", start, "3"};
        QTest::newRow("cr cr lf lf") << QStringList{"a\r\r\n\nb\r\n\r\n\r", start, "1"};
        QTest::newRow("cr cr lf lf kept") << QStringList{"a\r\r\n\nb\r\n\r\n\r", "00000", "1"};
        QTest::newRow("tabs") << QStringList{"\t\ta\tb \t中\t", start, "2"};
        QTest::newRow("tabs kept") << QStringList{"\t\ta\tb \t中\t", "00000", "2"};
        QTest::newRow("full-width spaces kept")
            << QStringList{"\u3000\u3000a \u3000", "00000", "1"};
        QTest::newRow("separator of a pair") << QStringList{"a😀b😀😀", start, "1", "😀"};
        QTest::newRow("list of pairs and spaces")
            << QStringList{"a😀b𠀀\u3000c A", "11111", "1", "", "  😀  𠀀 a "};
        QString poem;
        for (int i = 0; i < 200; ++i)
            poem +=
                QStringLiteral("床前明月光,疑是地上霜。举头望明月,低头思故乡。\r\n").mid(i % 20);
        QTest::newRow("a longer text") << QStringList{poem, start, "1"};
    }

    void reportEqualsTheWindow() {
        QFETCH(QStringList, c);
        const QString& checks = c[1];
        const QList<QCheckBox*> boxes = {form->Check1, form->Check2, form->Check3, form->Check4,
                                         form->Check5};
        for (int i = 0; i < 5; ++i)
            boxes[i]->setChecked(checks[i] == u'1');
        form->Text4->setText(c.value(3));
        form->Combo1->setEditText(c.value(4));
        QList<QRadioButton*>{form->Option1, form->Option2, form->Option3}[c[2].toInt() - 1]
            ->setChecked(true);
        form->Text1->setText(c[0]);
        form->Command6->click();

        QStringList args = {QStringLiteral("--format"),
                            QStringLiteral("report"),
                            QStringLiteral("--units"),
                            QStringLiteral("code-unit"),
                            QStringLiteral("--order"),
                            QStringList{"count", "reverse", "appearance"}[c[2].toInt() - 1]};
        if (checks[0] == u'1')
            args << QStringLiteral("--ignore-case");
        if (checks[1] == u'0')
            args << QStringLiteral("--keep-line-breaks");
        if (checks[2] == u'0')
            args << QStringLiteral("--keep-spaces");
        if (checks[3] == u'1')
            args << QStringLiteral("--ignore") << c.value(4);
        if (checks[4] == u'1' && !c.value(3).isEmpty())
            args << QStringLiteral("--separator") << c.value(3);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("in.txt"));
        writeBytes(path, "\xEF\xBB\xBF" + c[0].toUtf8());
        const Run r = report(args + QStringList{path});
        QCOMPARE(r.status, 0);
        // No file can hold a lone surrogate: the program shows the halves of a
        // pair by their codes where the window shows them raw.
        QString window = form->Text2->text();
        for (const char16_t half : {u'\xD83D', u'\xDE00', u'\xD840', u'\xDC00'}) {
            const QString code = QStringLiteral("A%1").arg(int(half));
            window.replace(QString(QChar(half)) + QStringLiteral("  "), code)
                .replace(QChar(half), code);
        }
        QCOMPARE(QString::fromUtf8(r.out), window);
        // Standard input, with the encoding named, gives the same.
        const Run piped =
            report(args + QStringList{QStringLiteral("--encoding"), QStringLiteral("utf-8")},
                   c[0].toUtf8());
        QCOMPARE(piped.out, r.out);
    }

    // RFC 4180: a comma and a quote are quoted, a quote doubled; a line break
    // is shown by its code; the file column of a name with a comma is quoted.
    void csvQuoting() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x,y.txt"));
        writeBytes(path, "a,\"b\n");
        const Run r = report({QStringLiteral("--format"), QStringLiteral("csv"),
                              QStringLiteral("--keep-line-breaks"), QStringLiteral("--bom"), path});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out,
                 "\xEF\xBB\xBF" +
                     lines({"rank,character,code_point,count,percent,cumulative_percent",
                            "1,a,U+0061,1,20.0000,20.0000", "2,\",\",U+002C,1,20.0000,40.0000",
                            "3,\"\"\"\",U+0022,1,20.0000,60.0000", "4,b,U+0062,1,20.0000,80.0000",
                            "5,A10,U+000A,1,20.0000,100.0000"},
                           "\r\n"));
        const Run perFile =
            report({QStringLiteral("--format"), QStringLiteral("csv"), QStringLiteral("--per-file"),
                    QStringLiteral("--top"), QStringLiteral("1"), path});
        QCOMPARE(perFile.out.split('\n').value(1),
                 "\"" + path.toUtf8() + "\",1,a,U+0061,1,20.0000,20.0000\r");
    }

    void cumulativePercentAndCoverage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("by count")
            << QStringList{"--order", "count"}
            << lines({"rank\tcharacter\tcode_point\tcount\tpercent\tcumulative_percent",
                      "1\ta\tU+0061\t5\t50.0000\t50.0000", "2\tb\tU+0062\t3\t30.0000\t80.0000",
                      "3\tc\tU+0063\t1\t10.0000\t90.0000", "4\t中\tU+4E2D\t1\t10.0000\t100.0000"},
                     "\n");
        QTest::newRow("top and reverse")
            << QStringList{"--order", "reverse", "--top", "2"}
            << lines({"rank\tcharacter\tcode_point\tcount\tpercent\tcumulative_percent",
                      "1\tc\tU+0063\t1\t10.0000\t10.0000", "2\t中\tU+4E2D\t1\t10.0000\t20.0000"},
                     "\n");
        QTest::newRow("coverage") << QStringList{"--coverage", "50,80,80.001,90.5,100"}
                                  << lines({"share\tcharacters", "50\t1", "80\t2", "80.001\t3",
                                            "90.5\t4", "100\t4"},
                                           "\n");
        QTest::newRow("coverage in the report")
            << QStringList{"--coverage", "90", "--format", "report"}
            << lines({"字符总数:10", "覆盖 90% 的文本需要 3 个字符"}, "\r\n");
        QTest::newRow("thirds") << QStringList{"--top", "0", "--format", "json"}
                                << QByteArray("{\"units\":\"code-point\",\"files\":[],\n\"total\":{"
                                              "\"characters\":10,\"distinct\":4,\"rows\":[]}}\n");
    }

    void cumulativePercentAndCoverage() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, expected);
        const Run r = report(args + QStringList{"--encoding", "utf-8"},
                             QStringLiteral("ab aab\r\nac中ab").toUtf8());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, expected);
    }

    // Partial tallies of any split, merged in any order, give the direct run's
    // bytes; tallies made with other options are refused.
    void partialsMergeToTheDirectRun() {
        QTemporaryDir dir;
        const QStringList texts = {"甲乙丙\r\nAbc", "乙丙丁 dd", "abc,ABC\r\n戊", "😀丙甲"};
        QStringList files;
        for (int i = 0; i < texts.size(); ++i) {
            files << dir.filePath(QStringLiteral("t%1.txt").arg(i));
            writeBytes(files.last(), i % 2 ? text_codec::encode(texts[i], text_codec::Encoding::Gbk)
                                           : texts[i].toUtf8());
        }
        const QStringList options = {"--ignore-case", "--ignore", "c", "--units", "code-unit"};
        const Run direct = report(options + QStringList{"--format", "json", dir.path()});
        QCOMPARE(direct.status, 0);
        QStringList partials;
        for (const QStringList& part :
             {QStringList{files[2]}, QStringList{files[0], files[3]}, QStringList{files[1]}}) {
            const Run r = report(options + QStringList{"--format", "partial"} + part);
            QCOMPARE(r.status, 0);
            partials << dir.filePath(QStringLiteral("p%1.partial").arg(partials.size()));
            writeBytes(partials.last(), r.out);
        }
        for (const QStringList& order :
             {partials, QStringList{partials[2], partials[0], partials[1]},
              QStringList{partials[1], partials[2], partials[0]}}) {
            const Run merged = report(options + QStringList{"--format", "json", "--merge"} + order);
            QCOMPARE(merged.status, 0);
            QCOMPARE(merged.out, direct.out);
        }
        const Run other = report({"--ignore-case", "--merge", partials[0]});
        QCOMPARE(other.status, 2);
        QVERIFY(other.out.isEmpty());
        QVERIFY(other.err.contains("units=code-unit"));
        writeBytes(partials[1], "quillet-partial\t1\nchar\tzz\n");
        QCOMPARE(report(options + QStringList{"--merge", partials[0], partials[1]}).status, 2);
    }

    // A damaged partial is refused (exit status 2, the file named), never
    // merged into a wrong total.
    void damagedPartialsAreRefused_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::newRow("cut short") << QByteArray("end\n") << QByteArray();
        QTest::newRow("a character twice")
            << QByteArray("char\t62\t1") << QByteArray("char\t61\t1");
        QTest::newRow("out of order") << QByteArray("char\t61\t1\t0\t0\nchar\t62\t1\t0\t1")
                                      << QByteArray("char\t62\t1\t0\t1\nchar\t61\t1\t0\t0");
        QTest::newRow("no count") << QByteArray("char\t62\t1") << QByteArray("char\t62\t0");
        QTest::newRow("overflow") << QByteArray("char\t62\t1")
                                  << QByteArray("char\t62\t18446744073709551615");
        QTest::newRow("overflow in the sum")
            << QByteArray("char\t62\t1") << QByteArray("char\t62\t18446744073709551613");
        QTest::newRow("encoding") << QByteArray("\t2\t-\t") << QByteArray("\t99\t-\t");
    }

    void damagedPartialsAreRefused() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        const Run made = report({"--format", "partial", "--encoding", "utf-8"}, "ab");
        QCOMPARE(made.status, 0);
        QVERIFY(made.out.contains(from));
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.partial"));
        const QString bad = dir.filePath(QStringLiteral("bad.partial"));
        writeBytes(good, made.out);
        writeBytes(bad, QByteArray(made.out).replace(from, to));
        const Run r =
            report({"--merge", "--encoding", "utf-8", "--format", "json", good, bad, good});
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains(bad.toUtf8() + ": "));
    }

    void unreadableFileAmongReadableOnes() {
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("a.txt")), "ab");
        writeBytes(dir.filePath(QStringLiteral("b.txt")), "b");
        const QString missing = dir.filePath(QStringLiteral("gone.txt"));
        const Run r = report({"--format", "tsv", "--order", "count", dir.path(), missing});
        QCOMPARE(r.status, 1);
        QVERIFY(
            r.err.contains(missing.toUtf8() + ": 没有那个文件或目录 / No such file or directory"));
        QCOMPARE(r.out.split('\n').value(1), "1\tb\tU+0062\t2\t66.6667\t66.6667");
        const Run counted = report({"--count", "b", dir.path(), missing});
        QCOMPARE(counted.status, 1);
        QVERIFY(counted.out.endsWith("\t2\n"));
    }

    // A GBK file name given on the command line or in a list of files is
    // opened by its bytes and shown decoded.
    void gbkNamesAreOpenedAndShown() {
        QTemporaryDir dir;
        const QByteArray name = "\xD6\xD0.txt"; // 中.txt
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "ab", 2), ssize_t(2));
        ::close(fd);
        writeBytes(dir.filePath(QStringLiteral("list")), path + "\n");
        QProcess p;
        p.setWorkingDirectory(dir.path());
        // Through a shell: QProcess would pass the name as UTF-8.
        p.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("exec \"$0\" --per-file --top 1 \"$(printf '\\326\\320.txt')\""),
                 QStringLiteral(QUILLET_REPORT_EXE)});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.readAllStandardError(), QByteArray());
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput().split('\n').value(1),
                 "中.txt\t1\ta\tU+0061\t1\t50.0000\t50.0000");
        const Run listed = report({QStringLiteral("--files-from"), dir.filePath("list"),
                                   QStringLiteral("--format"), QStringLiteral("csv")});
        QCOMPARE(listed.status, 0);
        QVERIFY(listed.out.contains("1,a,U+0061,1,50.0000,50.0000"));
    }

    // --null ends names with NUL in --list and --files-from, so that a name
    // with a line break goes from one run to another.
    void namesWithLineBreaksByNull() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("two\nlines.txt"));
        writeBytes(name, "ab");
        const Run listed = report({QStringLiteral("--list"), QStringLiteral("--null"), dir.path()});
        QCOMPARE(listed.status, 0);
        QCOMPARE(listed.out, name.toUtf8() + '\0');
        writeBytes(dir.filePath(QStringLiteral("list")), listed.out);
        const Run counted = report({QStringLiteral("--null"), QStringLiteral("--files-from"),
                                    dir.filePath(QStringLiteral("list"))});
        QCOMPARE(counted.err, QByteArray());
        QCOMPARE(counted.status, 0);
        QCOMPARE(counted.out.count('\n'), 3);
    }

    // Under ulimit -v, threads that cannot be started or find no memory leave
    // their files to the others: the whole count, not an abort.
    void manyThreadsInLittleMemory() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer reserves more address space than the limit leaves");
#endif
        QTemporaryDir dir;
        for (int i = 0; i < 300; ++i)
            writeBytes(dir.filePath(QStringLiteral("f%1.txt").arg(i)), "中文ab");
        QProcess p;
        p.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("ulimit -v 400000 && exec \"$0\" --jobs 256 --top 1 \"$1\""),
                 QStringLiteral(QUILLET_REPORT_EXE), dir.path()});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.readAllStandardError(), QByteArray());
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput().split('\n').value(1),
                 "1\t中\tU+4E2D\t300\t25.0000\t25.0000");
    }

    void badOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown") << QStringList{"--bogus"};
        QTest::newRow("units") << QStringList{"--units", "bytes"};
        QTest::newRow("format") << QStringList{"--format", "xml"};
        QTest::newRow("order") << QStringList{"--order", "up"};
        QTest::newRow("top") << QStringList{"--top", "-1"};
        QTest::newRow("coverage 0") << QStringList{"--coverage", "0"};
        QTest::newRow("coverage 101") << QStringList{"--coverage", "50,101"};
        QTest::newRow("empty substring") << QStringList{"--count", ""};
        QTest::newRow("merge nothing") << QStringList{"--merge"};
        QTest::newRow("jobs") << QStringList{"--jobs", "0"};
        QTest::newRow("encoding") << QStringList{"--encoding", "latin1"};
        QTest::newRow("partial cut") << QStringList{"--format", "partial", "--top", "3"};
        QTest::newRow("missing value") << QStringList{"--separator"};
        QTest::newRow("pattern") << QStringList{"--include", "[", "."};
    }

    void badOptions() {
        QFETCH(QStringList, args);
        const Run r = report(args, "abc");
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("Usage: quillet-report"));
        // The reason in Chinese, with the English beside.
        static const QRegularExpression bilingual(
            QStringLiteral("^quillet-report: .*\\p{Han}.* / [A-Z]"),
            QRegularExpression::CaseInsensitiveOption);
        const QString first = QString::fromUtf8(r.err.split('\n').value(0));
        QVERIFY2(bilingual.match(first).hasMatch(), qPrintable(first));
    }

    void helpAndVersion() {
        const Run help = report({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("忽略大小写 / ignore case"));
        QCOMPARE(report({"--version"}).out, "quillet-report " QUILLET_VERSION "\n");
    }
};

QTEST_MAIN(TstReportCli)
#include "tst_report_cli.moc"
