#include "analysis/substring_search.h"
#include "dialogs/search_state.h"

#include <QRandomGenerator>
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

QString randomText(QRandomGenerator& rng, int maxLength, const QString& alphabet) {
    QString s;
    const int n = rng.bounded(maxLength + 1);
    for (int i = 0; i < n; ++i)
        s += alphabet[rng.bounded(int(alphabet.size()))];
    return s;
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
            const QString text = randomText(rng, 40, alphabet);
            QString pattern = randomText(rng, 6, alphabet);
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

    void countsWithoutOverlap_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<qsizetype>("count");
        QTest::newRow("aa in aaaaa")
            << QStringLiteral("aaaaa") << QStringLiteral("aa") << qsizetype(2);
        QTest::newRow("aba in ababa")
            << QStringLiteral("ababa") << QStringLiteral("aba") << qsizetype(1);
        QTest::newRow("empty pattern") << QStringLiteral("abc") << QString() << qsizetype(0);
        QTest::newRow("longer than text")
            << QStringLiteral("ab") << QStringLiteral("abc") << qsizetype(0);
    }
    void countsWithoutOverlap() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(qsizetype, count);
        QCOMPARE(search::Matcher(pattern).countIn(text), count);
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

    void adversarialPatternIsFound() {
        // Quadratic matchers take minutes here; this one a few milliseconds.
        const QString text = QString(2'000'000, u'a') + u'b' + QString(40'000, u'a');
        const QString pattern = u'b' + QString(32'767, u'a');
        const search::Matcher matcher(pattern);
        QCOMPARE(matcher.indexIn(text), qsizetype(2'000'000));
        QCOMPARE(matcher.countIn(QString(2'000'000, u'a')), qsizetype(0));
        QCOMPARE(matcher.lastIndexIn(text, text.size()), qsizetype(2'000'000));
    }

    void anchoringTakesTheSelectionStart() {
        SearchState state;
        const QString text = QStringLiteral("hello");
        AnchorSearch(state, text, 0);
        QCOMPARE(state.TextBeforeCaret(), QStringView());
        QCOMPARE(state.BackwardStart, 0);
        QCOMPARE(state.ForwardStart, 1);
        AnchorSearch(state, text, 5);
        QCOMPARE(state.TextBeforeCaret(), QStringView(text));
        QCOMPARE(state.ForwardStart, 6);
        AnchorSearch(state, QString(40'000, u'x'), 40'000);
        QCOMPARE(state.ForwardStart, 40'001); // beyond 16 bits
        QCOMPARE(state.SearchText.size(), 40'000);
    }
};

QTEST_APPLESS_MAIN(TestSubstringSearch)
#include "tst_substring_search.moc"
