// The removal passes of the text preparation against their literal
// transcription: each entry removed from what the entries before it left, one
// left-to-right pass each, case ignored for the list.
#include "analysis/text_preparation.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTest>

namespace {

// Removal as first written down: walk the text, skip a match, keep anything else.
QString oracleRemove(const QString& s, const QString& pattern, Qt::CaseSensitivity cs) {
    if (pattern.isEmpty())
        return s;
    QString out;
    qsizetype i = 0;
    while (i < s.size()) {
        if (QStringView(s).mid(i, pattern.size()).compare(pattern, cs) == 0 &&
            i + pattern.size() <= s.size()) {
            i += pattern.size();
        } else {
            out += s[i];
            ++i;
        }
    }
    return out;
}

QString oracleRemoveListed(QString s, const QString& list) {
    if (!list.isEmpty())
        for (const QString& e : list.split(u' '))
            s = oracleRemove(s, e, Qt::CaseInsensitive);
    return s;
}

QString removeListed(const QString& text, const QString& list) {
    preparation::Options o;
    o.removeLineBreaks = false;
    o.removeSpaces = false;
    o.removeListed = true;
    o.ignoreList = list;
    return preparation::prepare(text, o);
}

QString randomText(QRandomGenerator& rng, qsizetype length, const QString& alphabet) {
    QString s;
    s.reserve(length);
    for (qsizetype i = 0; i < length; ++i)
        s += alphabet[int(rng.bounded(int(alphabet.size())))];
    return s;
}

} // namespace

class TstTextPreparation : public QObject {
    Q_OBJECT

  private slots:
    // Texts longer than the chunks the passes work in, so that matches in
    // progress cross from one chunk to the next, and entries that overlap
    // themselves, in an order where earlier removals make later matches.
    void listAgreesWithTheTranscription_data() {
        QTest::addColumn<QString>("alphabet");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("rounds");
        QTest::newRow("two letters, short") << QStringLiteral("abAB") << 40 << 400;
        QTest::newRow("two letters, past a chunk") << QStringLiteral("abAB") << 40'000 << 12;
        QTest::newRow("hanzi and breaks") << QStringLiteral("字频\r\n aA") << 5'000 << 20;
    }
    void listAgreesWithTheTranscription() {
        QFETCH(QString, alphabet);
        QFETCH(int, length);
        QFETCH(int, rounds);
        QRandomGenerator rng(11);
        for (int round = 0; round < rounds; ++round) {
            const QString text = randomText(rng, rng.bounded(length + 1), alphabet);
            QStringList entries;
            for (int k = int(rng.bounded(1, 7)); k > 0; --k)
                entries << randomText(rng, rng.bounded(0, 5), alphabet.left(4));
            const QString list = entries.join(u' ');
            QCOMPARE(removeListed(text, list), oracleRemoveListed(text, list));
        }
    }

    void listCases_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("list");
        QTest::newRow("removal brings a later entry together")
            << QStringLiteral("aXYb") << QStringLiteral("xy ab");
        QTest::newRow("no second look within a pass")
            << QStringLiteral("aabb") << QStringLiteral("ab");
        QTest::newRow("self-overlapping entry") << QStringLiteral("aaaaa") << QStringLiteral("aa");
        QTest::newRow("single units between longer entries")
            << QStringLiteral("aXbYab") << QStringLiteral("x y ab b");
        QTest::newRow("entry with a unit the text lacks")
            << QStringLiteral("abc") << QStringLiteral("az bc");
        QTest::newRow("surrogate pairs ignore case too")
            << QStringLiteral("\U00010428x\U00010400X") << QStringLiteral("\U00010400x");
        QTest::newRow("a lone surrogate entry")
            << QStringLiteral("\U0001F600a") + QChar(0xD83D) << QString(QChar(0xD83D));
        QTest::newRow("Kelvin sign and k") << QStringLiteral("\u212Ak") << QStringLiteral("kK");
        QTest::newRow("empty entries only") << QStringLiteral("a b") << QStringLiteral("  ");
        QTest::newRow("entry longer than a chunk")
            << QString(20'000, u'q') + u'z' + QString(20'001, u'Q')
            << QString(20'000, u'q') + QStringLiteral(" z");
    }
    void listCases() {
        QFETCH(QString, text);
        QFETCH(QString, list);
        QCOMPARE(removeListed(text, list), oracleRemoveListed(text, list));
    }

    // The exact passes (CR LF, separator) on periodic text where a matcher
    // that restarts at every candidate would go quadratic.
    void separatorPassIsExact_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::newRow("a's around a long separator")
            << QString(100'000, u'a') + u'b' + QString(100'000, u'a')
            << QString(5'000, u'a') + u'b';
        QTest::newRow("case is kept") << QStringLiteral("aAaA") << QStringLiteral("Aa");
        QTest::newRow("CR LF runs") << QStringLiteral("\r\r\n\n\r\n") << QStringLiteral("\r\n");
    }
    void separatorPassIsExact() {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        preparation::Options o;
        o.removeLineBreaks = false;
        o.removeSpaces = false;
        o.separator = separator;
        QCOMPARE(preparation::prepare(text, o), oracleRemove(text, separator, Qt::CaseSensitive));
    }
};

QTEST_APPLESS_MAIN(TstTextPreparation)
#include "tst_text_preparation.moc"
