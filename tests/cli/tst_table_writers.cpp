// The writers of quillet-report: labels, rounding, escaping, per-file
// sections and the columns that other modules add.
#include "cli/table_writers.h"

#include <QTest>
#include <cstdio>
#include <cstdlib>

using namespace report_cli;

namespace {

// What a writer writes for a file "a\t\"b\\" holding `text`, then the total.
QByteArray written(Format format, bool perFile, const ExtraColumns& extras,
                   const std::function<void(Writer&)>& write) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    {
        const auto writer = makeWriter(format, out, perFile, false, Units::CodePoint, extras);
        write(*writer);
        writer->finish();
    }
    std::fclose(out);
    const QByteArray bytes(buffer, qsizetype(size));
    std::free(buffer);
    return bytes;
}

Table tableOf(const QString& text) {
    char_tally::Items items;
    const QList<uint> ucs = text.toUcs4();
    for (qsizetype i = 0; i < ucs.size(); ++i)
        char_tally::mergeInto(items, {{char32_t(ucs[i]), 1, std::uint64_t(i)}});
    return makeTable(items, Units::CodePoint, frequency::Order::FirstAppearance, std::nullopt);
}

const QString kFile = QStringLiteral("a\t\"b\\");

} // namespace

class TstTableWriters : public QObject {
    Q_OBJECT

  private slots:
    void labelsAndFigures() {
        QCOMPARE(characterText(U'中'), QStringLiteral("中"));
        QCOMPARE(characterText(U'\t'), QStringLiteral("A09"));
        QCOMPARE(characterText(0x3000), QStringLiteral("A12288")); // full-width space
        QCOMPARE(characterText(0x85), QStringLiteral("A133"));     // a C1 control
        QCOMPARE(characterText(0x2028), QStringLiteral("A8232"));  // line separator
        QCOMPARE(characterText(0xD800), QStringLiteral("A55296")); // lone surrogate
        QCOMPARE(characterText(0x20000), QStringLiteral("𠀀"));
        QCOMPARE(codePointText(0x20000), QStringLiteral("U+20000"));
        QCOMPARE(codePointText(U'\n'), QStringLiteral("U+000A"));
        QCOMPARE(percentText(1, 3), QStringLiteral("33.3333"));
        QCOMPARE(percentText(2, 3), QStringLiteral("66.6667"));
        QCOMPARE(percentText(1, 200000), QStringLiteral("0.0005")); // half up
        QCOMPARE(percentText(1, 200001), QStringLiteral("0.0005"));
        QCOMPARE(percentText(1, 2000001), QStringLiteral("0.0000"));
        QCOMPARE(percentText(7, 7), QStringLiteral("100.0000"));
        QCOMPARE(percentText(0, 0), QStringLiteral("0.0000"));
        QCOMPARE(shareText(99'500'000), QStringLiteral("99.5"));
        QCOMPARE(shareText(100'000'000), QStringLiteral("100"));
        QCOMPARE(shareText(1), QStringLiteral("0.000001"));
    }

    // A module's columns follow the standard ones in every table format.
    void extraColumns_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("tsv") << int(Format::Tsv)
                             << QByteArray("file\trank\tcharacter\tcode_point\tcount\tpercent\t"
                                           "cumulative_percent\tcode\n"
                                           "a \"b\\\t1\t\"\tU+0022\t1\t50.0000\t50.0000\t34\n"
                                           "a \"b\\\t2\tA10\tU+000A\t1\t50.0000\t100.0000\t10\n"
                                           "\t1\t\"\tU+0022\t1\t50.0000\t50.0000\t34\n");
        QTest::newRow("csv") << int(Format::Csv)
                             << QByteArray(
                                    "file,rank,character,code_point,count,percent,"
                                    "cumulative_percent,code\r\n"
                                    "\"a\t\"\"b\\\",1,\"\"\"\",U+0022,1,50.0000,50.0000,34\r\n"
                                    "\"a\t\"\"b\\\",2,A10,U+000A,1,50.0000,100.0000,10\r\n"
                                    ",1,\"\"\"\",U+0022,1,50.0000,50.0000,34\r\n");
        QTest::newRow("json")
            << int(Format::Json)
            << QByteArray(
                   "{\"units\":\"code-point\",\"files\":[\n"
                   "{\"path\":\"a\\u0009\\\"b\\\\\",\"characters\":2,\"distinct\":2,\"rows\":[\n"
                   "{\"rank\":1,\"character\":\"\\\"\",\"code_point\":\"U+0022\",\"count\":1,"
                   "\"percent\":50.0000,\"cumulative_percent\":50.0000,\"code\":\"34\"},\n"
                   "{\"rank\":2,\"character\":\"A10\",\"code_point\":\"U+000A\",\"count\":1,"
                   "\"percent\":50.0000,\"cumulative_percent\":100.0000,\"code\":\"10\"}]}],\n"
                   "\"total\":{\"characters\":2,\"distinct\":2,\"rows\":[\n"
                   "{\"rank\":1,\"character\":\"\\\"\",\"code_point\":\"U+0022\",\"count\":1,"
                   "\"percent\":50.0000,\"cumulative_percent\":50.0000,\"code\":\"34\"}]}}\n");
    }

    void extraColumns() {
        QFETCH(int, format);
        QFETCH(QByteArray, expected);
        const ExtraColumns extras = {
            {QStringLiteral("code"), [](char32_t c) { return QString::number(uint(c)); }}};
        Table total = tableOf(QStringLiteral("\"\n"));
        total.rows.resize(1); // as --top 1 leaves it
        const QByteArray out = written(Format(format), true, extras, [&](Writer& w) {
            w.table(&kFile, tableOf(QStringLiteral("\"\n")));
            w.table(nullptr, total);
        });
        QCOMPARE(out, expected);
    }

    void sectionsOfTheReport() {
        const QByteArray out = written(Format::Report, true, {}, [&](Writer& w) {
            w.table(&kFile, tableOf(QStringLiteral("ab")));
            w.coverage(nullptr, {50'000'000}, {1}, 2);
        });
        QCOMPARE(QString::fromUtf8(out),
                 QStringLiteral("文件:a\t\"b\\\r\na 出现的次数为:1出现频率为:50.0\r\n"
                                "b 出现的次数为:1出现频率为:50.0\r\n\r\na  ") +
                     QString(50, u'*') + QStringLiteral("\r\nb  ") + QString(50, u'*') +
                     QStringLiteral("\r\n总计:\r\n字符总数:2\r\n覆盖 50% 的文本需要 1 个字符\r\n"));
    }

    void substringCounts_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("report")
            << int(Format::Report)
            << QStringLiteral("a\t\"b\\:3次\r\n子字符串在原字符串中出现了:3次\r\n").toUtf8();
        QTest::newRow("tsv") << int(Format::Tsv) << QByteArray("file\tcount\na \"b\\\t3\n\t3\n");
        QTest::newRow("json") << int(Format::Json)
                              << QByteArray("{\"units\":\"code-point\",\"files\":[\n"
                                            "{\"path\":\"a\\u0009\\\"b\\\\\",\"count\":3}],\n"
                                            "\"total\":{\"substring\":\"x\\\"\",\"count\":3}}\n");
    }

    void substringCounts() {
        QFETCH(int, format);
        QFETCH(QByteArray, expected);
        const QByteArray out = written(Format(format), false, {}, [&](Writer& w) {
            w.counts(QStringLiteral("x\""), {{kFile, 3}}, 3);
        });
        QCOMPARE(out, expected);
    }
};

QTEST_GUILESS_MAIN(TstTableWriters)
#include "tst_table_writers.moc"
