#include "host/substring_search.h"
#include "text_fixtures.h"

#include <QTest>

namespace {

// Plain definitions, quadratic, for small strings only.
QString folded(QString s, Qt::CaseSensitivity cs) {
    if (cs == Qt::CaseInsensitive)
        for (QChar& c : s)
            c = QChar(QChar::toCaseFolded(c.unicode()));
    return s;
}

qsizetype naiveIndex(const QString& text, const QString& pattern, qsizetype from) {
    for (qsizetype i = from; i + pattern.size() <= text.size(); ++i)
        if (QStringView(text).mid(i, pattern.size()) == pattern)
            return i;
    return -1;
}

qsizetype naiveLast(const QString& text, const QString& pattern, qsizetype end) {
    for (qsizetype i = std::min(end, text.size()) - pattern.size(); i >= 0; --i)
        if (QStringView(text).mid(i, pattern.size()) == pattern)
            return i;
    return -1;
}

} // namespace

class TestSubstringSearch : public QObject {
    Q_OBJECT
  private slots:
    void agreesWithNaiveSearch_data() {
        QTest::addColumn<QString>("alphabet");
        QTest::addColumn<int>("caseSensitivity");
        QTest::newRow("ab exact") << QStringLiteral("ab") << int(Qt::CaseSensitive);
        QTest::newRow("aA ignoring case") << QStringLiteral("aAb") << int(Qt::CaseInsensitive);
        QTest::newRow("CR LF and hanzi") << QStringLiteral("\r\n字") << int(Qt::CaseSensitive);
    }
    void agreesWithNaiveSearch() {
        QFETCH(QString, alphabet);
        QFETCH(int, caseSensitivity);
        const auto cs = Qt::CaseSensitivity(caseSensitivity);
        QRandomGenerator rng(7);
        for (int round = 0; round < 3000; ++round) {
            const QString text = fixtures::randomText(rng, rng.bounded(41), alphabet);
            QString pattern = fixtures::randomText(rng, rng.bounded(7), alphabet);
            if (pattern.isEmpty())
                pattern = alphabet.left(1);
            const search::Matcher matcher(pattern, cs);
            const QString t = folded(text, cs), p = folded(pattern, cs);
            const qsizetype from = rng.bounded(int(text.size()) + 1);
            QCOMPARE(matcher.indexIn(text, from), naiveIndex(t, p, from));
            QCOMPARE(matcher.lastIndexIn(text, from), naiveLast(t, p, from));
            qsizetype count = 0;
            for (qsizetype at = naiveIndex(t, p, 0); at >= 0; at = naiveIndex(t, p, at + p.size()))
                ++count;
            QCOMPARE(matcher.countIn(text), count);
        }
    }

    // The scan for a pattern's first unit looks at several units at a time:
    // every place in and after such a group, and both ends of the text.
    void firstUnitIsFoundEverywhere() {
        for (int n = 1; n <= 40; ++n) {
            for (int p = 0; p < n; ++p) {
                QString text(n, u'a');
                text[p] = u'b';
                for (int from = 0; from <= n; ++from) {
                    const qsizetype expected = from <= p ? p : -1;
                    QCOMPARE(search::Matcher(QStringLiteral("b")).indexIn(text, from), expected);
                    QCOMPARE(search::Matcher(QStringLiteral("B"), Qt::CaseInsensitive)
                                 .indexIn(text, from),
                             expected);
                }
            }
        }
    }

    void emptyPatternFindsNothing() {
        const search::Matcher matcher{QString()};
        QCOMPARE(matcher.indexIn(QStringLiteral("abc")), qsizetype(-1));
        QCOMPARE(matcher.countIn(QStringLiteral("abc")), qsizetype(0));
    }

    void adversarialPatternIsFound() {
        // Quadratic matchers take minutes here; this one a few milliseconds.
        const QString text = QString(2'000'000, u'a') + u'b' + QString(40'000, u'a');
        const QString pattern = u'b' + QString(32'767, u'a');
        const search::Matcher matcher(pattern);
        QCOMPARE(matcher.indexIn(text), qsizetype(2'000'000));
        QCOMPARE(matcher.countIn(QString(2'000'000, u'a')), qsizetype(0));
        QCOMPARE(matcher.lastIndexIn(text, text.size()), qsizetype(2'000'000));
    }
};

QTEST_APPLESS_MAIN(TestSubstringSearch)
#include "tst_substring_search.moc"
