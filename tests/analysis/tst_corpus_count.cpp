// The corpus engine against the window's own functions: any cut of a file
// into chunks, any number of threads, and unreadable files among readable ones.
#include "analysis/corpus_count.h"
#include "analysis/frequency_report.h"
#include "cli/table_writers.h"
#include "file_fixtures.h"
#include "host/encoding_detection.h"
#include "host/file_name.h"
#include "host/text_codec.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using corpus_count::Options;
using text_codec::Encoding;

namespace {

// What the window's count command writes for the file's text.
QString windowReport(const QByteArray& bytes, Encoding e, const preparation::Options& p,
                     frequency::Order order) {
    QByteArrayView body(bytes);
    const QByteArray mark = text_codec::byteOrderMark(e);
    if (!mark.isEmpty() && bytes.startsWith(mark))
        body = body.sliced(mark.size());
    const QString text = text_codec::decodeAs(body, e).text;
    return frequency::report(preparation::prepare(text, p), order);
}

QString engineReport(const corpus_count::Result& r, frequency::Order order) {
    const report_cli::Table t =
        report_cli::makeTable(r.items, report_cli::Units::CodeUnit, order, std::nullopt);
    std::vector<frequency::Row> rows;
    for (const auto& row : t.rows)
        rows.push_back({row.character, row.count});
    return frequency::reportText(rows, t.total);
}

char_tally::Items sorted(char_tally::Items items) {
    char_tally::sortByCharacter(items);
    return items;
}

bool same(const char_tally::Items& a, const char_tally::Items& b) {
    const auto x = sorted(a), y = sorted(b);
    if (x.size() != y.size())
        return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i].character != y[i].character || x[i].count != y[i].count ||
            x[i].first != y[i].first)
            return false;
    return true;
}

preparation::Options prep(bool lower, bool crlf, bool spaces, const QString& separator,
                          const QString& list) {
    preparation::Options p;
    p.lowerCase = lower;
    p.removeLineBreaks = crlf;
    p.removeSpaces = spaces;
    p.separator = separator;
    p.removeListed = !list.isEmpty();
    p.ignoreList = list;
    return p;
}

const QString kMixed = QStringLiteral("Ab\r\nb 中文,\r\n😀x\r\rzA, b\n中文中文 \r\n𠀀AB");

} // namespace

class TstCorpusCount : public QObject {
    Q_OBJECT

  private slots:
    void everyChunkSplitCountsAsOnePiece_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<preparation::Options>("options");
        QTest::addColumn<int>("order");

        const QByteArray utf8 = kMixed.toUtf8() + "\xE4\xBD"
                                                  "a\xF0\x9F\x98"
                                                  "\r\n";
        const QByteArray gb = text_codec::encode(kMixed + QStringLiteral("€"), Encoding::Gb18030) +
                              "\x81"
                              "a\x81\x30\x81"
                              "b";
        const QByteArray utf16 = text_codec::encode(kMixed, Encoding::Utf16Le) + "\x00\xD8"
                                                                                 "a";
        const struct {
            const char* name;
            preparation::Options options;
        } sets[] = {
            {"window start", prep(false, true, true, {}, {})},
            {"keep all", prep(false, false, false, {}, {})},
            {"case and single entries", prep(true, true, false, {}, QStringLiteral("a 中  😀"))},
            {"separator CR", prep(false, true, true, QStringLiteral("\r"), {})},
            {"long separator", prep(false, false, true, QStringLiteral(", "), {})},
            {"long entries",
             prep(true, true, true, QStringLiteral(","), QStringLiteral("中文 b\r x ab 文中"))},
        };
        for (const auto& set : sets) {
            QTest::addRow("utf-8, %s", set.name) << utf8 << int(Encoding::Utf8) << set.options
                                                 << int(frequency::Order::FirstAppearance);
            QTest::addRow("gb18030, %s", set.name) << gb << int(Encoding::Gb18030) << set.options
                                                   << int(frequency::Order::ByCountDescending);
            QTest::addRow("utf-16, %s", set.name) << utf16 << int(Encoding::Utf16Le) << set.options
                                                  << int(frequency::Order::ByCountAscending);
        }
    }

    void everyChunkSplitCountsAsOnePiece() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(preparation::Options, options);
        QFETCH(int, order);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        writeBytes(path, bytes);
        const QString expected =
            windowReport(bytes, Encoding(encoding), options, frequency::Order(order));
        Options o;
        o.preparation = options;
        o.encoding = Encoding(encoding);
        o.threads = 1;
        corpus_count::Result whole;
        for (std::size_t chunk = std::size_t(bytes.size()) + 1; chunk >= 1; --chunk) {
            o.chunkBytes = o.detectBytes = chunk;
            const corpus_count::Result r = corpus_count::count({path}, o);
            QCOMPARE(engineReport(r, frequency::Order(order)), expected);
            if (chunk == std::size_t(bytes.size()) + 1)
                whole = r;
            else if (!same(r.items, whole.items))
                QFAIL(
                    qPrintable(QStringLiteral("first appearances differ at chunk %1").arg(chunk)));
        }
    }

    void substringCountIgnoresChunks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addRow("overlaps") << QStringLiteral("aaaaa") << QStringLiteral("aa");
        QTest::addRow("border") << QStringLiteral("abababcababc中") << QStringLiteral("ababc");
        QTest::addRow("crlf") << QStringLiteral("x\r\n\r\ny\r\n") << QStringLiteral("\r\n");
        QTest::addRow("pair") << QStringLiteral("😀😀a😀") << QStringLiteral("😀");
    }

    void substringCountIgnoresChunks() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        const QByteArray bytes = text.toUtf8();
        writeBytes(path, bytes);
        Options o;
        o.substring = pattern;
        o.encoding = Encoding::Utf8;
        for (std::size_t chunk = 1; chunk <= std::size_t(bytes.size()); ++chunk) {
            o.chunkBytes = o.detectBytes = chunk;
            QCOMPARE(corpus_count::count({path}, o).occurrences,
                     std::uint64_t(preparation::countOccurrences(text, pattern)));
        }
    }

    // Files of all kinds, a large one split into pieces: one thread or several,
    // the same counts and first appearances, in total and per file.
    void threadsDoNotChangeTheResult_data() {
        QTest::addColumn<preparation::Options>("options");
        QTest::addRow("fast") << prep(true, true, true, {}, QStringLiteral("x"));
        QTest::addRow("piece by piece") << prep(false, true, false, QStringLiteral("中文"), {});
    }

    void threadsDoNotChangeTheResult() {
        QFETCH(preparation::Options, options);
        QTemporaryDir dir;
        QStringList files;
        QString big;
        for (int i = 0; i < 300; ++i)
            big += kMixed.left(i % kMixed.size()) + QStringLiteral("第%1行\r\n").arg(i);
        writeBytes(dir.filePath(QStringLiteral("big.txt")), big.toUtf8());
        writeBytes(dir.filePath(QStringLiteral("gb.txt")), text_codec::encode(big, Encoding::Gbk));
        for (int i = 0; i < 12; ++i)
            writeBytes(dir.filePath(QStringLiteral("f%1.txt").arg(i)), kMixed.mid(i).toUtf8());
        files = corpus_count::collectFiles({dir.path()}, {QStringLiteral("*.txt")});
        QCOMPARE(files.size(), 14);
        Options o;
        o.preparation = options;
        o.perFile = true;
        o.threads = 1;
        const corpus_count::Result one = corpus_count::count(files, o);
        o.threads = 3;
        o.pieceBytes = 200; // the two large files in many pieces
        o.chunkBytes = 64;
        const corpus_count::Result several = corpus_count::count(files, o);
        QVERIFY(same(one.items, several.items));
        for (std::size_t f = 0; f < one.files.size(); ++f) {
            QVERIFY(same(one.files[f].items, several.files[f].items));
            QCOMPARE(one.files[f].bytes, several.files[f].bytes);
        }
        QCOMPARE(one.files[0].encoding, Encoding::Utf8);
        QCOMPARE(one.files[13].encoding, Encoding::Gb18030); // it holds four-byte codes
    }

    // The decision comes from the start; a later stray byte is counted as
    // U+FFFD and reported, not read in another encoding.
    void laterInvalidBytesAreReported() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("late.txt"));
        const QByteArray head = QStringLiteral("中文的文本。\n").repeated(400).toUtf8();
        writeBytes(path, head + "\xB0\xA1\n");
        Options o;
        o.detectBytes = 4096;
        o.chunkBytes = 4096;
        const corpus_count::Result r = corpus_count::count({path}, o);
        QCOMPARE(r.files[0].encoding, Encoding::Utf8);
        QCOMPARE(r.files[0].invalid, std::uint64_t(2));
        QCOMPARE(r.files[0].bytes, std::uint64_t(head.size() + 3));
    }

    // Whole small files are counted as UTF-8 while the evidence is collected;
    // the decision must stay the window's.
    void decisionIsTheWindows_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QString chinese = QStringLiteral("中文的文本,一二三四五六七八九十。");
        QTest::newRow("utf-8") << chinese.toUtf8();
        QTest::newRow("few sequences") << QStringLiteral("abc中文def").toUtf8();
        QTest::newRow("fifteen sequences") << chinese.left(15).toUtf8();
        QTest::newRow("sixteen sequences") << chinese.left(16).toUtf8();
        // Valid UTF-8 (U+0121) that reads better as GBK hanzi: the window's
        // comparison decides below sixteen sequences, the first rule from there.
        QTest::newRow("15 x C4 A1") << QByteArray("\xC4\xA1").repeated(15);
        QTest::newRow("16 x C4 A1") << QByteArray("\xC4\xA1").repeated(16);
        QTest::newRow("one stray byte") << chinese.toUtf8() + "\xFF";
        QTest::newRow("cut at the end") << chinese.toUtf8().chopped(1);
        QTest::newRow("gbk") << text_codec::encode(chinese.repeated(3), Encoding::Gbk);
        QTest::newRow("ascii") << QByteArray("plain text\r\n");
        QTest::newRow("utf-8 mark") << "\xEF\xBB\xBF" + chinese.toUtf8();
        QTest::newRow("utf-16") << text_codec::encode(chinese, Encoding::Utf16Be);
        // UTF-16 whose bytes are also well-formed UTF-8 (这 is D9 8F), with NUL bytes.
        QTest::newRow("utf-16le that reads as utf-8")
            << text_codec::encode(QStringLiteral("这").repeated(20) + QStringLiteral("ab\r\ncd"),
                                  Encoding::Utf16LeNoMark);
        QTest::newRow("utf-16be that reads as utf-8") << text_codec::encode(
            QStringLiteral("\u00D9").repeated(20) + QStringLiteral("\u8F00ab\r\ncd"),
            Encoding::Utf16BeNoMark);
        QTest::newRow("utf-16le without a mark")
            << text_codec::encode(chinese + QStringLiteral("\r\nab"), Encoding::Utf16LeNoMark);
        QTest::newRow("utf-16be without a mark")
            << text_codec::encode(chinese + QStringLiteral("\r\nab"), Encoding::Utf16BeNoMark);
        QTest::newRow("empty") << QByteArray();
    }

    void decisionIsTheWindows() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        writeBytes(path, bytes);
        const text_codec::Decoded window = encoding_detection::decode(bytes);
        const corpus_count::Result r = corpus_count::count({path}, Options());
        QCOMPARE(r.files[0].encoding, window.encoding);
        QCOMPARE(r.files[0].invalid > 0, window.invalidBytes);
        preparation::Options p;
        QCOMPARE(engineReport(r, frequency::Order::FirstAppearance),
                 frequency::report(preparation::prepare(window.text, p),
                                   frequency::Order::FirstAppearance));
    }

    // Random files of pieces of every encoding, stray bytes and NULs, cut in
    // random chunks: the window's decision and report.
    void randomFilesAreReadAsTheWindowReadsThem() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        QRandomGenerator rng(7);
        const QList<QByteArray> atoms = {"a",
                                         "\r",
                                         "\n",
                                         "\r\n",
                                         " ",
                                         QByteArray(1, '\0'),
                                         "\xE4\xB8\xAD",
                                         "\xD6\xD0",
                                         "\xFF",
                                         "\x80",
                                         "\xC4\xA1",
                                         "\x81\x30\x81\x30",
                                         "\xF0\x9F\x98\x80",
                                         "\xEF\xBB\xBF",
                                         "\xFF\xFE",
                                         "\xE3\x80\x80",
                                         "\t",
                                         "\xD9\x8F",
                                         "\x2D\x4E",
                                         QByteArray("\xD9\x8F").repeated(8),
                                         QByteArray("a\0", 2)};
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes;
            const int n = int(rng.bounded(40));
            for (int i = 0; i < n; ++i)
                bytes += atoms[int(rng.bounded(int(atoms.size())))];
            writeBytes(path, bytes);
            const text_codec::Decoded window = encoding_detection::decode(bytes);
            Options o;
            o.preparation = prep(rng.bounded(2), rng.bounded(2), rng.bounded(2), {}, {});
            o.chunkBytes = 1 + rng.bounded(50);
            o.detectBytes = 4 << 20; // the whole file, as the window reads it
            const corpus_count::Result r = corpus_count::count({path}, o);
            const QString w = frequency::report(preparation::prepare(window.text, o.preparation),
                                                frequency::Order::FirstAppearance);
            const QString e = engineReport(r, frequency::Order::FirstAppearance);
            if (w != e || r.files[0].encoding != window.encoding)
                QFAIL(qPrintable(QString::fromLatin1(bytes.toHex(' ')) +
                                 QStringLiteral(" chunk %1 encoding %2, window %3\n")
                                     .arg(o.chunkBytes)
                                     .arg(int(r.files[0].encoding))
                                     .arg(int(window.encoding)) +
                                 w + QStringLiteral("\n----\n") + e));
        }
    }

    void unreadableFilesAmongReadableOnes() {
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("a.txt")), "ab");
        writeBytes(dir.filePath(QStringLiteral("c.txt")), "cd");
        const QString fifo = dir.filePath(QStringLiteral("b.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QStringList files = corpus_count::collectFiles(
            {dir.path(), dir.filePath(QStringLiteral("missing.txt")), QStringLiteral("/dev/null")},
            {QStringLiteral("*.txt")});
        QCOMPARE(files.size(), 5);
        Options o;
        o.perFile = true;
        const corpus_count::Result r = corpus_count::count(files, o);
        QStringList errors;
        for (const auto& f : r.files)
            errors << (f.error.isEmpty() ? QStringLiteral("ok") : QStringLiteral("error"));
        QCOMPARE(errors.join(u' '), QStringLiteral("error ok error ok error"));
        QCOMPARE(char_tally::total(r.items), std::uint64_t(4));
    }

    // Names that are not UTF-8 (GBK names unpacked from Windows archives) are
    // listed in folders and read like the others; links to folders are not
    // followed, so a loop ends; standard input named twice is read once.
    void everyNameIsListedAndRead() {
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path());
        auto create = [&](const QByteArray& name, const QByteArray& bytes) {
            const int fd = ::open((root + '/' + name).constData(), O_WRONLY | O_CREAT, 0600);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, bytes.constData(), std::size_t(bytes.size())),
                     ssize_t(bytes.size()));
            ::close(fd);
        };
        QCOMPARE(::mkdir((root + "/\xD7\xD3").constData(), 0700), 0); // 子 in GBK
        create("\xD6\xD0.TXT", "ab");                                 // 中.TXT
        create("\xD7\xD3/\xCE\xC4.txt", "cd");                        // 子/文.txt
        create("plain.txt", "e");
        create("other.md", "f");
        QCOMPARE(::symlink("..", (root + "/\xD7\xD3/up").constData()), 0);
        QStringList files = corpus_count::collectFiles({dir.path(), QStringLiteral("-")},
                                                       {QStringLiteral("*.txt")});
        for (QString& f : files)
            if (f != QLatin1String("-"))
                f = file_name::display(f).mid(dir.path().size());
        QCOMPARE(files, (QStringList{QStringLiteral("-"), QStringLiteral("/plain.txt"),
                                     QStringLiteral("/中.TXT"), QStringLiteral("/子/文.txt")}));
        files = corpus_count::collectFiles({dir.path()}, {QStringLiteral("*.txt")});
        const corpus_count::Result r = corpus_count::count(files, Options());
        for (const auto& f : r.files)
            QVERIFY2(f.error.isEmpty(), qPrintable(f.error));
        QCOMPARE(char_tally::total(r.items), std::uint64_t(5));
        QCOMPARE(corpus_count::collectFiles({QStringLiteral("-"), QStringLiteral("-")}, {}),
                 QStringList{QStringLiteral("-")});
    }
};

QTEST_GUILESS_MAIN(TstCorpusCount)
#include "tst_corpus_count.moc"
