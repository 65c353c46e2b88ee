#include "analysis/frequency_report.h"
#include "text_fixtures.h"

#include <QStringList>
#include <QTest>

using fixtures::figures;
using fixtures::kCrLf;
using frequency::Order;
using namespace Qt::StringLiterals;

namespace {

QString bar(const QString& widened, int stars) {
    return widened + QString(stars, u'*') + kCrLf;
}

// The tally as first written down: arrays indexed from 1, a linear lookup of
// first occurrences, one count per distinct character, an exchange sort.
QString oracleReport(const QString& inpStr, Order order) {
    const qsizetype n = inpStr.size();
    QStringList chars(n + 1), first(n + 1);
    for (qsizetype p = 1; p <= n; ++p)
        chars[p] = inpStr.mid(p - 1, 1);
    auto findA = [](const QString& s, const QStringList& a) {
        for (qsizetype i = 1; i < a.size(); ++i)
            if (a[i] == s)
                return true;
        return false;
    };
    for (qsizetype p = 1; p <= n; ++p)
        if (!findA(chars[p], first))
            first[p] = chars[p];
    struct Row {
        QString label, count, freq;
        QChar unit;
    };
    std::vector<Row> rows(n + 1);
    for (qsizetype p = 1; p <= n; ++p) {
        const QString& c = first[p];
        if (c.isEmpty())
            continue;
        int count = 0;
        for (qsizetype q = 1; q <= n; ++q)
            count += chars[q] == c;
        rows[p] = {frequency::label(c[0].unicode()), QString::number(count),
                   frequency::frequencyText(count, n), c[0]};
    }
    if (order != Order::FirstAppearance) {
        for (qsizetype j = 1; j <= n - 1; ++j)
            for (qsizetype k = n; k >= j + 1; --k) {
                const int a = rows[k].count.toInt(), b = rows[k - 1].count.toInt();
                if (order == Order::ByCountDescending ? a > b : a < b)
                    std::swap(rows[k], rows[k - 1]);
            }
    }
    QString out;
    for (qsizetype p = 1; p <= n; ++p)
        if (!rows[p].label.isEmpty())
            out += rows[p].label + QStringLiteral(" 出现的次数为:") + rows[p].count +
                   QStringLiteral("出现频率为:") + rows[p].freq + kCrLf;
    out += kCrLf;
    for (qsizetype p = 1; p <= n; ++p)
        if (!rows[p].label.isEmpty())
            out += frequency::widenedLabel(rows[p].unit.unicode()) +
                   QString(rows[p].freq.left(rows[p].freq.indexOf(u'.')).toInt(), u'*') + kCrLf;
    return out;
}

} // namespace

class TstFrequencyReport : public QObject {
    Q_OBJECT

  private slots:
    void frequencyText_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stars");
        auto row = [](int n, int total, const char* text, int stars) {
            QTest::addRow("%d of %d", n, total) << n << total << QString::fromLatin1(text) << stars;
        };
        // Every n of N up to 800 is checked against decimal rounding below.
        row(1, 30000, "00.0", 0);
        row(1, 1000000, "00.0", 0);
        row(3396, 10000, "34.0", 34); // stars from the figure as shown
        row(999, 1000, "99.9", 99);
        row(9999, 10000, "100.0", 100);
    }

    void frequencyText() {
        QFETCH(int, n);
        QFETCH(int, total);
        QFETCH(QString, text);
        QFETCH(int, stars);
        QCOMPARE(frequency::frequencyText(n, total), text);
        QCOMPARE(frequency::starCount(text), stars);
    }

    // Every n of N up to 800, against the rule done on decimal text alone.
    void frequencyTextMatchesDecimalRounding() {
        auto reference = [](int n, int total) {
            const QString digits = QString::number(double(n) / double(total) * 100.0, 'g', 15);
            if (digits.contains(u'e'))
                return QStringLiteral("00.0"); // below 1e-4
            const qsizetype point = digits.indexOf(u'.');
            const QString whole = point < 0 ? digits : digits.left(point);
            const QString fraction =
                (point < 0 ? QString() : digits.mid(point + 1)) + QStringLiteral("00");
            qint64 tenths = whole.toLongLong() * 10 + fraction[0].digitValue();
            if (fraction[1].digitValue() >= 5)
                ++tenths;
            return QStringLiteral("%1.%2")
                .arg(tenths / 10, 2, 10, QLatin1Char('0'))
                .arg(tenths % 10);
        };
        for (int total = 1; total <= 800; ++total)
            for (int n = 1; n <= total; ++n) {
                const QString got = frequency::frequencyText(n, total);
                if (got != reference(n, total))
                    QFAIL(qPrintable(QStringLiteral("%1 of %2: %3").arg(n).arg(total).arg(got)));
            }
    }

    void reports_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("expected");
        QTest::newRow("aab first appearance")
            << QStringLiteral("aab") << int(Order::FirstAppearance)
            << figures("a", 2, "66.7") + figures("b", 1, "33.3") + kCrLf + bar("a  ", 66) +
                   bar("b  ", 33);
        QTest::newRow("crlf is two characters")
            << QStringLiteral("a\r\nb") << int(Order::FirstAppearance)
            << figures("a", 1, "25.0") + figures("A13", 1, "25.0") + figures("A10", 1, "25.0") +
                   figures("b", 1, "25.0") + kCrLf + bar("a  ", 25) + bar("A13", 25) +
                   bar("A10", 25) + bar("b  ", 25);
        QTest::newRow("empty") << QString() << int(Order::ByCountDescending) << kCrLf;
    }

    void reports() {
        QFETCH(QString, text);
        QFETCH(int, order);
        QFETCH(QString, expected);
        QCOMPARE(frequency::report(text, Order(order)), expected);
    }

    // Orders, ties, case and labels over random texts.
    void randomTextsMatchTheReferenceTally() {
        QRandomGenerator rng(20261206);
        const QString alphabet = QStringLiteral("aAbB \t\r\n中文\uFF01\u3000x");
        for (int round = 0; round < 400; ++round) {
            const QString text = fixtures::randomText(rng, rng.bounded(0, 40), alphabet);
            for (Order order :
                 {Order::ByCountDescending, Order::ByCountAscending, Order::FirstAppearance})
                QCOMPARE(frequency::report(text, order), oracleReport(text, order));
        }
    }

    void everyCodeUnitOnce() {
        QString text(65536, Qt::Uninitialized);
        for (int u = 0; u < 65536; ++u)
            text[u] = QChar(char16_t(u));
        const QString report = frequency::report(text, Order::ByCountDescending);
        const QStringList lines = report.split(kCrLf);
        QCOMPARE(lines.size(), 65536 * 2 + 2);
        QCOMPARE(lines[0], QString(QChar(0)) + QStringLiteral(" 出现的次数为:1出现频率为:00.0"));
        QCOMPARE(lines[65536], QString());
        // No stars: each bar line is the widened label alone. The euro is one GBK
        // byte; U+0E01 is not in GBK.
        QString bars;
        for (const char16_t u : {9, 32, 1, 0x4E2D, 0xFF01, 0x3000, 0x20AC, 0x0E01, 0xD800, 0xDC00})
            bars += lines[65537 + u] + u'|';
        QCOMPARE(bars, u"A09|A32|\u0001  |中 |\uFF01 |\u3000 |\u20AC  |\u0E01  |"_s +
                           QChar(0xD800) + u"  |"_s + QChar(0xDC00) + u"  |"_s);
        QCOMPARE(lines.last(), QString());
    }

    void tenMillionIdenticalCharacters() {
        const QString text(10'000'000, u'好');
        QCOMPARE(frequency::report(text, Order::ByCountAscending),
                 figures("好", 10'000'000, "100.0") + kCrLf + bar("好 ", 100));
    }
};

QTEST_MAIN(TstFrequencyReport)
#include "tst_frequency_report.moc"
